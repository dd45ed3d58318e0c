#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/BackgroundSprite.h"
#include "engine/ImageSprite.h"
#include "engine/PictureArchiveWriter.h"
#include "engine/PictureCollection.h"
#include "engine/SpriteEngine.h"
#include "platform/Surface.h"

namespace {

class TReadyDevice : public TPictureDevice {
 public:
  bool DeviceInitialized() const override { return true; }
};

// Deterministic noise, so pictures are neither blank nor compressible.
uint32_t Noise(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// A picture whose pixels are noise, with the key colour (black) where keep() says so.
template <class TKeep>
TPictureSource NoisePicture(const char* name, int32_t width, int32_t height, int32_t patternWidth,
                            int32_t patternHeight, TKeep transparent) {
  TPictureSource source;
  source.Name = name;
  source.Width = width;
  source.Height = height;
  source.PatternWidth = patternWidth;
  source.PatternHeight = patternHeight;
  source.Bgr.resize(static_cast<size_t>(width) * height * 3);
  uint32_t state = static_cast<uint32_t>(width * 31 + height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &source.Bgr[(static_cast<size_t>(y) * width + x) * 3];
      const uint32_t n = Noise(state) | 0x080808;
      const bool clear = transparent(patternWidth > 0 ? x % patternWidth : x, patternHeight > 0 ? y % patternHeight : y);
      p[0] = clear ? 0 : static_cast<uint8_t>(n);
      p[1] = clear ? 0 : static_cast<uint8_t>(n >> 8);
      p[2] = clear ? 0 : static_cast<uint8_t>(n >> 16);
    }
  }
  return source;
}

// A figure: an ellipse inside its frame, the corners transparent.
bool OutsideEllipse(int32_t x, int32_t y, int32_t w, int32_t h) {
  const double dx = (x + 0.5 - w / 2.0) / (w / 2.0);
  const double dy = (y + 0.5 - h / 2.0) / (h / 2.0);
  return dx * dx + dy * dy > 1.0;
}

// A digit drawn at another scale, as the counters are.
class TStretchedSprite : public TImageSprite {
 public:
  double Scale = 2;
  void Draw() override {
    const TRect r = DrawRect();
    Image->StretchDrawPattern(*Engine()->Surface,
                              BoundsRect(r.Left, r.Top, static_cast<int32_t>(Image->Width() / Scale),
                                         static_cast<int32_t>(Image->Height() / Scale)),
                              CurrentFrame());
  }
};

// A busy battlefield frame: an 800 x 600 background, 60 keyed figures of 64 x 96 and 25 digits, 10 of
// them stretched.
class TBattlefield {
 public:
  TBattlefield() : Surface(800, 600) {
    Pictures.Prepare(Device);
    Pictures.LoadFromData(WritePictureArchive({
        NoisePicture("Scene1", 800, 600, 0, 0, [](int32_t, int32_t) { return false; }),
        NoisePicture("terror1_move", 64 * 8, 96, 64, 96, [](int32_t x, int32_t y) { return OutsideEllipse(x, y, 64, 96); }),
        NoisePicture("cifra", 16 * 10, 24, 16, 24, [](int32_t x, int32_t y) { return (x / 3 + y / 4) % 2 == 0; }),
    }));
    Engine.SetSurface(&Surface);
    TBackgroundSprite& back = CreateSprite<TBackgroundSprite>(Engine);
    back.Image = &Pictures.Find("Scene1");
    back.SetMapSize(1, 1);
    back.Tile = true;
    back.SetZ(-1);
    uint32_t state = 7;
    for (int i = 0; i < 60; ++i) {
      TImageSprite& s = CreateSprite<TImageSprite>(Engine);
      s.Image = &Pictures.Find("terror1_move");
      s.Width = 64;
      s.Height = 96;
      s.X = static_cast<double>(Noise(state) % 780) - 20;
      s.Y = static_cast<double>(Noise(state) % 560) - 20;
      s.AnimPos = Noise(state) % 8;
      s.SetZ(static_cast<int32_t>(s.Y) + 96);
    }
    for (int i = 0; i < 25; ++i) {
      TImageSprite& s = i < 10 ? CreateSprite<TStretchedSprite>(Engine) : CreateSprite<TImageSprite>(Engine);
      s.Image = &Pictures.Find("cifra");
      s.Width = 16;
      s.Height = 24;
      s.X = 20 + 18 * i;
      s.Y = 10;
      s.AnimPos = i % 10;
      s.SetZ(800);
    }
  }

  TReadyDevice Device;
  TPictureCollection Pictures;
  TSurface Surface;
  TSpriteEngine Engine;
};

void BM_BattlefieldDrawPass(benchmark::State& state) {
  TBattlefield field;
  for (auto _ : state) {
    field.Engine.DrawCount = 0;
    field.Engine.DrawAll();
    benchmark::DoNotOptimize(field.Surface.Pixels());
  }
  state.counters["sprites drawn"] = field.Engine.DrawCount;
}
BENCHMARK(BM_BattlefieldDrawPass)->Unit(benchmark::kMicrosecond);

// The worst case of the pixel test: two 96 x 96 frames that overlap widely, opaque halves apart, so
// the whole common area is read.
void BM_PixelTest96(benchmark::State& state) {
  TReadyDevice device;
  TPictureCollection pictures;
  pictures.Prepare(device);
  pictures.LoadFromData(WritePictureArchive({
      NoisePicture("left", 96, 96, 0, 0, [](int32_t x, int32_t) { return x >= 48; }),
      NoisePicture("right", 96, 96, 0, 0, [](int32_t x, int32_t) { return x < 48; }),
  }));
  TSpriteEngine engine;
  TImageSprite& a = CreateSprite<TImageSprite>(engine);
  TImageSprite& b = CreateSprite<TImageSprite>(engine);
  a.Image = &pictures.Find("left");
  b.Image = &pictures.Find("right");
  a.Width = b.Width = a.Height = b.Height = 96;
  a.PixelCheck = b.PixelCheck = true;
  b.X = 8;
  b.Y = 4;
  bool hit = true;
  for (auto _ : state) {
    hit = a.Overlaps(b);
    benchmark::DoNotOptimize(hit);
  }
  if (hit) state.SkipWithError("the frames were not meant to collide");
}
BENCHMARK(BM_PixelTest96)->Unit(benchmark::kMicrosecond);

// Reading a 10 MB archive from disk and building every surface for the device.
void BM_LoadArchive10MB(benchmark::State& state) {
  std::vector<TPictureSource> sources;
  const auto opaque = [](int32_t, int32_t) { return false; };
  for (const char* name : {"Scene1", "Scene2", "Scene3", "Scene4"})
    sources.push_back(NoisePicture(name, 800, 600, 0, 0, opaque));
  for (const char* name : {"terror1_move", "terror2_move", "terror3_move"})
    sources.push_back(NoisePicture(name, 1200, 384, 100, 96, opaque));
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "zarvok-bench-graphic.dxg";
  WritePictureArchiveFile(path, sources);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

  TReadyDevice device;
  for (auto _ : state) {
    TPictureCollection pictures;
    pictures.Prepare(device);
    pictures.LoadFromFile(path);
    benchmark::DoNotOptimize(pictures.Find("Scene4").PatternSurface(0));
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadArchive10MB)->Unit(benchmark::kMillisecond);

}  // namespace
