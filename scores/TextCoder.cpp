#include "scores/TextCoder.h"

#include <array>
#include <cstdint>

namespace {

constexpr char CoderAlphabet[] = "QWERTYUPASDFGHJKLZXCVBNM23456789";

// Position of each byte in the alphabet, -1 for bytes outside it.
constexpr std::array<int8_t, 256> MakePositions() {
  std::array<int8_t, 256> positions{};
  positions.fill(-1);
  for (int i = 0; i < 32; ++i) positions[static_cast<uint8_t>(CoderAlphabet[i])] = static_cast<int8_t>(i);
  return positions;
}

constexpr std::array<int8_t, 256> CoderPositions = MakePositions();

}  // namespace

std::string EncodeText(const std::string& text) {
  const size_t bits = text.size() * 8;
  std::string result;
  result.reserve((bits + 4) / 5);
  // The leading zero bits are simply a head start of the accumulator; never more than 12 bits pend.
  uint32_t pending = 0;
  unsigned pendingBits = static_cast<unsigned>((5 - bits % 5) % 5);
  for (const char c : text) {
    pending = (pending << 8) | static_cast<uint8_t>(c);
    pendingBits += 8;
    while (pendingBits >= 5) {
      pendingBits -= 5;
      result.push_back(CoderAlphabet[(pending >> pendingBits) & 31u]);
    }
    pending &= (1u << pendingBits) - 1u;
  }
  return result;
}

std::string DecodeText(const std::string& text) {
  size_t digits = 0;
  for (const char c : text) {
    if (CoderPositions[static_cast<uint8_t>(c)] >= 0) ++digits;
  }
  const size_t bits = digits * 5;
  std::string result;
  result.reserve((bits + 7) / 8);
  uint32_t pending = 0;
  unsigned pendingBits = static_cast<unsigned>((8 - bits % 8) % 8);
  for (const char c : text) {
    const int8_t position = CoderPositions[static_cast<uint8_t>(c)];
    if (position < 0) continue;
    pending = (pending << 5) | static_cast<uint32_t>(position);
    pendingBits += 5;
    if (pendingBits >= 8) {
      pendingBits -= 8;
      result.push_back(static_cast<char>((pending >> pendingBits) & 0xFFu));
    }
    pending &= (1u << pendingBits) - 1u;
  }
  return result;
}
