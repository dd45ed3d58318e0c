#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Dib.h"

namespace {

// Builds tiny DIBs byte by byte.
class TDibBytes {
 public:
  TDibBytes& U8(uint8_t v) {
    Bytes.push_back(v);
    return *this;
  }
  TDibBytes& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
  TDibBytes& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  TDibBytes& Raw(std::initializer_list<uint8_t> bytes) {
    Bytes.insert(Bytes.end(), bytes);
    return *this;
  }
  // A 40-byte header.
  TDibBytes& Info(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0, uint32_t colors = 0) {
    return U32(40)
        .U32(static_cast<uint32_t>(width))
        .U32(static_cast<uint32_t>(height))
        .U16(1)
        .U16(bits)
        .U32(compression)
        .U32(0)
        .U32(0)
        .U32(0)
        .U32(colors)
        .U32(0);
  }
  // Palette entries as 0x00RRGGBB, written blue, green, red (and a reserved byte).
  TDibBytes& Palette(std::initializer_list<uint32_t> colours, bool core = false) {
    for (uint32_t c : colours) {
      U8(static_cast<uint8_t>(c)).U8(static_cast<uint8_t>(c >> 8)).U8(static_cast<uint8_t>(c >> 16));
      if (!core) U8(0);
    }
    return *this;
  }

  std::vector<uint8_t> Bytes;
};

// Decoded pixels as 0x00BBGGRR, top row first.
std::vector<uint32_t> Pixels(const TDibBytes& dib) { return DecodeDib(dib.Bytes).Pixels; }

// Palette colours (0x00RRGGBB) and what they decode to (0x00BBGGRR).
constexpr uint32_t P0 = 0x000000, P1 = 0xFF0000, P2 = 0x00FF00, P3 = 0x0000FF, P4 = 0x102030, P5 = 0x405060,
                   P6 = 0x708090, P7 = 0xA0B0C0;
constexpr uint32_t C1 = 0x0000FF, C2 = 0x00FF00, C3 = 0xFF0000, C4 = 0x302010, C5 = 0x605040, C6 = 0x908070,
                   C7 = 0xC0B0A0;

TEST(Dib, UncompressedFormats) {
  struct TCase {
    const char* Title;
    TDibBytes Dib;
    std::vector<uint32_t> Expected;  // 2 x 2, top row first
  };
  std::vector<TCase> cases;
  // Rows are stored bottom-up and padded to 4 bytes.
  cases.push_back({"1 bit", TDibBytes().Info(2, 2, 1).Palette({P0, P1}).Raw({0x40, 0, 0, 0, 0x80, 0, 0, 0}),
                   {C1, 0, 0, C1}});
  cases.push_back({"4 bits with a short palette",
                   TDibBytes().Info(2, 2, 4, 0, 4).Palette({P0, P1, P2, P3}).Raw({0x12, 0, 0, 0, 0x30, 0, 0, 0}),
                   {C3, 0, C1, C2}});
  cases.push_back({"8 bits", TDibBytes().Info(2, 2, 8, 0, 3).Palette({P0, P1, P2}).Raw({2, 0, 0, 0, 1, 0, 0, 0}),
                   {C1, 0, C2, 0}});
  cases.push_back({"8 bits, index past the palette is black",
                   TDibBytes().Info(2, 2, 8, 0, 2).Palette({P0, P1}).Raw({9, 1, 0, 0, 1, 1, 0, 0}),
                   {C1, C1, 0, C1}});
  cases.push_back({"16 bits are 5-5-5 by default",
                   TDibBytes().Info(2, 2, 16).Raw({0x00, 0x7C, 0xE0, 0x03, 0xFF, 0x7F, 0x10, 0x42}),
                   {0xFFFFFF, 0x848484, 0x0000FF, 0x00FF00}});
  cases.push_back({"16 bits with 5-6-5 bit fields",
                   TDibBytes().Info(2, 1, 16, 3).U32(0xF800).U32(0x07E0).U32(0x001F).Raw({0x00, 0xF8, 0x1F, 0x00}),
                   {0x0000FF, 0xFF0000}});
  cases.push_back({"24 bits", TDibBytes().Info(1, 2, 24).Raw({1, 2, 3, 0, 4, 5, 6, 0}), {0x040506, 0x010203}});
  cases.push_back({"32 bits are 8-8-8 by default", TDibBytes().Info(1, 1, 32).Raw({1, 2, 3, 4}), {0x010203}});
  cases.push_back({"32 bits with bit fields",
                   TDibBytes().Info(1, 1, 32, 3).U32(0x000000FF).U32(0x0000FF00).U32(0x00FF0000).Raw({1, 2, 3, 4}),
                   {0x030201}});
  cases.push_back({"top-down rows", TDibBytes().Info(1, -2, 24).Raw({1, 2, 3, 0, 4, 5, 6, 0}), {0x010203, 0x040506}});
  cases.push_back({"12-byte core header with 3-byte palette",
                   TDibBytes().U32(12).U16(2).U16(1).U16(1).U16(1).Palette({P0, P1}, true).Raw({0x40, 0, 0, 0}),
                   {0, C1}});
  for (const TCase& c : cases) EXPECT_EQ(Pixels(c.Dib), c.Expected) << c.Title;
}

TEST(Dib, RunLengthCodedFormats) {
  // RLE8, 4 x 2: the bottom row has an absolute run (padded) and a run; the top row a delta.
  const TDibBytes rle8 = TDibBytes()
                             .Info(4, 2, 8, 1, 6)
                             .Palette({P0, P1, P2, P3, P4, P5})
                             .Raw({0, 3, 1, 2, 3, 0, 1, 4, 0, 0})
                             .Raw({0, 2, 1, 0, 3, 5, 0, 1});
  EXPECT_EQ(Pixels(rle8), (std::vector<uint32_t>{0, C5, C5, C5, C1, C2, C3, C4}));

  // RLE4, 4 x 2: nibble runs alternate their two colours.
  const TDibBytes rle4 = TDibBytes()
                             .Info(4, 2, 4, 2, 8)
                             .Palette({P0, P1, P2, P3, P4, P5, P6, P7})
                             .Raw({0, 3, 0x12, 0x30, 1, 0x40, 0, 0})
                             .Raw({2, 0x56, 0, 2, 1, 0, 1, 0x70, 0, 1});
  EXPECT_EQ(Pixels(rle4), (std::vector<uint32_t>{C5, C6, 0, C7, C1, C2, C3, C4}));

  // Runs that overshoot the row are clipped, not written elsewhere.
  const TDibBytes wide = TDibBytes().Info(2, 1, 8, 1, 2).Palette({P0, P1}).Raw({5, 1, 0, 1});
  EXPECT_EQ(Pixels(wide), (std::vector<uint32_t>{C1, C1}));
}

TEST(Dib, EmptyDataAndEmptySizes) {
  TPicture none = DecodeDib({});
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(none.ClassName, "TDIB");
  EXPECT_TRUE(DecodeDib(TDibBytes().Info(0, 5, 24).Bytes).Empty());
}

TEST(Dib, MalformedBitmapsAreInvalid) {
  struct TCase {
    const char* Title;
    TDibBytes Dib;
  };
  std::vector<TCase> cases;
  cases.push_back({"header size 41", TDibBytes().U32(41).Raw({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})});
  cases.push_back({"header size 108", TDibBytes().U32(108).Raw({0, 0, 0, 0})});
  cases.push_back({"shorter than its header", TDibBytes().U32(40).U32(1).U32(1)});
  cases.push_back({"3 bits per pixel", TDibBytes().Info(1, 1, 3).Raw({0, 0, 0, 0})});
  cases.push_back({"RLE8 on 24 bits", TDibBytes().Info(1, 1, 24, 1).Raw({0, 0, 0, 0})});
  cases.push_back({"bit fields on 8 bits", TDibBytes().Info(1, 1, 8, 3).Raw({0, 0, 0, 0})});
  cases.push_back({"unknown compression", TDibBytes().Info(1, 1, 24, 4).Raw({0, 0, 0, 0})});
  cases.push_back({"pixels cut short", TDibBytes().Info(2, 2, 24).Raw({1, 2, 3, 4, 5, 6, 0, 0, 7, 8})});
  cases.push_back({"palette cut short", TDibBytes().Info(1, 1, 8, 0, 4).Palette({P0, P1})});
  cases.push_back({"bit masks cut short", TDibBytes().Info(1, 1, 16, 3).U32(0xF800)});
  cases.push_back({"run-length data without its end", TDibBytes().Info(2, 1, 8, 1, 2).Palette({P0, P1}).Raw({2, 1})});
  cases.push_back({"absolute run cut short", TDibBytes().Info(4, 1, 8, 1, 2).Palette({P0, P1}).Raw({0, 4, 1, 1})});
  cases.push_back({"absurd size", TDibBytes().Info(1 << 20, 1 << 20, 8, 1, 2).Palette({P0, P1}).Raw({0, 1})});
  cases.push_back({"negative width", TDibBytes().Info(-2, 1, 24).Raw({0, 0, 0, 0, 0, 0, 0, 0})});
  for (const TCase& c : cases) {
    try {
      DecodeDib(c.Dib.Bytes);
      ADD_FAILURE() << c.Title << ": no error";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "DIB is invalid") << c.Title;
    }
  }
}

TEST(Dib, BitmapFileHonoursItsPixelOffset) {
  // File header, info header, palette, two bytes of gap, then the pixels.
  TDibBytes file;
  file.Raw({'B', 'M'}).U32(0).U32(0).U32(14 + 40 + 8 + 2);
  file.Info(1, 1, 8, 0, 2).Palette({P0, P1}).Raw({0xEE, 0xEE}).Raw({1, 0, 0, 0});
  const TPicture picture = DecodeBitmapFile(file.Bytes);
  EXPECT_EQ(picture.ClassName, "TBitmap");
  EXPECT_EQ(picture.Pixels, (std::vector<uint32_t>{C1}));
  EXPECT_EQ(picture.Palette.size(), 2u);
  EXPECT_THROW(DecodeBitmapFile(std::vector<uint8_t>{'B', 'A', 0, 0}), EInvalidGraphic);
}

TEST(Dib, EncodedPicturesDecodeToTheSamePixels) {
  // Width 3 makes the rows need padding.
  const std::vector<uint8_t> bgr = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  const TPicture picture = DecodeDib(EncodeDib24(3, 2, bgr));
  EXPECT_EQ(picture.BitCount, 24);
  EXPECT_EQ(picture.Pixels, (std::vector<uint32_t>{0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}));
  EXPECT_THROW(EncodeDib24(3, 2, std::vector<uint8_t>(5)), std::invalid_argument);
}

}  // namespace
