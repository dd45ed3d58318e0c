#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The request line and header fields of one HTTP request, read by the connection front before a
// request thread is given the connection. It accepts exactly the request lines the HTTP library
// accepts, so anything broken is refused (and logged with its address) before it reaches a thread.
struct TRequestHead {
  std::string Method;
  std::string Target;
  std::string Version;
  std::vector<std::pair<std::string, std::string>> Fields;
  size_t Length = 0;  // bytes of the head including the blank line

  // The first field of this name (any letter case), or null.
  const std::string* Find(std::string_view name) const;
  // The last field of this name: a proxy appends its X-Forwarded-For line after any the client sent.
  const std::string* FindLast(std::string_view name) const;
};

// What the front makes of the bytes a client has sent so far.
struct THeadCheck {
  enum class TState { NeedMore, Complete, Refused };
  TState State = TState::NeedMore;
  int Status = 0;  // for Refused
  TRequestHead Head;  // for Complete, for NeedMore once the head is in, as far as it was read for Refused
  size_t BodyLength = 0;  // for Complete, and for NeedMore once the head is in
};

struct THeadLimits {
  size_t MaxHead = 16 * 1024;
  size_t MaxLine = 8 * 1024;
  size_t MaxBody = 64 * 1024;
  size_t MaxRanges = 4;
};

// Reads the head at the start of bytes; Complete only when the body has fully arrived too.
THeadCheck CheckRequest(std::string_view bytes, const THeadLimits& limits);

// A Range value the server will serve: at most maxRanges byte ranges, and when there are several,
// in rising order without overlaps (so a response is never bigger than the file it comes from).
// A value that is not about bytes is left to the file server, which ignores it.
bool RangesAcceptable(std::string_view value, size_t maxRanges);

// The client a request counts for: the peer itself, or when the peer is the trusted proxy, the
// last address in the X-Forwarded-For value it sent (the one the proxy itself added).
std::string ClientAddress(const std::string& peer, const std::string& trustedProxy, const std::string* forwardedFor);

// A numeric address in the form the server logs and counts ("::ffff:1.2.3.4" becomes "1.2.3.4"),
// or nothing for text that is no address.
std::optional<std::string> NormalAddress(std::string_view text);
