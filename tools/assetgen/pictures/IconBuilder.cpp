#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ArtParams.h"
#include "ArtSvg.h"
#include "Builders.h"

namespace {

constexpr const char* EmblemFile = "svg/emblem.svg";
constexpr int PngSizes[] = {16, 32, 48, 64, 128, 256, 512};

// The title's emblem, 240 x 160, set in the middle of a square: desktops draw icons square.
std::string SquareIcon(const std::string& emblem) {
  const size_t root = emblem.find("<svg");
  if (root == std::string::npos) throw std::runtime_error(std::string(EmblemFile) + ": no <svg> element");
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 240 240\">\n"
         "<svg x=\"0\" y=\"40\" width=\"240\" height=\"160\" viewBox=\"0 0 240 160\">\n" +
         emblem.substr(root) + "\n</svg>\n</svg>\n";
}

}  // namespace

void BuildIcons(const std::filesystem::path& assets, const std::filesystem::path& hicolor) {
  const TArtParams params(assets / "pictures");
  const std::string icon = SquareIcon(ReadSvg(params, EmblemFile));

  const std::filesystem::path scalable = hicolor / "scalable" / "apps";
  std::filesystem::create_directories(scalable);
  std::ofstream(scalable / "zarvok.svg", std::ios::binary) << icon;

  for (const int size : PngSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path folder = hicolor / name / "apps";
    std::filesystem::create_directories(folder);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    RenderSvg(cr, icon, "icon " + name, 0, 0, size, size);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, (folder / "zarvok.png").c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
      throw std::runtime_error("cannot write " + (folder / "zarvok.png").string() + ": " +
                               cairo_status_to_string(status));
  }
}
