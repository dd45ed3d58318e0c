#include <cairo.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "ArtCanvas.h"
#include "Lettering.h"
#include "assetgen/Builders.h"
#include "engine/PictureCollection.h"

// The contact sheet shows every picture as the game's own reader sees it: each pattern drawn
// with the library's transparent copy onto a checkerboard, the pattern grid, index and size.
namespace {

// A device that is always ready, so the library builds its surfaces.
class TSheetDevice : public TPictureDevice {
 public:
  bool DeviceInitialized() const override { return true; }
};

constexpr int SheetWidth = 1800;
constexpr int Margin = 12;
constexpr int LabelHeight = 18;

// Copies a 16-bit surface into a cairo image.
cairo_surface_t* ToCairo(const TSurface& s) {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, s.Width()), std::max(1, s.Height()));
  cairo_surface_flush(img);
  uint8_t* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) {
      const uint16_t p = s.Pixel(x, y);
      const uint32_t r = ((p >> 11) & 31) * 255 / 31, g = ((p >> 5) & 63) * 255 / 63, b = (p & 31) * 255 / 31;
      reinterpret_cast<uint32_t*>(data + y * stride)[x] = (r << 16) | (g << 8) | b;
    }
  cairo_surface_mark_dirty(img);
  return img;
}

void Checker(TSurface& s) {
  const uint16_t a = TSurface::ColorToPixel(0x00B0B0B0), b = TSurface::ColorToPixel(0x00D8D8D8);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, ((x / 8 + y / 8) % 2) ? a : b);
}

struct TCell {
  const TPictureCollectionItem* Item;
  double Scale;
  int Columns, Rows;
  int W, H;  // drawn size including the label
};

TCell Measure(const TPictureCollectionItem& item) {
  const int count = std::max(1, item.PatternCount());
  const int pw = item.Width(), ph = item.Height();
  // Full-screen pictures and wide strips are shown smaller; everything else at its own size.
  double scale = 1.0;
  if (pw >= 600 || ph >= 450) scale = 0.5;
  int columns = count;
  while (columns > 1 && (pw + 2) * scale * columns > SheetWidth - 2 * Margin) --columns;
  const int rows = (count + columns - 1) / columns;
  const int w = std::max(160, static_cast<int>((pw + 2) * scale * columns) + 2);
  const int h = static_cast<int>((ph + 2) * scale * rows) + 2 + LabelHeight;
  return {&item, scale, columns, rows, w, h};
}

void DrawCell(cairo_t* cr, const TCell& cell, double x, double y) {
  const TPictureCollectionItem& item = *cell.Item;
  const int pw = item.Width(), ph = item.Height();
  const int count = item.PatternCount();
  const std::string label = item.Name() + "  " + std::to_string(pw) + "x" + std::to_string(ph) + "  x" + std::to_string(count);
  TLetterStyle s;
  s.Family = "B612";
  s.Weight = "Bold";
  s.Size = 12;
  s.OutlineWidth = 0;
  s.ShadowOffset = 0;
  s.Stencil = false;
  s.Spacing = 0;
  s.Top = s.Bottom = Rgb(0xf0f0f0);
  DrawTextLeft(cr, label, s, x, y + LabelHeight / 2.0);
  for (int i = 0; i < count; ++i) {
    TSurface pattern(pw, ph);
    Checker(pattern);
    item.DrawPattern(pattern, 0, 0, i);
    cairo_surface_t* img = ToCairo(pattern);
    const double px = x + (i % cell.Columns) * (pw + 2) * cell.Scale;
    const double py = y + LabelHeight + (i / cell.Columns) * (ph + 2) * cell.Scale;
    cairo_save(cr);
    cairo_translate(cr, px + 1, py + 1);
    cairo_scale(cr, cell.Scale, cell.Scale);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(img);
    // the pattern grid and the index
    cairo_set_source_rgb(cr, 1, 0.3, 0.3);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, px + 0.5, py + 0.5, pw * cell.Scale + 1, ph * cell.Scale + 1);
    cairo_stroke(cr);
    if (count > 1) {
      cairo_set_source_rgb(cr, 1, 1, 0.4);
      cairo_move_to(cr, px + 3, py + 11);
      cairo_set_font_size(cr, 10);
      cairo_show_text(cr, std::to_string(i).c_str());
    }
  }
}

}  // namespace

void WriteContactSheet(const std::filesystem::path& archive, const std::filesystem::path& png) {
  TPictureCollection pictures;
  pictures.LoadFromFile(archive);
  TSheetDevice device;
  pictures.Prepare(device);
  pictures.Rebuild();
  // Flow layout: cells left to right, wrapping into rows.
  std::vector<std::pair<TCell, std::pair<double, double>>> placed;
  double x = Margin, y = Margin, rowH = 0;
  for (int32_t i = 0; i < pictures.Count(); ++i) {
    const TCell cell = Measure(pictures.Items(i));
    if (x + cell.W > SheetWidth - Margin && x > Margin) {
      x = Margin;
      y += rowH + Margin;
      rowH = 0;
    }
    placed.push_back({cell, {x, y}});
    x += cell.W + Margin;
    rowH = std::max(rowH, static_cast<double>(cell.H));
  }
  const int height = static_cast<int>(y + rowH + Margin);
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, SheetWidth, height);
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.16, 0.15, 0.14);
  cairo_paint(cr);
  for (const auto& [cell, at] : placed) DrawCell(cr, cell, at.first, at.second);
  cairo_destroy(cr);
  const cairo_status_t status = cairo_surface_write_to_png(sheet, png.c_str());
  cairo_surface_destroy(sheet);
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + png.string());
}
