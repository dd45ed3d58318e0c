#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A colour with components from 0 to 1.
struct TColor {
  double R = 0, G = 0, B = 0, A = 1;
};

// 0xRRGGBB as an artist writes it.
TColor Rgb(uint32_t hex, double alpha = 1.0);
TColor Mix(const TColor& a, const TColor& b, double t);
TColor Darker(const TColor& c, double amount);
TColor Lighter(const TColor& c, double amount);
void SetColor(cairo_t* cr, const TColor& c);

// A finished picture before it goes into the archive: 24-bit pixels, rows top to bottom, bytes
// B, G, R, and the key colour that marks its transparent pixels.
struct TArtPicture {
  std::string Name;
  int32_t Width = 0, Height = 0;
  std::vector<uint8_t> Bgr;
  int32_t PatternWidth = 0, PatternHeight = 0;
  bool Transparent = true;
  uint32_t TransparentColor = 0;  // 0x00BBGGRR
};

// The key colour of every transparent picture: magenta, which no drawn pixel may use.
inline constexpr uint32_t KeyColorBgr = 0x00FF00FF;

// A cairo drawing surface for one picture, turned into archive pixels by Finish.
class TArtCanvas {
 public:
  TArtCanvas(int width, int height);
  ~TArtCanvas();
  TArtCanvas(const TArtCanvas&) = delete;
  TArtCanvas& operator=(const TArtCanvas&) = delete;

  cairo_t* Cr() const { return FCr; }
  cairo_surface_t* Surface() const { return FSurface; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Keyed picture: pixels that are mostly transparent become the key; anti-aliased edges are
  // laid onto the edge colour (the outline), never onto the key, so no magenta fringe shows.
  TArtPicture Finish(const std::string& name, int patternWidth, int patternHeight,
                     const TColor& edge) const;
  // Opaque picture (backgrounds): edges are laid onto black.
  TArtPicture FinishOpaque(const std::string& name) const;

 private:
  int FWidth, FHeight;
  cairo_surface_t* FSurface;
  cairo_t* FCr;
};

// Draws `count` patterns of patternWidth x patternHeight side by side; the callback draws
// pattern i with the origin at the pattern's top-left corner and the pattern as clip.
TArtPicture DrawStrip(const std::string& name, int patternWidth, int patternHeight, int count,
                      const TColor& edge, const std::function<void(cairo_t*, int)>& drawPattern);

// Mirrors a strip pattern by pattern (a figure walking right becomes one walking left).
TArtPicture MirrorPatterns(const TArtPicture& source, const std::string& name);

// Outlined shapes in the house style: the path is built by `path`, filled flat with `fill`, a
// darker rim on the side away from the light (lower right), then the dark outline.
void Shape(cairo_t* cr, const std::function<void(cairo_t*)>& path, const TColor& fill,
           const TColor& outline, double lineWidth, double shadeOffset = 0.0,
           double shadeAmount = 0.28);
// The muzzle flash shared by every gun: a glow, an orange star and a hot core, centred on (x, y).
void MuzzleFlash(cairo_t* cr, double x, double y, double size, double turn = 0.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void Polygon(cairo_t* cr, std::initializer_list<double> xy);
