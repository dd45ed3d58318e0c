#include "ArtCanvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

TColor Rgb(uint32_t hex, double alpha) {
  return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

TColor Mix(const TColor& a, const TColor& b, double t) {
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t,
          a.A + (b.A - a.A) * t};
}

TColor Darker(const TColor& c, double amount) { return Mix(c, Rgb(0x1a0e08, c.A), amount); }
TColor Lighter(const TColor& c, double amount) { return Mix(c, Rgb(0xfff6dc, c.A), amount); }

void SetColor(cairo_t* cr, const TColor& c) { cairo_set_source_rgba(cr, c.R, c.G, c.B, c.A); }

TArtCanvas::TArtCanvas(int width, int height)
    : FWidth(width),
      FHeight(height),
      FSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      FCr(cairo_create(FSurface)) {
  if (cairo_status(FCr) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo: cannot create canvas");
  cairo_set_line_join(FCr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(FCr, CAIRO_LINE_CAP_ROUND);
}

TArtCanvas::~TArtCanvas() {
  cairo_destroy(FCr);
  cairo_surface_destroy(FSurface);
}

namespace {

// A drawn pixel must not turn into the key after conversion to 16 bits, whichever way the
// conversion rounds: near-magenta is pulled a little towards green.
void AvoidKey(uint8_t& b, uint8_t& g, uint8_t& r) {
  if (r >= 240 && b >= 240 && g < 12) g = 12;
}

TArtPicture Convert(cairo_surface_t* surface, const std::string& name, int patternWidth,
                    int patternHeight, bool keyed, const TColor& edge) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  TArtPicture p;
  p.Name = name;
  p.Width = w;
  p.Height = h;
  p.PatternWidth = patternWidth;
  p.PatternHeight = patternHeight;
  p.Transparent = keyed;
  p.TransparentColor = keyed ? KeyColorBgr : 0;
  p.Bgr.resize(static_cast<size_t>(w) * h * 3);
  const double er = edge.R * 255, eg = edge.G * 255, eb = edge.B * 255;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    uint8_t* out = p.Bgr.data() + static_cast<size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x) {
      const uint32_t px = row[x];
      const double a = ((px >> 24) & 0xFF) / 255.0;
      // cairo keeps premultiplied colour: premultiplied + (1 - a) * edge lays the pixel onto
      // the edge colour, which is the same as un-premultiplying and blending.
      const double pr = (px >> 16) & 0xFF, pg = (px >> 8) & 0xFF, pb = px & 0xFF;
      uint8_t b, g, r;
      if (keyed && a < 0.4) {
        b = 0xFF, g = 0x00, r = 0xFF;
      } else {
        r = static_cast<uint8_t>(std::clamp(std::lround(pr + (1 - a) * er), 0L, 255L));
        g = static_cast<uint8_t>(std::clamp(std::lround(pg + (1 - a) * eg), 0L, 255L));
        b = static_cast<uint8_t>(std::clamp(std::lround(pb + (1 - a) * eb), 0L, 255L));
        AvoidKey(b, g, r);
      }
      out[3 * x] = b;
      out[3 * x + 1] = g;
      out[3 * x + 2] = r;
    }
  }
  return p;
}

}  // namespace

TArtPicture TArtCanvas::Finish(const std::string& name, int patternWidth, int patternHeight,
                               const TColor& edge) const {
  return Convert(FSurface, name, patternWidth, patternHeight, true, edge);
}

TArtPicture TArtCanvas::FinishOpaque(const std::string& name) const {
  return Convert(FSurface, name, 0, 0, false, Rgb(0x000000));
}

TArtPicture DrawStrip(const std::string& name, int patternWidth, int patternHeight, int count,
                      const TColor& edge, const std::function<void(cairo_t*, int)>& drawPattern) {
  TArtCanvas canvas(patternWidth * count, patternHeight);
  cairo_t* cr = canvas.Cr();
  for (int i = 0; i < count; ++i) {
    cairo_save(cr);
    cairo_translate(cr, patternWidth * i, 0);
    cairo_rectangle(cr, 0, 0, patternWidth, patternHeight);
    cairo_clip(cr);
    cairo_new_path(cr);
    drawPattern(cr, i);
    cairo_restore(cr);
  }
  const bool single = count == 1;
  return canvas.Finish(name, single ? 0 : patternWidth, single ? 0 : patternHeight, edge);
}

TArtPicture MirrorPatterns(const TArtPicture& source, const std::string& name) {
  TArtPicture p = source;
  p.Name = name;
  const int pw = source.PatternWidth > 0 ? source.PatternWidth : source.Width;
  for (int y = 0; y < source.Height; ++y) {
    for (int x = 0; x < source.Width; ++x) {
      const int cell = x / pw, inCell = x % pw;
      const int sx = cell * pw + (pw - 1 - inCell);
      const size_t d = (static_cast<size_t>(y) * source.Width + x) * 3;
      const size_t s = (static_cast<size_t>(y) * source.Width + sx) * 3;
      p.Bgr[d] = source.Bgr[s];
      p.Bgr[d + 1] = source.Bgr[s + 1];
      p.Bgr[d + 2] = source.Bgr[s + 2];
    }
  }
  return p;
}

void Shape(cairo_t* cr, const std::function<void(cairo_t*)>& path, const TColor& fill,
           const TColor& outline, double lineWidth, double shadeOffset, double shadeAmount) {
  cairo_save(cr);
  cairo_new_path(cr);
  path(cr);
  SetColor(cr, fill);
  if (shadeOffset > 0) {
    // Two-tone shading: the shape in its shadow tone, then the shape shifted towards the light
    // in its own tone, clipped to itself, leaves a dark rim on the lower right.
    cairo_clip_preserve(cr);
    SetColor(cr, Darker(fill, shadeAmount));
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, -shadeOffset, -shadeOffset);
    path(cr);
    cairo_restore(cr);
    SetColor(cr, fill);
    cairo_fill(cr);
    cairo_reset_clip(cr);
    path(cr);
  } else {
    cairo_fill_preserve(cr);
  }
  if (lineWidth > 0) {
    SetColor(cr, outline);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

void MuzzleFlash(cairo_t* cr, double x, double y, double size, double turn) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, turn);
  cairo_pattern_t* glow = cairo_pattern_create_radial(0, 0, 0, 0, 0, size * 1.3);
  cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.97, 0.7, 1);
  cairo_pattern_add_color_stop_rgba(glow, 0.5, 1, 0.7, 0.2, 0.7);
  cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.5, 0.1, 0);
  cairo_set_source(cr, glow);
  cairo_arc(cr, 0, 0, size * 1.3, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  for (int layer = 0; layer < 2; ++layer) {
    const double outer = size * (layer == 0 ? 1.0 : 0.58), inner = outer * 0.4;
    cairo_new_path(cr);
    for (int i = 0; i < 16; ++i) {
      const double a = i * M_PI / 8;
      const double rr = (i % 2 == 0) ? outer * (i % 4 == 0 ? 1.0 : 0.7) : inner;
      if (i == 0) cairo_move_to(cr, std::cos(a) * rr, std::sin(a) * rr);
      else cairo_line_to(cr, std::cos(a) * rr, std::sin(a) * rr);
    }
    cairo_close_path(cr);
    SetColor(cr, layer == 0 ? Rgb(0xffa020) : Rgb(0xfff6c0));
    cairo_fill_preserve(cr);
    if (layer == 0) {
      SetColor(cr, Rgb(0x9a3a08));
      cairo_set_line_width(cr, 1.4);
      cairo_stroke(cr);
    }
    cairo_new_path(cr);
  }
  cairo_restore(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void Polygon(cairo_t* cr, std::initializer_list<double> xy) {
  const double* p = xy.begin();
  const size_t n = xy.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    if (i == 0) cairo_move_to(cr, p[0], p[1]);
    else cairo_line_to(cr, p[2 * i], p[2 * i + 1]);
  }
  cairo_close_path(cr);
}
