#pragma once

#include <cstdint>
#include <string>

#include "platform/HttpTransport.h"

// The main form's HTTP client: GETs a full address with the game's headers, the query encoded,
// and a time-out, so a server that accepts and never answers cannot freeze the game.
class THttpClient {
 public:
  static constexpr uint32_t DefaultTimeoutMs = 10000;

  // transport may be null (no network): every request then fails. It must outlive the client.
  explicit THttpClient(THttpTransport* transport) : FTransport(transport) {}

  // The response body; raises EHttpError when the request fails.
  std::string Get(const std::string& url);
  // POSTs body as contentType to the address; the response body, or EHttpError.
  std::string Post(const std::string& url, const std::string& body, const std::string& contentType);

  uint32_t Timeout() const { return FTimeoutMs; }
  void SetTimeout(uint32_t milliseconds) { FTimeoutMs = milliseconds; }

 private:
  THttpTransport* FTransport;
  uint32_t FTimeoutMs = DefaultTimeoutMs;
};

// The address with every byte of its query part that may not stand in a query percent-encoded;
// the separators "&", "=" and "?" and existing "%XX" escapes stay as they are.
std::string EncodeUrlQuery(const std::string& url);
