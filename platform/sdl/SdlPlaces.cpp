#include "platform/sdl/SdlPlaces.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {
constexpr const char* AppName = "zarvok";
}

std::filesystem::path TSdlPlaces::ExecutableFolder() const {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return {};
  std::filesystem::path folder(base);
  SDL_free(base);
  return folder;
}

std::filesystem::path TSdlPlaces::UserFolder() const {
#if defined(__unix__) && !defined(__APPLE__) && !defined(__ANDROID__)
  return XdgUserFolder([this](const std::string& name) { return Environment(name); });
#else
  // Elsewhere SDL's own answer, which makes the folder at once.
  char* pref = SDL_GetPrefPath("", AppName);
  if (pref == nullptr) return {};
  std::filesystem::path folder(pref);
  SDL_free(pref);
  return folder;
#endif
}

std::optional<std::string> TSdlPlaces::Environment(const std::string& name) const {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool TSdlPlaces::CanWrite(const std::filesystem::path& folder) const {
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::filesystem::path TSdlPlaces::XdgUserFolder(
    const std::function<std::optional<std::string>(const std::string&)>& environment) {
  // The XDG rules ignore a relative XDG_DATA_HOME; SDL would take it and write relative to
  // whatever folder the game was started from.
  if (const auto dataHome = environment("XDG_DATA_HOME"); dataHome && !dataHome->empty() && (*dataHome)[0] == '/')
    return std::filesystem::path(*dataHome) / AppName;
  if (const auto home = environment("HOME"); home && !home->empty() && (*home)[0] == '/')
    return std::filesystem::path(*home) / ".local" / "share" / AppName;
  return {};
}
