#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A failed HTTP request: no connection, a time-out or an error status from the server.
class EHttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One HTTP GET (or, with a body, POST) as the game sends it; THttpClient fills in the game's headers.
struct THttpRequest {
  std::string Url;          // full address; the transport encodes its query part
  std::string Accept;       // value of the Accept header
  std::string UserAgent;    // value of the User-Agent header
  std::string ContentType;  // value of the Content-Type header
  uint32_t TimeoutMs = 0;   // whole request, connection included; 0 = no limit
  std::string Body;         // when not empty, the request is a POST of these bytes
};

// Sends HTTP GET requests for the game (libcurl in the real game, a scripted fake in tests).
class THttpTransport {
 public:
  virtual ~THttpTransport() = default;
  // Returns the response body; raises EHttpError on any failure or an error status.
  virtual std::string Get(const THttpRequest& request) = 0;
};
