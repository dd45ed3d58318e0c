#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/Places.h"

// Places a test chooses: the executable's folder, the per-user folder, the environment, and
// which folders count as writable (root could write anywhere, so it is not left to the system).
class TFakePlaces : public TPlaces {
 public:
  std::filesystem::path Executable;
  std::filesystem::path User;
  std::map<std::string, std::string> Variables;
  std::set<std::filesystem::path> ReadOnly;

  std::filesystem::path ExecutableFolder() const override { return Executable; }
  std::filesystem::path UserFolder() const override { return User; }
  std::optional<std::string> Environment(const std::string& name) const override {
    const auto found = Variables.find(name);
    if (found == Variables.end()) return std::nullopt;
    return found->second;
  }
  bool CanWrite(const std::filesystem::path& folder) const override {
    return ReadOnly.count(folder.lexically_normal()) == 0;
  }
};
