#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

TSurface::TSurface(int width, int height)
    : FWidth(std::max(width, 0)),
      FHeight(std::max(height, 0)),
      FPixels(static_cast<size_t>(FWidth) * FHeight) {
  if (FWidth == 0 || FHeight == 0) FWidth = FHeight = 0;
}

void TSurface::Fill(uint16_t raw) { std::fill(FPixels.begin(), FPixels.end(), raw); }

void TSurface::FillRect(const TRect& rect, uint16_t raw) {
  const int left = std::max(rect.Left, 0);
  const int top = std::max(rect.Top, 0);
  const int right = std::min(rect.Right, FWidth);
  const int bottom = std::min(rect.Bottom, FHeight);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, raw);
}

void TSurface::Draw(int x, int y, const TSurface& src, const TRect& srcRect, bool transparent) {
  // Clip the source rectangle to the source, moving the destination point along.
  int sl = srcRect.Left;
  int st = srcRect.Top;
  int sr = std::min(srcRect.Right, src.FWidth);
  int sb = std::min(srcRect.Bottom, src.FHeight);
  if (sl < 0) {
    x -= sl;
    sl = 0;
  }
  if (st < 0) {
    y -= st;
    st = 0;
  }
  // Then to the destination.
  if (x < 0) {
    sl -= x;
    x = 0;
  }
  if (y < 0) {
    st -= y;
    y = 0;
  }
  sr = std::min(sr, sl + (FWidth - x));
  sb = std::min(sb, st + (FHeight - y));
  const int w = sr - sl;
  const int h = sb - st;
  if (w <= 0 || h <= 0) return;

  if (!transparent) {
    for (int row = 0; row < h; ++row)
      std::memmove(Row(y + row) + x, src.Row(st + row) + sl, static_cast<size_t>(w) * sizeof(uint16_t));
    return;
  }
  const uint16_t key = src.FColorKey;
  for (int row = 0; row < h; ++row) {
    const uint16_t* s = src.Row(st + row) + sl;
    uint16_t* d = Row(y + row) + x;
    // A select rather than a branch, so the compiler can blend whole vectors.
    for (int i = 0; i < w; ++i) {
      const uint16_t p = s[i];
      d[i] = p != key ? p : d[i];
    }
  }
}

void TSurface::StretchDraw(const TRect& dest, const TSurface& src, const TRect& srcRect, bool transparent) {
  const int dw = dest.Width();
  const int dh = dest.Height();
  const int sw = srcRect.Width();
  const int sh = srcRect.Height();
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (dw == sw && dh == sh) {
    Draw(dest.Left, dest.Top, src, srcRect, transparent);
    return;
  }
  const int left = std::max(dest.Left, 0);
  const int top = std::max(dest.Top, 0);
  const int right = std::min(dest.Right, FWidth);
  const int bottom = std::min(dest.Bottom, FHeight);
  if (left >= right || top >= bottom) return;

  // Each destination pixel takes the source pixel under its centre, in 16.16 fixed point.
  const int64_t stepX = (static_cast<int64_t>(sw) << 16) / dw;
  const int64_t stepY = (static_cast<int64_t>(sh) << 16) / dh;
  const int64_t startX = (left - dest.Left) * stepX + stepX / 2;
  const uint16_t key = src.FColorKey;
  for (int y = top; y < bottom; ++y) {
    const int sy = srcRect.Top + static_cast<int>(((y - dest.Top) * stepY + stepY / 2) >> 16);
    if (sy < 0 || sy >= src.FHeight) continue;
    const uint16_t* s = src.Row(sy);
    uint16_t* d = Row(y);
    int64_t fx = startX;
    for (int x = left; x < right; ++x, fx += stepX) {
      const int sx = srcRect.Left + static_cast<int>(fx >> 16);
      if (sx < 0 || sx >= src.FWidth) continue;
      const uint16_t p = s[sx];
      if (!transparent || p != key) d[x] = p;
    }
  }
}
