#include "engine/Dib.h"

#include <bit>
#include <cstring>

namespace {

// Larger pictures are refused rather than allocated from a hostile header.
constexpr int64_t MaxPixels = int64_t{1} << 26;

[[noreturn]] void Invalid() { throw EInvalidGraphic("DIB is invalid"); }

// Little-endian reads in which running out of bytes means a broken bitmap.
class TByteReader {
 public:
  explicit TByteReader(std::span<const uint8_t> data) : FData(data) {}
  void Seek(size_t position) {
    if (position > FData.size()) Invalid();
    FPosition = position;
  }
  size_t Remaining() const { return FData.size() - FPosition; }
  uint8_t U8() {
    if (FPosition >= FData.size()) Invalid();
    return FData[FPosition++];
  }
  uint16_t U16() {
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | (U8() << 8));
  }
  uint32_t U32() {
    const uint32_t lo = U16();
    return lo | (static_cast<uint32_t>(U16()) << 16);
  }
  const uint8_t* Take(size_t count) {
    if (count > Remaining()) Invalid();
    const uint8_t* p = FData.data() + FPosition;
    FPosition += count;
    return p;
  }

 private:
  std::span<const uint8_t> FData;
  size_t FPosition = 0;
};

uint32_t QuadColor(const TRGBQuad& q) {
  return static_cast<uint32_t>(q.Red) | (static_cast<uint32_t>(q.Green) << 8) | (static_cast<uint32_t>(q.Blue) << 16);
}

// One channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TChannel(uint32_t mask) : Mask(mask) {
    if (mask != 0) {
      Shift = std::countr_zero(mask);
      Bits = std::popcount(mask >> Shift);
      if (Bits > 8) {
        Shift += Bits - 8;
        Bits = 8;
      }
    }
  }
  uint32_t operator()(uint32_t pixel) const {
    if (Bits == 0) return 0;
    const uint32_t v = ((pixel & Mask) >> Shift) & ((1u << Bits) - 1);
    // Widen by repeating the top bits, so full scale stays full scale.
    uint32_t out = v << (8 - Bits);
    for (int filled = Bits; filled < 8; filled += Bits) out |= out >> Bits;
    return out & 0xFF;
  }
};

// Decodes the DIB; a bitmap file says where its pixels start (pixelOffset, from the DIB's start).
TPicture Decode(std::span<const uint8_t> data, int64_t pixelOffset) {
  TPicture picture;
  TByteReader r(data);
  const uint32_t headerSize = r.U32();
  int64_t width = 0;
  int64_t height = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  const bool core = headerSize == 12;
  if (headerSize == 40) {
    width = static_cast<int32_t>(r.U32());
    height = static_cast<int32_t>(r.U32());
    r.U16();  // planes
    bitCount = r.U16();
    compression = r.U32();
    r.U32();  // image size
    r.U32();  // resolution
    r.U32();
    colorsUsed = r.U32();
    r.U32();  // important colours
  } else if (core) {
    width = r.U16();
    height = r.U16();
    r.U16();
    bitCount = r.U16();
  } else {
    Invalid();
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    Invalid();
  if (compression > 3 || (compression == 1 && bitCount != 8) || (compression == 2 && bitCount != 4) ||
      (compression == 3 && bitCount != 16 && bitCount != 32))
    Invalid();

  uint32_t masks[3] = {0, 0, 0};
  if (compression == 3) {
    for (uint32_t& mask : masks) mask = r.U32();
  } else if (bitCount == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }

  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width < 0 || width * height > MaxPixels) Invalid();

  uint32_t paletteSize = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
  if (paletteSize > 256) paletteSize = 256;
  picture.Palette.resize(paletteSize);
  for (TRGBQuad& entry : picture.Palette) {
    entry.Blue = r.U8();
    entry.Green = r.U8();
    entry.Red = r.U8();
    if (!core) r.U8();
  }
  picture.BitCount = bitCount;
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  if (width == 0 || height == 0) {
    picture.Width = picture.Height = 0;
    return picture;
  }
  if (pixelOffset >= 0) r.Seek(static_cast<size_t>(pixelOffset));

  const int32_t w = picture.Width;
  const int32_t h = picture.Height;
  picture.Pixels.assign(static_cast<size_t>(w) * h, 0);
  std::vector<uint32_t> colours(256, 0);
  for (size_t i = 0; i < picture.Palette.size(); ++i) colours[i] = QuadColor(picture.Palette[i]);
  const auto rowOf = [&](int64_t fileRow) { return topDown ? fileRow : h - 1 - fileRow; };

  if (compression == 1 || compression == 2) {
    // Run-length coded: pixels the runs never reach stay black.
    const bool rle4 = compression == 2;
    int64_t x = 0;
    int64_t y = 0;
    const auto plot = [&](uint8_t index) {
      if (x < w && y < h) picture.Pixels[static_cast<size_t>(rowOf(y) * w + x)] = colours[index];
      ++x;
    };
    for (;;) {
      const uint8_t count = r.U8();
      const uint8_t value = r.U8();
      if (count > 0) {
        for (int i = 0; i < count; ++i) plot(rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      } else if (value == 0) {
        x = 0;
        ++y;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        x += r.U8();
        y += r.U8();
      } else {
        const size_t bytes = rle4 ? (value + 1u) / 2 : value;
        const uint8_t* run = r.Take(bytes + (bytes & 1));
        for (int i = 0; i < value; ++i) plot(rle4 ? ((i & 1) ? (run[i / 2] & 0x0F) : (run[i / 2] >> 4)) : run[i]);
      }
    }
    return picture;
  }

  const int64_t stride = ((width * bitCount + 31) / 32) * 4;
  if (stride * height > static_cast<int64_t>(r.Remaining())) Invalid();
  const uint8_t* rows = r.Take(static_cast<size_t>(stride * height));
  const TChannel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int32_t fileRow = 0; fileRow < h; ++fileRow) {
    const uint8_t* s = rows + fileRow * stride;
    uint32_t* d = picture.Pixels.data() + static_cast<size_t>(rowOf(fileRow)) * w;
    switch (bitCount) {
      case 1:
        for (int32_t x = 0; x < w; ++x) d[x] = colours[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int32_t x = 0; x < w; ++x) d[x] = colours[(x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4)];
        break;
      case 8:
        for (int32_t x = 0; x < w; ++x) d[x] = colours[s[x]];
        break;
      case 16:
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t p = s[2 * x] | (s[2 * x + 1] << 8);
          d[x] = red(p) | (green(p) << 8) | (blue(p) << 16);
        }
        break;
      case 24:
        for (int32_t x = 0; x < w; ++x)
          d[x] = s[3 * x + 2] | (static_cast<uint32_t>(s[3 * x + 1]) << 8) | (static_cast<uint32_t>(s[3 * x]) << 16);
        break;
      case 32:
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t p = s[4 * x] | (static_cast<uint32_t>(s[4 * x + 1]) << 8) |
                             (static_cast<uint32_t>(s[4 * x + 2]) << 16) | (static_cast<uint32_t>(s[4 * x + 3]) << 24);
          d[x] = red(p) | (green(p) << 8) | (blue(p) << 16);
        }
        break;
    }
  }
  return picture;
}

}  // namespace

TPicture DecodeDib(std::span<const uint8_t> data) {
  TPicture picture;
  if (!data.empty()) picture = Decode(data, -1);
  picture.ClassName = "TDIB";
  return picture;
}

TPicture DecodeBitmapFile(std::span<const uint8_t> data) {
  if (data.size() < 14 || data[0] != 'B' || data[1] != 'M') Invalid();
  const uint32_t offBits = data[10] | (data[11] << 8) | (data[12] << 16) | (static_cast<uint32_t>(data[13]) << 24);
  const std::span<const uint8_t> dib = data.subspan(14);
  const int64_t pixelOffset = offBits >= 14 ? static_cast<int64_t>(offBits) - 14 : -1;
  TPicture picture = Decode(dib, pixelOffset);
  picture.ClassName = "TBitmap";
  return picture;
}

std::vector<uint8_t> EncodeDib24(int32_t width, int32_t height, std::span<const uint8_t> bgr) {
  if (width < 0 || height < 0 || bgr.size() != static_cast<size_t>(width) * height * 3)
    throw std::invalid_argument("picture size does not match its pixels");
  const size_t stride = ((static_cast<size_t>(width) * 24 + 31) / 32) * 4;
  std::vector<uint8_t> out(40 + stride * height, 0);
  const auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  out[12] = 1;  // planes
  out[14] = 24;
  put32(20, static_cast<uint32_t>(stride * height));
  // Bottom-up rows.
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(out.data() + 40 + stride * (height - 1 - y), bgr.data() + static_cast<size_t>(y) * width * 3,
                static_cast<size_t>(width) * 3);
  return out;
}
