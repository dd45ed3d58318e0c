#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "Builders.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: assetgen --assets DIR --out GAMEDIR [--only pictures|sounds|music]\n"
               "       assetgen --assets DIR --icons HICOLORDIR\n"
               "       assetgen --contact-sheet ARCHIVE PNG\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path assets;
  std::filesystem::path out;
  std::filesystem::path icons;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--assets" && i + 1 < argc) {
      assets = argv[++i];
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (arg == "--icons" && i + 1 < argc) {
      icons = argv[++i];
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg == "--contact-sheet" && i + 2 < argc) {
      try {
        WriteContactSheet(argv[i + 1], argv[i + 2]);
        return 0;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
      }
    } else {
      return Usage();
    }
  }
  if (!assets.empty() && !icons.empty() && out.empty()) {
    try {
      BuildIcons(assets, icons);
      return 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "assetgen: %s\n", e.what());
      return 1;
    }
  }
  if (assets.empty() || out.empty()) return Usage();

  try {
    std::filesystem::create_directories(out / "Data");
    std::filesystem::create_directories(out / "Music");
    if (only.empty() || only == "pictures") BuildPictureArchive(assets, out / "Data" / "Graphic.dxg");
    if (only.empty() || only == "sounds") BuildWaveArchive(assets, out / "Data" / "Music.dxw");
    if (only.empty() || only == "music") BuildMusic(assets, out / "Music");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
