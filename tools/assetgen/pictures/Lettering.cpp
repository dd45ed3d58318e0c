#include "Lettering.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct TLayoutDeleter {
  void operator()(PangoLayout* l) const { g_object_unref(l); }
};
using TLayout = std::unique_ptr<PangoLayout, TLayoutDeleter>;

// Which family pango really uses for each request; pango falls back silently, so the build
// reports a missing family once instead of shipping lettering in a stranger's font.
std::map<std::string, std::string>& ResolvedFonts() {
  static std::map<std::string, std::string> resolved;
  return resolved;
}

void CheckFont(PangoContext* context, PangoFontDescription* desc, const std::string& asked) {
  auto& resolved = ResolvedFonts();
  if (resolved.count(asked)) return;
  PangoFont* font = pango_context_load_font(context, desc);
  std::string used = "(none)";
  if (font) {
    PangoFontDescription* d = pango_font_describe(font);
    used = pango_font_description_get_family(d);
    pango_font_description_free(d);
    g_object_unref(font);
  }
  resolved[asked] = used;
  if (used != asked) std::fprintf(stderr, "assetgen: font '%s' is missing, pango uses '%s'\n", asked.c_str(), used.c_str());
}

TLayout MakeLayout(cairo_t* cr, const std::string& text, const TLetterStyle& style) {
  TLayout layout(pango_cairo_create_layout(cr));
  const std::string spec = style.Family + " " + style.Weight;
  PangoFontDescription* desc = pango_font_description_from_string(spec.c_str());
  pango_font_description_set_absolute_size(desc, style.Size * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), desc);
  CheckFont(pango_layout_get_context(layout.get()), desc, style.Family);
  pango_font_description_free(desc);
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_letter_spacing_new(static_cast<int>(style.Spacing * PANGO_SCALE)));
  pango_layout_set_attributes(layout.get(), attrs);
  pango_attr_list_unref(attrs);
  pango_layout_set_text(layout.get(), text.c_str(), -1);
  return layout;
}

PangoRectangle Ink(PangoLayout* layout) {
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  return ink;
}

// Draws the layout whose ink box starts at (left, top).
void Paint(cairo_t* cr, PangoLayout* layout, const TLetterStyle& style, double left, double top) {
  const PangoRectangle ink = Ink(layout);
  const double ox = left - ink.x, oy = top - ink.y;
  cairo_save(cr);
  if (style.ShadowOffset > 0) {
    cairo_move_to(cr, ox + style.ShadowOffset, oy + style.ShadowOffset);
    pango_cairo_layout_path(cr, layout);
    SetColor(cr, Rgb(0x1a0e08, 0.55));
    cairo_set_line_width(cr, style.OutlineWidth);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
  }
  cairo_move_to(cr, ox, oy);
  pango_cairo_layout_path(cr, layout);
  if (style.OutlineWidth > 0) {
    SetColor(cr, style.Outline);
    cairo_set_line_width(cr, style.OutlineWidth * 2);
    cairo_stroke_preserve(cr);
  }
  cairo_pattern_t* grad = cairo_pattern_create_linear(0, top, 0, top + ink.height);
  cairo_pattern_add_color_stop_rgb(grad, 0, style.Top.R, style.Top.G, style.Top.B);
  cairo_pattern_add_color_stop_rgb(grad, 0.55, Mix(style.Top, style.Bottom, 0.5).R,
                                   Mix(style.Top, style.Bottom, 0.5).G, Mix(style.Top, style.Bottom, 0.5).B);
  cairo_pattern_add_color_stop_rgb(grad, 1, style.Bottom.R, style.Bottom.G, style.Bottom.B);
  cairo_set_source(cr, grad);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(grad);
  if (style.Stencil && ink.height > 14) {
    // Stencil bridge: a thin band in the outline colour across the letters just below the middle.
    cairo_clip(cr);
    SetColor(cr, style.Outline);
    const double band = std::max(1.5, ink.height * 0.07);
    cairo_rectangle(cr, left - 2, top + ink.height * 0.56, ink.width + 4, band);
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

}  // namespace

TTextSize MeasureText(const std::string& text, const TLetterStyle& style) {
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
  cairo_t* cr = cairo_create(scratch);
  TLayout layout = MakeLayout(cr, text, style);
  const PangoRectangle ink = Ink(layout.get());
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return {static_cast<double>(ink.width), static_cast<double>(ink.height)};
}

void DrawTextCentred(cairo_t* cr, const std::string& text, const TLetterStyle& style, double cx,
                     double cy) {
  TLayout layout = MakeLayout(cr, text, style);
  const PangoRectangle ink = Ink(layout.get());
  Paint(cr, layout.get(), style, cx - ink.width / 2.0, cy - ink.height / 2.0);
}

void DrawTextLeft(cairo_t* cr, const std::string& text, const TLetterStyle& style, double x,
                  double cy) {
  TLayout layout = MakeLayout(cr, text, style);
  const PangoRectangle ink = Ink(layout.get());
  Paint(cr, layout.get(), style, x, cy - ink.height / 2.0);
}

void DrawTextBaseline(cairo_t* cr, const std::string& text, const TLetterStyle& style, double x,
                      double baseline) {
  TLayout layout = MakeLayout(cr, text, style);
  const PangoRectangle ink = Ink(layout.get());
  const double layoutBaseline = pango_layout_get_baseline(layout.get()) / static_cast<double>(PANGO_SCALE);
  // Paint places the ink box's top-left corner; the baseline lies layoutBaseline below the
  // layout's top, and the ink box starts ink.y below it.
  Paint(cr, layout.get(), style, x, baseline - layoutBaseline + ink.y);
}

void DrawTextInBox(cairo_t* cr, const std::string& text, TLetterStyle style, double x, double y,
                   double w, double h, double margin) {
  const double room = style.OutlineWidth + style.ShadowOffset + margin;
  for (int guard = 0; guard < 60; ++guard) {
    const TTextSize s = MeasureText(text, style);
    if ((s.Width + 2 * room <= w && s.Height + 2 * room <= h) || style.Size < 8) break;
    style.Size *= 0.94;
  }
  DrawTextCentred(cr, text, style, x + w / 2, y + h / 2);
}

std::string FontReport() {
  std::string out;
  for (const auto& [asked, used] : ResolvedFonts()) out += asked + " -> " + used + "\n";
  return out;
}
