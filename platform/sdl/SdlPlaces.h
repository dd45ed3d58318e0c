#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Places.h"

// The real places: the executable's folder from SDL, the environment of the process, and the
// per-user folder that SDL_GetPrefPath("", "zarvok") names.
class TSdlPlaces : public TPlaces {
 public:
  std::filesystem::path ExecutableFolder() const override;
  std::filesystem::path UserFolder() const override;
  std::optional<std::string> Environment(const std::string& name) const override;
  bool CanWrite(const std::filesystem::path& folder) const override;

  // The XDG rule SDL follows on Linux and the BSDs, worked out without creating anything, so the
  // folder appears only with the first save: $XDG_DATA_HOME/zarvok when that is an absolute
  // path, else $HOME/.local/share/zarvok; empty when neither is usable.
  static std::filesystem::path XdgUserFolder(
      const std::function<std::optional<std::string>(const std::string&)>& environment);
};
