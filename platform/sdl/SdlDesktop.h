#pragma once

#include <string>

#include "platform/Platform.h"

// The desktop's "open" through SDL_OpenURL: web addresses as they are, files as file:// addresses.
class TSdlDesktop : public TDesktop {
 public:
  void Open(const std::string& target) override;

  // The file:// address of a file, its path made absolute and percent-encoded.
  static std::string FileUrl(const std::string& path);
};
