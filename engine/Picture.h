#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One entry of a palette or colour table, in the byte order of the bitmap formats.
struct TRGBQuad {
  uint8_t Blue = 0;
  uint8_t Green = 0;
  uint8_t Red = 0;
  uint8_t Reserved = 0;

  constexpr bool operator==(const TRGBQuad&) const = default;
};

// A decoded picture of the archive: true-colour pixels, plus the palette of a palette picture
// (which the colour table is built from).
struct TPicture {
  // "TDIB" or "TBitmap"; empty for no picture.
  std::string ClassName;
  int32_t Width = 0;
  int32_t Height = 0;
  // Of the stored bitmap, before decoding.
  int32_t BitCount = 0;
  std::vector<TRGBQuad> Palette;
  // Width * Height colours 0x00BBGGRR, rows top to bottom.
  std::vector<uint32_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0; }
};
