#include "platform/sdl/SdlDesktop.h"

#include <SDL.h>

#include <cctype>
#include <filesystem>

void TSdlDesktop::Open(const std::string& target) {
  const bool address = target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0;
  // The shell's answer is ignored, as the game asks it to be.
  SDL_OpenURL((address ? target : FileUrl(target)).c_str());
}

std::string TSdlDesktop::FileUrl(const std::string& path) {
  static const char* const Hex = "0123456789ABCDEF";
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  std::string url = "file://";
  for (const unsigned char c : error ? path : absolute.lexically_normal().string()) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += Hex[c >> 4];
      url += Hex[c & 15];
    }
  }
  return url;
}
