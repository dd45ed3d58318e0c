#pragma once

#include <string>

#include "platform/HttpTransport.h"

// HTTP GET from the page with a synchronous XMLHttpRequest, as the game waits for its answers.
// Addresses without a host go to the server that sent the page, so no cross-site request is made.
// The browser sets the User-Agent itself and allows no time-out on a synchronous request.
class TWebHttpTransport : public THttpTransport {
 public:
  std::string Get(const THttpRequest& request) override;
};
