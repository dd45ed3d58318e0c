#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Where the program lies and where its player's own files belong, and the environment it was
// started with. The SDL backend asks the system; tests hand in folders of their own.
class TPlaces {
 public:
  virtual ~TPlaces() = default;
  // The folder holding the running executable; empty when it cannot be told.
  virtual std::filesystem::path ExecutableFolder() const = 0;
  // The per-user folder for settings and other files of the player's; it may not exist yet
  // (it is made at the first save). Empty when the system names none.
  virtual std::filesystem::path UserFolder() const = 0;
  // An environment variable, unset when it is missing.
  virtual std::optional<std::string> Environment(const std::string& name) const = 0;
  // Whether this process may create files in the folder.
  virtual bool CanWrite(const std::filesystem::path& folder) const = 0;
};
