#pragma once

#include <string>

#include "platform/Platform.h"

// The page's "open": an address opens in a new tab, so the game keeps running in its own.
class TWebDesktop : public TDesktop {
 public:
  void Open(const std::string& target) override;
};
