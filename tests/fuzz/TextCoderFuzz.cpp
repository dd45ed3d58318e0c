// The score server's replies and the settings lines go through the text coder and the version
// reply's field split: any text must decode, and whatever was encoded must come back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scores/ScoreService.h"
#include "scores/TextCoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::string decoded = DecodeText(text);
  (void)VersionReplyAccepted(text);
  (void)VersionReplyValue(text);
  (void)VersionReplyValue(decoded);

  // Encoding then decoding gives the bytes back, behind zero bytes of the padding at most.
  const std::string again = DecodeText(EncodeText(text));
  if (again.size() < text.size() || again.compare(again.size() - text.size(), text.size(), text) != 0) std::abort();
  for (size_t i = 0; i < again.size() - text.size(); ++i)
    if (again[i] != '\0') std::abort();
  return 0;
}
