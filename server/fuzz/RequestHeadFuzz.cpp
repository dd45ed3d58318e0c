// Feeds arbitrary bytes to the connection front's reading of request heads, ranges and forwarded
// addresses, which see every byte a client sends before anything else does.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "server/RequestHead.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const THeadCheck check = CheckRequest(bytes, THeadLimits{});
  if (check.State == THeadCheck::TState::Complete) {
    // A complete request never claims more bytes than arrived.
    if (check.Head.Length + check.BodyLength > bytes.size()) std::abort();
    const std::string* forwarded = check.Head.FindLast("X-Forwarded-For");
    if (ClientAddress("127.0.0.1", "127.0.0.1", forwarded).empty()) std::abort();
  }
  RangesAcceptable(bytes, 4);
  return 0;
}
