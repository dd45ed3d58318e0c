#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "engine/Picture.h"

// Raised for a bitmap that cannot be decoded: "DIB is invalid".
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes a Windows device-independent bitmap without its file header (40- or 12-byte header;
// 1, 4, 8, 16, 24 or 32 bits; uncompressed, RLE8, RLE4 or bit fields; rows bottom-up or top-down).
// No bytes give an empty picture.
TPicture DecodeDib(std::span<const uint8_t> data);
// Decodes a Windows bitmap file ("BM" and its 14-byte file header, then a DIB).
TPicture DecodeBitmapFile(std::span<const uint8_t> data);
// A 24-bit bottom-up DIB of the given pixels (Width * Height * 3 bytes B, G, R, rows top to bottom).
std::vector<uint8_t> EncodeDib24(int32_t width, int32_t height, std::span<const uint8_t> bgr);
