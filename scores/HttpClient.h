#pragma once

#include <cstdint>
#include <string>

#include "platform/HttpTransport.h"

// The main form's HTTP client: GETs a full address with the game's headers and a time-out.
class THttpClient {
 public:
  static constexpr uint32_t DefaultTimeoutMs = 10000;

  // transport may be null (no network): every request then fails.
  explicit THttpClient(THttpTransport* transport) : FTransport(transport) {}

  // The response body; raises EHttpError when the request fails.
  std::string Get(const std::string& url);

  uint32_t Timeout() const { return FTimeoutMs; }
  void SetTimeout(uint32_t milliseconds) { FTimeoutMs = milliseconds; }

 private:
  THttpTransport* FTransport;
  uint32_t FTimeoutMs = DefaultTimeoutMs;
};
