#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Rect.h"

// A 16-bit RGB565 software surface: the display's back buffer and every picture's pixels.
// A surface of width or height 0 holds no pixels; copies to or from it do nothing.
class TSurface {
 public:
  TSurface(int width, int height);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Pixels from one row to the next.
  int Pitch() const { return FWidth; }
  int BitCount() const { return 16; }
  uint16_t* Pixels() { return FPixels.data(); }
  const uint16_t* Pixels() const { return FPixels.data(); }
  uint16_t* Row(int y) { return FPixels.data() + static_cast<size_t>(y) * FWidth; }
  const uint16_t* Row(int y) const { return FPixels.data() + static_cast<size_t>(y) * FWidth; }
  TRect ClientRect() const { return TRect{0, 0, FWidth, FHeight}; }

  // The raw pixel value left out by transparent copies from this surface.
  uint16_t ColorKey() const { return FColorKey; }
  void SetColorKey(uint16_t key) { FColorKey = key; }

  uint16_t Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, uint16_t raw) { Row(y)[x] = raw; }

  void Fill(uint16_t raw);
  // Clipped to the surface.
  void FillRect(const TRect& rect, uint16_t raw);
  // Copies srcRect of src with its top-left corner at x, y, clipped to both surfaces; a transparent
  // copy leaves out src's colour key.
  void Draw(int x, int y, const TSurface& src, const TRect& srcRect, bool transparent);
  // Scales srcRect of src into dest (nearest pixel), clipped to this surface; nothing when either
  // rectangle is empty.
  void StretchDraw(const TRect& dest, const TSurface& src, const TRect& srcRect, bool transparent);

  // 0x00BBGGRR to RGB565; the top byte is ignored.
  static constexpr uint16_t ColorToPixel(uint32_t color) {
    const uint32_t r = color & 0xFF;
    const uint32_t g = (color >> 8) & 0xFF;
    const uint32_t b = (color >> 16) & 0xFF;
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
  }

 private:
  int FWidth;
  int FHeight;
  std::vector<uint16_t> FPixels;
  uint16_t FColorKey = 0;
};
