#pragma once

#include <memory>
#include <string>

#include "platform/HttpTransport.h"

// HTTP GET over libcurl. One handle for the whole run, so cookies the server sets are sent back.
class TCurlHttpTransport : public THttpTransport {
 public:
  TCurlHttpTransport();
  ~TCurlHttpTransport() override;
  TCurlHttpTransport(const TCurlHttpTransport&) = delete;
  TCurlHttpTransport& operator=(const TCurlHttpTransport&) = delete;

  std::string Get(const THttpRequest& request) override;

 private:
  struct TState;
  std::unique_ptr<TState> FState;
};
