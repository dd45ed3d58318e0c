#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>

#include "audio/MusicLib.h"
#include "platform/AudioOutput.h"
#include "platform/HttpTransport.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/XmpMusicLib.h"
#include "platform/sdl/SdlWindow.h"

namespace {

// SDL's 32-bit millisecond tick, wrapping after 49 days like the game expects.
class TSdlClock : public TClock {
 public:
  uint32_t Milliseconds() const override { return SDL_GetTicks(); }
  void Sleep(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

// The desktop's "open": web addresses as they are, files as file:// addresses.
class TSdlDesktop : public TDesktop {
 public:
  void Open(const std::string& target) override {
    if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0) {
      SDL_OpenURL(target.c_str());
      return;
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(target, error);
    SDL_OpenURL(("file://" + EscapePath(error ? target : path.string())).c_str());
  }

 private:
  static std::string EscapePath(const std::string& path) {
    static const char* const Hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
      if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
        out += static_cast<char>(c);
      } else {
        out += '%';
        out += Hex[c >> 4];
        out += Hex[c & 15];
      }
    }
    return out;
  }
};

}  // namespace

TPlatform CreateSdlPlatform() {
  TPlatform platform;
  platform.Clock = std::make_unique<TSdlClock>();
  platform.Window = std::make_unique<TSdlWindow>();
  platform.Desktop = std::make_unique<TSdlDesktop>();
  platform.Http = std::make_unique<TCurlHttpTransport>();
  platform.Audio = std::make_unique<TSdlAudioOutput>();
  platform.Music = std::make_unique<TXmpMusicLib>();
  return platform;
}
