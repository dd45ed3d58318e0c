#include <chrono>
#include <cstdio>

#include "assetgen/Builders.h"
#include "Lettering.h"
#include "PictureFamilies.h"
#include "engine/PictureArchiveWriter.h"

TPictureList BuildAllPictures(const TArtParams& params) {
  TPictureList pictures;
  AddFighters(pictures, params);
  AddVehicles(pictures, params);
  AddEffects(pictures, params);
  AddBattlefields(pictures, params);
  AddCounters(pictures, params);
  // The help pages show pictures made above, so the screens come last.
  AddScreens(pictures, params);
  return pictures;
}

void BuildPictureArchive(const std::filesystem::path& assets, const std::filesystem::path& archive) {
  const auto start = std::chrono::steady_clock::now();
  const TArtParams params(assets / "pictures");
  TPictureList pictures = BuildAllPictures(params);
  std::vector<TPictureSource> sources;
  sources.reserve(pictures.size());
  size_t bytes = 0;
  for (TArtPicture& p : pictures) {
    TPictureSource s;
    s.Name = p.Name;
    s.Width = p.Width;
    s.Height = p.Height;
    s.Bgr = std::move(p.Bgr);
    s.PatternWidth = p.PatternWidth;
    s.PatternHeight = p.PatternHeight;
    s.Transparent = p.Transparent;
    s.TransparentColor = p.TransparentColor;
    bytes += s.Bgr.size();
    sources.push_back(std::move(s));
  }
  WritePictureArchiveFile(archive, sources);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("assetgen: %zu pictures, %.1f MB of pixels, %.1f s; fonts (asked -> used):\n%s", sources.size(),
              bytes / 1e6, seconds, FontReport().c_str());
}
