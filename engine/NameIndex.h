#pragma once

#include <cstdint>
#include <string_view>

// The name rules shared by the picture and wave libraries: names match without regard to letter
// case, and each name has one of 256 index buckets.

constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// Length times 16, plus the first and the second-to-last character when there are two or more,
// modulo 256, all on the lower-cased name.
constexpr uint8_t NameBucket(std::string_view name) {
  const size_t length = name.size();
  uint32_t h = static_cast<uint32_t>(length) * 16;
  if (length >= 2)
    h += static_cast<uint8_t>(LowerAscii(name[0])) + static_cast<uint8_t>(LowerAscii(name[length - 2]));
  return static_cast<uint8_t>(h % 256);
}
