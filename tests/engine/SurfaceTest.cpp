#include <gtest/gtest.h>

#include <string>

#include "platform/Surface.h"

namespace {

// A 4 x 4 source whose pixels are numbered 1..16 row by row, with 0 as the key in one corner.
TSurface NumberedSource() {
  TSurface s(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) s.SetPixel(x, y, static_cast<uint16_t>(1 + x + 4 * y));
  s.SetPixel(0, 0, 0);
  s.SetColorKey(0);
  return s;
}

// Each row of the surface as its pixel values separated by spaces; rows separated by '|'.
std::string Dump(const TSurface& s) {
  std::string out;
  for (int y = 0; y < s.Height(); ++y) {
    if (y > 0) out += '|';
    for (int x = 0; x < s.Width(); ++x) {
      if (x > 0) out += ' ';
      out += std::to_string(s.Pixel(x, y));
    }
  }
  return out;
}

TEST(Surface, ColorToPixelPacksRgb565FromBbggrr) {
  struct TCase {
    uint32_t Color;
    uint16_t Pixel;
  };
  for (const TCase& c : std::vector<TCase>{{0x000000, 0x0000},
                                           {0xFFFFFF, 0xFFFF},
                                           {0x0000FF, 0xF800},
                                           {0x00FF00, 0x07E0},
                                           {0xFF0000, 0x001F},
                                           {0xFF00FF, 0xF81F},
                                           {0x070307, 0x0000},
                                           {0x080408, 0x0821},
                                           {0x1FFFFFFF, 0xFFFF}})
    EXPECT_EQ(TSurface::ColorToPixel(c.Color), c.Pixel) << std::hex << c.Color;
}

TEST(Surface, DrawClipsToBothSurfaces) {
  struct TCase {
    const char* Title;
    int X, Y;
    TRect Src;
    bool Transparent;
    const char* Expected;
  };
  const std::vector<TCase> cases = {
      {"inside, opaque", 0, 0, {1, 1, 3, 3}, false, "6 7 9|10 11 9|9 9 9"},
      {"off the top left", -1, -1, {0, 0, 4, 4}, false, "6 7 8|10 11 12|14 15 16"},
      {"off the bottom right", 1, 2, {0, 0, 4, 4}, false, "9 9 9|9 9 9|9 0 2"},
      {"keyed", 1, 2, {0, 0, 4, 4}, true, "9 9 9|9 9 9|9 9 2"},
      {"source rectangle past the source", 0, 0, {2, 2, 8, 8}, false, "11 12 9|15 16 9|9 9 9"},
      {"source rectangle before the source", 0, 0, {-1, -1, 2, 2}, false, "9 9 9|9 0 2|9 5 6"},
      {"empty source rectangle", 0, 0, {2, 2, 2, 4}, false, "9 9 9|9 9 9|9 9 9"},
      {"entirely outside", 5, 0, {0, 0, 4, 4}, false, "9 9 9|9 9 9|9 9 9"},
  };
  const TSurface src = NumberedSource();
  for (const TCase& c : cases) {
    TSurface dest(3, 3);
    dest.Fill(9);
    dest.Draw(c.X, c.Y, src, c.Src, c.Transparent);
    EXPECT_EQ(Dump(dest), c.Expected) << c.Title;
  }
}

TEST(Surface, StretchDrawScalesAndClipsToTheDestination) {
  struct TCase {
    const char* Title;
    TRect Dest;
    TRect Src;
    bool Transparent;
    const char* Expected;
  };
  const std::vector<TCase> cases = {
      {"doubled", {0, 0, 4, 4}, {2, 2, 4, 4}, false, "11 11 12 12|11 11 12 12|15 15 16 16|15 15 16 16"},
      {"halved", {0, 0, 2, 2}, {0, 0, 4, 4}, false, "6 8 9 9|14 16 9 9|9 9 9 9|9 9 9 9"},
      {"doubled and clipped", {-2, 2, 2, 6}, {2, 2, 4, 4}, false, "9 9 9 9|9 9 9 9|12 12 9 9|12 12 9 9"},
      {"keyed", {0, 0, 4, 2}, {0, 0, 2, 1}, true, "9 9 2 2|9 9 2 2|9 9 9 9|9 9 9 9"},
      {"empty destination", {1, 1, 1, 3}, {0, 0, 4, 4}, false, "9 9 9 9|9 9 9 9|9 9 9 9|9 9 9 9"},
      {"empty source", {0, 0, 4, 4}, {0, 0, 0, 4}, false, "9 9 9 9|9 9 9 9|9 9 9 9|9 9 9 9"},
  };
  const TSurface src = NumberedSource();
  for (const TCase& c : cases) {
    TSurface dest(4, 4);
    dest.Fill(9);
    dest.StretchDraw(c.Dest, src, c.Src, c.Transparent);
    EXPECT_EQ(Dump(dest), c.Expected) << c.Title;
  }
}

TEST(Surface, FillRectClipsAndEmptySurfacesAreSafe) {
  TSurface s(3, 2);
  s.Fill(1);
  s.FillRect({-5, 1, 2, 10}, 7);
  EXPECT_EQ(Dump(s), "1 1 1|7 7 1");

  TSurface empty(0, 5);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.Height(), 0);
  empty.Fill(3);
  s.Draw(0, 0, empty, {0, 0, 5, 5}, false);
  empty.Draw(0, 0, s, s.ClientRect(), false);
  s.StretchDraw(s.ClientRect(), empty, {0, 0, 5, 5}, false);
  EXPECT_EQ(Dump(s), "1 1 1|7 7 1");
}

TEST(Surface, OverlappingCopyWithinOneSurface) {
  TSurface s = NumberedSource();
  s.Draw(1, 0, s, {0, 0, 3, 1}, false);
  EXPECT_EQ(s.Pixel(1, 0), 0);
  EXPECT_EQ(s.Pixel(2, 0), 2);
  EXPECT_EQ(s.Pixel(3, 0), 3);
}

}  // namespace
