#include <cmath>
#include <functional>
#include <random>
#include <string>

#include "PictureFamilies.h"

// The four battlefields and their scenery. Ground bands: sky above y 300, the far road where
// vehicles drive (their bottoms at y 310..369), the near sand where people walk (feet at
// y 410..519); the HUD sits over y 0..45 and y 530..600.
namespace {

const TColor Ink = OutlineColor();

struct TSky {
  TColor Top, Horizon, Hills, Sand, SandDark, Road;
};

TSky SceneSky(int n, const TArtParams& p) {
  TSky s;
  switch (n) {
    case 1: s = {Rgb(0x3f7fc0), Rgb(0xcfe4ea), Rgb(0xb88a5c), Rgb(0xe2c285), Rgb(0xc99e5e), Rgb(0xb8946a)}; break;
    case 2: s = {Rgb(0x4a86b8), Rgb(0xf2dcaa), Rgb(0xa8704a), Rgb(0xdcb070), Rgb(0xbf8a4e), Rgb(0xa98462)}; break;
    case 3: s = {Rgb(0x5a78a8), Rgb(0xf6c48a), Rgb(0x8a6a4a), Rgb(0xd8b27a), Rgb(0xa8864e), Rgb(0x9c8466)}; break;
    default: s = {Rgb(0x3c3f78), Rgb(0xf0a070), Rgb(0x7a4a48), Rgb(0xcf9f6a), Rgb(0xa6703f), Rgb(0x8e6a52)}; break;
  }
  const std::string k = "scene" + std::to_string(n) + ".";
  s.Top = p.Color(k + "skyTop", s.Top);
  s.Horizon = p.Color(k + "skyHorizon", s.Horizon);
  s.Hills = p.Color(k + "hills", s.Hills);
  s.Sand = p.Color(k + "sand", s.Sand);
  s.SandDark = p.Color(k + "sandShade", s.SandDark);
  s.Road = p.Color(k + "road", s.Road);
  return s;
}

void Gradient(cairo_t* cr, double y0, double y1, const TColor& a, const TColor& b) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(g, 0, a.R, a.G, a.B);
  cairo_pattern_add_color_stop_rgb(g, 1, b.R, b.G, b.B);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 0, y0, 800, y1 - y0);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

// A ridge line across the screen from a seed: smooth hills between yTop and yBase.
void Ridge(cairo_t* cr, std::mt19937& rng, double yTop, double yBase, const TColor& c, bool mesas) {
  std::uniform_real_distribution<double> u(0, 1);
  cairo_move_to(cr, 0, yBase);
  double x = 0;
  cairo_line_to(cr, 0, yTop + (yBase - yTop) * u(rng));
  while (x < 800) {
    const double step = 60 + 90 * u(rng);
    const double y = yTop + (yBase - yTop) * u(rng);
    if (mesas && u(rng) < 0.4) {
      cairo_line_to(cr, x + step * 0.2, yTop);
      cairo_line_to(cr, x + step * 0.8, yTop);
      cairo_line_to(cr, x + step, y);
    } else {
      cairo_curve_to(cr, x + step * 0.4, y - 10, x + step * 0.6, y - 10, x + step, y);
    }
    x += step;
  }
  cairo_line_to(cr, 800, yBase);
  cairo_close_path(cr);
  SetColor(cr, c);
  cairo_fill_preserve(cr);
  SetColor(cr, Darker(c, 0.25));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

// Hazy silhouettes on the far ground behind the road give each battlefield its own skyline.
void DistantProps(cairo_t* cr, int n, const TColor& haze, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0, 1);
  SetColor(cr, haze);
  const double ground = 300;
  switch (n) {
    case 1:  // a village: flat roofs and a dome
      for (double x : {430.0, 470.0, 520.0, 560.0}) {
        const double w = 30 + u(rng) * 20, h = 14 + u(rng) * 14;
        cairo_rectangle(cr, x, ground - h, w, h);
      }
      cairo_fill(cr);
      cairo_arc(cr, 505, ground - 22, 12, M_PI, 2 * M_PI);
      cairo_fill(cr);
      cairo_rectangle(cr, 600, ground - 46, 6, 46);
      cairo_fill(cr);
      break;
    case 2:  // an oasis: distant palms
      for (double x : {150.0, 190.0, 700.0, 730.0}) {
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, x, ground);
        cairo_curve_to(cr, x + 2, ground - 15, x + 5, ground - 25, x + 6, ground - 34);
        cairo_stroke(cr);
        for (int i = 0; i < 5; ++i) {
          const double a = -M_PI + i * M_PI / 4;
          cairo_move_to(cr, x + 6, ground - 34);
          cairo_line_to(cr, x + 6 + std::cos(a) * 16, ground - 34 + std::sin(a) * 6 + 6);
          cairo_line_to(cr, x + 6 + std::cos(a) * 10, ground - 33 + std::sin(a) * 4 + 2);
          cairo_close_path(cr);
          cairo_fill(cr);
        }
      }
      break;
    case 3:  // oil derricks and a water tower
      for (double x : {520.0, 600.0}) {
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x - 10, ground);
        cairo_line_to(cr, x, ground - 50);
        cairo_line_to(cr, x + 10, ground);
        cairo_move_to(cr, x - 6, ground - 20);
        cairo_line_to(cr, x + 6, ground - 20);
        cairo_stroke(cr);
      }
      cairo_rectangle(cr, 140, ground - 40, 26, 16);
      cairo_fill(cr);
      cairo_set_line_width(cr, 2);
      cairo_move_to(cr, 143, ground - 24);
      cairo_line_to(cr, 140, ground);
      cairo_move_to(cr, 163, ground - 24);
      cairo_line_to(cr, 166, ground);
      cairo_stroke(cr);
      break;
    default:  // a fenced base with a radar mast
      cairo_set_line_width(cr, 1.5);
      for (double x = 200; x < 800; x += 22) {
        cairo_move_to(cr, x, ground);
        cairo_line_to(cr, x, ground - 12);
      }
      cairo_move_to(cr, 200, ground - 10);
      cairo_line_to(cr, 800, ground - 10);
      cairo_move_to(cr, 200, ground - 5);
      cairo_line_to(cr, 800, ground - 5);
      cairo_stroke(cr);
      cairo_set_line_width(cr, 2.5);
      cairo_move_to(cr, 380, ground);
      cairo_line_to(cr, 388, ground - 60);
      cairo_line_to(cr, 396, ground);
      cairo_stroke(cr);
      cairo_save(cr);
      cairo_translate(cr, 388, ground - 62);
      cairo_scale(cr, 14, 5);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_fill(cr);
      break;
  }
}

TArtPicture Scene(int n, const TArtParams& p) {
  const TSky s = SceneSky(n, p);
  TArtCanvas canvas(800, 600);
  cairo_t* cr = canvas.Cr();
  std::mt19937 rng(1000 + n);
  std::uniform_real_distribution<double> u(0, 1);
  Gradient(cr, 0, 290, s.Top, s.Horizon);
  // sun and a few flat clouds
  const double sunX = 120 + 150 * n, sunY = n == 4 ? 240 : 70 + 20 * n;
  cairo_pattern_t* sun = cairo_pattern_create_radial(sunX, sunY, 10, sunX, sunY, 90);
  cairo_pattern_add_color_stop_rgba(sun, 0, 1, 0.97, 0.85, 0.9);
  cairo_pattern_add_color_stop_rgba(sun, 1, 1, 0.9, 0.7, 0);
  cairo_set_source(cr, sun);
  cairo_arc(cr, sunX, sunY, 90, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(sun);
  SetColor(cr, Rgb(0xfff4d8));
  cairo_arc(cr, sunX, sunY, 22, 0, 2 * M_PI);
  cairo_fill(cr);
  for (int i = 0; i < 4; ++i) {
    const double cx = 80 + u(rng) * 640, cy = 60 + u(rng) * 140, w = 60 + u(rng) * 80;
    SetColor(cr, Mix(s.Horizon, Rgb(0xffffff), 0.5));
    RoundedRect(cr, cx - w / 2, cy, w, 9, 4.5);
    cairo_fill(cr);
    RoundedRect(cr, cx - w / 4, cy - 7, w / 2, 10, 5);
    cairo_fill(cr);
  }
  // far hills, near hills
  Ridge(cr, rng, 215, 292, Mix(s.Hills, s.Horizon, 0.45), true);
  Ridge(cr, rng, 255, 302, s.Hills, false);
  // ground: the far road band then the near sand
  Gradient(cr, 292, 600, s.Sand, Mix(s.Sand, s.SandDark, 0.6));
  DistantProps(cr, n, Mix(s.Hills, s.Horizon, 0.3), rng);
  Gradient(cr, 312, 372, s.Road, Mix(s.Road, s.SandDark, 0.3));
  SetColor(cr, Darker(s.Road, 0.35));
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, 0, 312);
  cairo_line_to(cr, 800, 312);
  cairo_move_to(cr, 0, 372);
  cairo_line_to(cr, 800, 372);
  cairo_stroke(cr);
  // ruts and tyre marks along the road
  SetColor(cr, Darker(s.Road, 0.18));
  cairo_set_line_width(cr, 1.5);
  for (double y : {330.0, 352.0}) {
    cairo_move_to(cr, 0, y);
    for (double x = 0; x <= 800; x += 40) cairo_line_to(cr, x, y + 2 * std::sin(x * 0.02 + n));
    cairo_stroke(cr);
  }
  // dunes and pebbles on the near sand
  for (int i = 0; i < 5; ++i) {
    const double cx = u(rng) * 800, cy = 400 + u(rng) * 110, w = 160 + u(rng) * 160;
    SetColor(cr, Mix(s.Sand, Rgb(0xfff0d0), 0.22));
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, w / 2, 10);
    cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
  // wind ripples in the sand
  SetColor(cr, Darker(s.Sand, 0.16));
  cairo_set_line_width(cr, 1.4);
  for (int i = 0; i < 26; ++i) {
    const double x = u(rng) * 800, y = 385 + u(rng) * 140, w = 30 + u(rng) * 50;
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, x + w * 0.3, y - 4, x + w * 0.7, y - 4, x + w, y);
    cairo_stroke(cr);
  }
  // dry shrubs along the road's edge
  for (int i = 0; i < 7; ++i) {
    const double x = 30 + u(rng) * 740, y = 372 + u(rng) * 8;
    for (int k = 0; k < 3; ++k) {
      Shape(cr, [&](cairo_t* g) { cairo_arc(g, x + k * 6 - 6, y - 3 - (k == 1 ? 3 : 0), 5, 0, 2 * M_PI); },
            Mix(Rgb(0x7a7a3a), s.Sand, 0.25), Darker(s.Sand, 0.55), 1.2);
    }
  }
  for (int i = 0; i < 140; ++i) {
    const double x = u(rng) * 800, y = 378 + u(rng) * 150, r = 1 + u(rng) * 2.5 * (y - 360) / 160;
    SetColor(cr, i % 3 == 0 ? Darker(s.Sand, 0.35) : Mix(s.Sand, Rgb(0xffffff), 0.3));
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, r * 1.6, r);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
  // the player's trench: sandbags along the bottom behind the HUD
  Gradient(cr, 540, 600, Darker(s.SandDark, 0.2), Darker(s.SandDark, 0.45));
  for (int row = 0; row < 2; ++row) {
    for (int i = -1; i < 12; ++i) {
      const double x = i * 72 + (row ? 36 : 0), y = 544 + row * 26;
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, x, y, 70, 26, 12); }, Mix(Rgb(0xb89c68), s.Sand, 0.3), Ink, 2, 3);
    }
  }
  return canvas.FinishOpaque("Scene" + std::to_string(n));
}

// ---- scenery objects, each filling its own canvas with the bottom edge on the ground ----

void Palm(cairo_t* cr, double w, double h, double lean) {
  const double baseX = w * 0.5, topX = w * 0.5 + lean * w * 0.18, topY = h * 0.22;
  // trunk of stacked rings
  const int rings = 12;
  for (int i = rings - 1; i >= 0; --i) {
    const double t0 = static_cast<double>(i) / rings, t1 = static_cast<double>(i + 1) / rings;
    auto at = [&](double t) {
      return std::pair<double, double>{baseX + (topX - baseX) * t + std::sin(t * M_PI) * lean * 12,
                                       h - 2 - (h - 2 - topY) * t};
    };
    const auto [x0, y0] = at(t0);
    const auto [x1, y1] = at(t1);
    const double r0 = 9 - 3 * t0, r1 = 9 - 3 * t1;
    Shape(cr, [&](cairo_t* g) { Polygon(g, {x0 - r0, y0, x0 + r0, y0, x1 + r1 + 1, y1, x1 - r1 - 1, y1}); },
          Rgb(0x8a5a32), Ink, 1.8, 2.5);
  }
  // fronds
  const TColor leaf = Rgb(0x5f8a34);
  for (int i = 0; i < 7; ++i) {
    const double a = -M_PI + i * M_PI / 6 + 0.1 * lean;
    const double len = w * (0.42 + 0.06 * (i % 2));
    const double ex = topX + std::cos(a) * len, ey = topY + std::sin(a) * len * 0.55 + len * 0.55;
    const double mx = topX + std::cos(a) * len * 0.5, my = topY + std::sin(a) * len * 0.6 - 6;
    Shape(cr, [&](cairo_t* g) {
      cairo_move_to(g, topX, topY);
      cairo_curve_to(g, mx - 6, my - 8, ex, ey - 12, ex, ey);
      cairo_curve_to(g, ex - std::cos(a) * 10, ey - 2, mx + 6, my + 10, topX, topY + 4);
      cairo_close_path(g);
    }, i % 2 ? leaf : Darker(leaf, 0.15), Ink, 1.8, 2.5);
  }
  SetColor(cr, Rgb(0x6a3a1a));
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, topX - 6 + i * 6, topY + 6, 4, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    SetColor(cr, Ink);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    SetColor(cr, Rgb(0x6a3a1a));
  }
}

void House(cairo_t* cr, double w, double h, const TColor& wall, bool dome, int windows) {
  const double roofY = dome ? h * 0.3 : h * 0.12;
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, 3, h - 2);
    cairo_line_to(g, 3, roofY);
    cairo_line_to(g, w - 3, roofY);
    cairo_line_to(g, w - 3, h - 2);
    cairo_close_path(g);
  }, wall, Ink, 2.4, 6, 0.22);
  if (dome) {
    Shape(cr, [&](cairo_t* g) {
      cairo_arc(g, w * 0.5, roofY, w * 0.3, M_PI, 2 * M_PI);
      cairo_close_path(g);
    }, Lighter(wall, 0.15), Ink, 2.2, 5, 0.22);
  } else {
    // parapet and roof beams
    Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, 1, roofY - 8, w - 2, 10); }, Lighter(wall, 0.12), Ink, 2);
    for (double x = 14; x < w - 10; x += 26) {
      Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, x, roofY + 4, 6, 5); }, Rgb(0x6a4424), Ink, 1.2);
    }
  }
  // cracks and plaster patches
  SetColor(cr, Darker(wall, 0.3));
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, w * 0.78, roofY + 6);
  cairo_line_to(cr, w * 0.74, roofY + 20);
  cairo_line_to(cr, w * 0.8, roofY + 30);
  cairo_stroke(cr);
  // door
  const double dw = std::min(30.0, w * 0.22), dh = std::min(h * 0.45, 60.0);
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, w * 0.3 - dw / 2, h - 2);
    cairo_line_to(g, w * 0.3 - dw / 2, h - 2 - dh + dw / 2);
    cairo_arc(g, w * 0.3, h - 2 - dh + dw / 2, dw / 2, M_PI, 2 * M_PI);
    cairo_line_to(g, w * 0.3 + dw / 2, h - 2);
    cairo_close_path(g);
  }, Rgb(0x3a2418), Ink, 2);
  for (int i = 0; i < windows; ++i) {
    const double wx = w * (0.55 + 0.22 * i), wy = roofY + (h - roofY) * 0.25;
    if (wx + 10 > w - 6) break;
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, wx - 9, wy, 18, 20, 3); }, Rgb(0x2a1c14), Ink, 2);
    // wooden shutters and a sill
    for (int side = -1; side <= 1; side += 2)
      Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, wx + side * 13 - 4, wy - 1, 8, 22); }, Rgb(0x4f7a86), Ink, 1.4);
    Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, wx - 11, wy + 19, 22, 4); }, Lighter(wall, 0.2), Ink, 1.2);
  }
  // a striped awning over the door and a water jar beside it
  const double ax = w * 0.3, ay = h - 2 - dh - 4;
  Shape(cr, [&](cairo_t* g) { Polygon(g, {ax - dw * 0.9, ay, ax + dw * 0.9, ay, ax + dw * 1.05, ay + 14, ax - dw * 1.05, ay + 14}); },
        Rgb(0xc0502c), Ink, 1.8);
  cairo_save(cr);
  Polygon(cr, {ax - dw * 0.9, ay, ax + dw * 0.9, ay, ax + dw * 1.05, ay + 14, ax - dw * 1.05, ay + 14});
  cairo_clip(cr);
  SetColor(cr, Rgb(0xf0e0c0));
  for (double x = ax - dw * 1.1; x < ax + dw * 1.1; x += 10) {
    cairo_rectangle(cr, x, ay, 5, 14);
  }
  cairo_fill(cr);
  cairo_restore(cr);
  Polygon(cr, {ax - dw * 0.9, ay, ax + dw * 0.9, ay, ax + dw * 1.05, ay + 14, ax - dw * 1.05, ay + 14});
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1.8);
  cairo_stroke(cr);
  const double jx = w * 0.3 + dw * 0.5 + 12;
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, jx - 4, h - 24);
    cairo_curve_to(g, jx - 12, h - 16, jx - 10, h - 3, jx - 5, h - 2);
    cairo_line_to(g, jx + 5, h - 2);
    cairo_curve_to(g, jx + 10, h - 3, jx + 12, h - 16, jx + 4, h - 24);
    cairo_close_path(g);
  }, Rgb(0xb0643a), Ink, 1.6, 2);
}

void Barrel(cairo_t* cr, double x, double y, double w, double h, const TColor& paint) {
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, x, y, w, h, 5); }, paint, Ink, 2, 3);
  for (double t : {0.28, 0.7}) {
    SetColor(cr, Darker(paint, 0.35));
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, x + 2, y + h * t);
    cairo_line_to(cr, x + w - 2, y + h * t);
    cairo_stroke(cr);
  }
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, x + w / 2, y + 3);
    cairo_scale(g, w / 2 - 1, 3);
    cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(g);
  }, Lighter(paint, 0.2), Ink, 1.5);
  // hazard diamond
  Shape(cr, [&](cairo_t* g) {
    const double cx = x + w / 2, cy = y + h * 0.49;
    Polygon(g, {cx, cy - 6, cx + 6, cy, cx, cy + 6, cx - 6, cy});
  }, Rgb(0xf0c030), Ink, 1.2);
}

void Well(cairo_t* cr, double w, double h) {
  const TColor stone = Rgb(0xb8a088);
  // posts and beam with the bucket
  for (double x : {w * 0.16, w * 0.84}) Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, x - 3, 2, 6, h * 0.55); }, Rgb(0x7a4a26), Ink, 1.6);
  Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, w * 0.1, 2, w * 0.8, 6); }, Rgb(0x8a5a30), Ink, 1.6);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, w * 0.5, 8);
  cairo_line_to(cr, w * 0.5, h * 0.3);
  cairo_stroke(cr);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.43, h * 0.3, w * 0.57, h * 0.3, w * 0.55, h * 0.42, w * 0.45, h * 0.42}); }, Rgb(0x8a8a80), Ink, 1.4);
  // round stone wall
  const double top = h * 0.45;
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, 3, top);
    cairo_line_to(g, 3, h - 8);
    cairo_curve_to(g, w * 0.3, h + 1, w * 0.7, h + 1, w - 3, h - 8);
    cairo_line_to(g, w - 3, top);
    cairo_close_path(g);
  }, stone, Ink, 2, 4);
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, w / 2, top);
    cairo_scale(g, w / 2 - 3, 7);
    cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(g);
  }, Lighter(stone, 0.2), Ink, 2);
  SetColor(cr, Darker(stone, 0.35));
  cairo_set_line_width(cr, 1.3);
  for (int row = 0; row < 3; ++row) {
    const double y = top + 12 + row * (h - top - 16) / 3;
    cairo_move_to(cr, 4, y);
    cairo_line_to(cr, w - 4, y);
    for (double x = 10 + row * 8; x < w - 6; x += 18) {
      cairo_move_to(cr, x, y);
      cairo_line_to(cr, x, y + (h - top - 16) / 3);
    }
  }
  cairo_stroke(cr);
}

void Stone(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) {
    Polygon(g, {3, h - 2, 8, h * 0.4, w * 0.35, 4, w * 0.7, h * 0.15, w - 4, h * 0.55, w - 2, h - 2});
  }, Rgb(0xa89478), Ink, 2.2, 5);
  SetColor(cr, Rgb(0x7a6a58));
  cairo_set_line_width(cr, 1.3);
  cairo_move_to(cr, w * 0.35, 6);
  cairo_line_to(cr, w * 0.45, h * 0.6);
  cairo_stroke(cr);
}

void Grass(cairo_t* cr, double w, double h, int seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  for (int i = 0; i < 14; ++i) {
    const double x = 6 + u(rng) * (w - 12), tall = h * (0.45 + 0.55 * u(rng)), bend = (u(rng) - 0.5) * 16;
    Shape(cr, [&](cairo_t* g) {
      cairo_move_to(g, x - 3, h - 1);
      cairo_curve_to(g, x - 2, h - tall * 0.5, x + bend * 0.5, h - tall * 0.8, x + bend, h - tall + 2);
      cairo_curve_to(g, x + bend * 0.4, h - tall * 0.7, x + 2, h - tall * 0.4, x + 3, h - 1);
      cairo_close_path(g);
    }, i % 2 ? Rgb(0x8a9a3a) : Rgb(0xa8a048), Ink, 1.4);
  }
}

// Burnt-out wrecks share a scorched palette.
const TColor Scorched = Rgb(0x5a5248);
const TColor Rust = Rgb(0x8a4a2a);

void WreckTank(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, 6, h - 18, w - 20, 16, 8); }, Rgb(0x3a3430), Ink, 2);
  for (int i = 0; i < 5; ++i) Shape(cr, [&](cairo_t* g) { cairo_arc(g, 18 + i * (w - 40) / 4.0, h - 10, 6, 0, 2 * M_PI); }, Rgb(0x5a544c), Ink, 1.4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {2, h - 18, 14, h - 32, w - 24, h - 34, w - 6, h - 22, w - 12, h - 16, 6, h - 16}); }, Scorched, Ink, 2, 3);
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, w * 0.35, h - 33);
    cairo_curve_to(g, w * 0.36, h - 50, w * 0.6, h - 52, w * 0.64, h - 34);
    cairo_close_path(g);
  }, Rust, Ink, 2, 3);
  // barrel drooping to the ground
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 7);
  cairo_move_to(cr, w * 0.6, h - 42);
  cairo_line_to(cr, w - 4, h - 26);
  cairo_stroke(cr);
  SetColor(cr, Scorched);
  cairo_set_line_width(cr, 4);
  cairo_move_to(cr, w * 0.6, h - 42);
  cairo_line_to(cr, w - 5, h - 26);
  cairo_stroke(cr);
  SetColor(cr, Rgb(0x201a16, 0.7));
  cairo_arc(cr, w * 0.3, h - 26, 5, 0, 2 * M_PI);
  cairo_fill(cr);
}

void WreckPlane(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) { Polygon(g, {4, h - 4, 10, h - 26, w * 0.75, h - 40, w - 8, h - 30, w - 16, h - 8, w * 0.3, h - 2}); }, Rgb(0x8a9078), Ink, 2.2, 4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.35, h - 34, w * 0.55, h - 36, w * 0.5, 4, w * 0.42, 6}); }, Rgb(0x7a8068), Ink, 2, 3);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {12, h - 24, 20, h - 60, 34, h - 60, 36, h - 28}); }, Rgb(0x7a8068), Ink, 2, 3);
  for (int i = 0; i < 4; ++i) {
    SetColor(cr, Darker(Rgb(0x8a9078), 0.4));
    cairo_arc(cr, w * (0.3 + 0.12 * i), h - 24, 3, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.6, h - 20, w * 0.72, h - 24, w * 0.7, h - 12}); }, Rgb(0x1e1a18), Ink, 1.4);
}

void WreckHeli(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.05, h - 22, w * 0.55, h - 30, w * 0.55, h - 22, w * 0.05, h - 16}); }, Scorched, Ink, 2);
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, w * 0.7, h - 22);
    cairo_scale(g, w * 0.26, 20);
    cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(g);
  }, Rgb(0x6a6a4a), Ink, 2.2, 4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.78, h - 34, w * 0.92, h - 28, w * 0.9, h - 20, w * 0.78, h - 22}); }, Rgb(0x3a4a50), Ink, 1.5);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, w * 0.7, h - 42);
  cairo_line_to(cr, w * 0.2, h - 50);
  cairo_move_to(cr, w * 0.7, h - 42);
  cairo_line_to(cr, w * 0.98, h - 30);
  cairo_stroke(cr);
  SetColor(cr, Rgb(0x2a2420));
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, w * 0.5, h - 3);
  cairo_line_to(cr, w * 0.9, h - 3);
  cairo_stroke(cr);
}

void WreckTruck(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) { Polygon(g, {4, h - 14, 4, h - 50, w * 0.62, h - 50, w * 0.62, h - 14}); }, Rust, Ink, 2.2, 4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.64, h - 14, w * 0.64, h - 44, w * 0.84, h - 44, w - 4, h - 30, w - 4, h - 14}); }, Rgb(0x6a7048), Ink, 2.2, 4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.7, h - 40, w * 0.82, h - 40, w * 0.9, h - 31, w * 0.7, h - 31}); }, Rgb(0x24282a), Ink, 1.5);
  for (double x : {w * 0.18, w * 0.42, w * 0.82}) {
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, h - 12, 10, 0, 2 * M_PI); }, Rgb(0x2c2622), Ink, 1.6);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, h - 12, 4, 0, 2 * M_PI); }, Rgb(0x6a6050), Ink, 1.2);
  }
  SetColor(cr, Darker(Rust, 0.4));
  cairo_set_line_width(cr, 1.5);
  for (double x = 14; x < w * 0.6; x += 14) {
    cairo_move_to(cr, x, h - 48);
    cairo_line_to(cr, x, h - 16);
  }
  cairo_stroke(cr);
}

void Dish(cairo_t* cr, double w, double h) {
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.42, h - 2, w * 0.47, h * 0.45, w * 0.55, h * 0.45, w * 0.6, h - 2}); }, Rgb(0x8a8a84), Ink, 2, 2);
  Shape(cr, [&](cairo_t* g) { cairo_rectangle(g, w * 0.25, h - 10, w * 0.5, 8); }, Rgb(0x9a8a6a), Ink, 2);
  cairo_save(cr);
  cairo_translate(cr, w * 0.5, h * 0.36);
  cairo_rotate(cr, -0.5);
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_scale(g, w * 0.46, h * 0.17);
    cairo_arc(g, 0, 0, 1, 0, M_PI);
    cairo_restore(g);
    cairo_close_path(g);
  }, Rgb(0xe4e0d4), Ink, 2.2, 4);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, 0, -h * 0.22);
  cairo_stroke(cr);
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, 0, -h * 0.22, 4, 0, 2 * M_PI); }, Rgb(0xc03a20), Ink, 1.4);
  cairo_restore(cr);
}

void FieldGun(cairo_t* cr, double w, double h, bool facingLeft) {
  cairo_save(cr);
  if (facingLeft) {
    cairo_translate(cr, w, 0);
    cairo_scale(cr, -1, 1);
  }
  // trails, shield, barrel and wheel
  Shape(cr, [&](cairo_t* g) { Polygon(g, {4, h - 4, w * 0.5, h - 18, w * 0.52, h - 12, 8, h - 2}); }, Rgb(0x5e6438), Ink, 1.8);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 9);
  cairo_move_to(cr, w * 0.45, h * 0.52);
  cairo_line_to(cr, w - 4, h * 0.22);
  cairo_stroke(cr);
  SetColor(cr, Rgb(0x4e5430));
  cairo_set_line_width(cr, 5.5);
  cairo_move_to(cr, w * 0.45, h * 0.52);
  cairo_line_to(cr, w - 5, h * 0.22);
  cairo_stroke(cr);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.4, h * 0.25, w * 0.6, h * 0.18, w * 0.62, h * 0.72, w * 0.42, h * 0.78}); }, Rgb(0x6f7440), Ink, 2, 3);
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, w * 0.5, h - 15, 13, 0, 2 * M_PI); }, Rgb(0x2c2622), Ink, 1.8);
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, w * 0.5, h - 15, 6, 0, 2 * M_PI); }, Rgb(0x7a7450), Ink, 1.4);
  cairo_restore(cr);
}

struct TScenery {
  const char* Name;
  int W, H;
  std::function<void(cairo_t*, double, double)> Draw;
};

}  // namespace

void AddBattlefields(TPictureList& out, const TArtParams& params) {
  for (int n = 1; n <= 4; ++n) out.push_back(Scene(n, params));
  const TColor adobe = params.Color("scenery.adobe", Rgb(0xd6ae78));
  const TColor whitewash = params.Color("scenery.whitewash", Rgb(0xe6d6b8));
  const TColor barrelRed = params.Color("scenery.barrel", Rgb(0xa8452a));
  const TColor barrelGreen = params.Color("scenery.barrel2", Rgb(0x5e7040));
  const TScenery scenery[] = {
      {"Scene1_stone", 70, 40, [](cairo_t* cr, double w, double h) { Stone(cr, w, h); }},
      {"Scene1_bochka", 40, 56, [&](cairo_t* cr, double w, double h) { Barrel(cr, 2, 2, w - 4, h - 4, barrelRed); }},
      {"Scene1_kolodez", 90, 72, [](cairo_t* cr, double w, double h) { Well(cr, w, h); }},
      {"Scene1_tank", 150, 60, [](cairo_t* cr, double w, double h) { WreckTank(cr, w, h); }},
      {"Scene1_house1", 170, 150, [&](cairo_t* cr, double w, double h) { House(cr, w, h, adobe, false, 2); }},
      {"Scene1_house2", 110, 140, [&](cairo_t* cr, double w, double h) { House(cr, w, h, whitewash, true, 1); }},
      {"Scene1_palma", 130, 240, [](cairo_t* cr, double w, double h) { Palm(cr, w, h, 0.6); }},
      {"Scene2_palma", 130, 260, [](cairo_t* cr, double w, double h) { Palm(cr, w, h, -0.5); }},
      {"Scene2_plane", 220, 90, [](cairo_t* cr, double w, double h) { WreckPlane(cr, w, h); }},
      {"Scene2_kolodez", 90, 66, [](cairo_t* cr, double w, double h) { Well(cr, w, h); }},
      {"Scene2_vert", 170, 70, [](cairo_t* cr, double w, double h) { WreckHeli(cr, w, h); }},
      {"Scene2_house1", 160, 140, [&](cairo_t* cr, double w, double h) { House(cr, w, h, whitewash, false, 2); }},
      {"Scene2_house2", 180, 200, [&](cairo_t* cr, double w, double h) { House(cr, w, h, adobe, true, 2); }},
      {"Scene3_palma", 120, 230, [](cairo_t* cr, double w, double h) { Palm(cr, w, h, 0.3); }},
      {"Scene3_gruzovic", 190, 80, [](cairo_t* cr, double w, double h) { WreckTruck(cr, w, h); }},
      {"Scene3_kolodez", 100, 70, [](cairo_t* cr, double w, double h) { Well(cr, w, h); }},
      {"Scene3_bochka", 40, 56, [&](cairo_t* cr, double w, double h) { Barrel(cr, 2, 2, w - 4, h - 4, barrelGreen); }},
      {"Scene3_bochki", 92, 62, [&](cairo_t* cr, double, double h) {
         Barrel(cr, 2, 14, 36, h - 16, barrelRed);
         Barrel(cr, 30, 2, 36, h - 4, barrelGreen);
         Barrel(cr, 56, 16, 34, h - 18, barrelRed);
       }},
      {"Scene3_trava", 90, 40, [](cairo_t* cr, double w, double h) { Grass(cr, w, h, 3); }},
      {"Scene3_house1", 230, 220, [&](cairo_t* cr, double w, double h) { House(cr, w, h, adobe, false, 3); }},
      {"Scene4_palma1", 130, 250, [](cairo_t* cr, double w, double h) { Palm(cr, w, h, -0.3); }},
      {"Scene4_tarelka", 120, 110, [](cairo_t* cr, double w, double h) { Dish(cr, w, h); }},
      {"Scene4_bochka1", 40, 56, [&](cairo_t* cr, double w, double h) { Barrel(cr, 2, 2, w - 4, h - 4, barrelRed); }},
      {"Scene4_bochka2", 40, 56, [&](cairo_t* cr, double w, double h) { Barrel(cr, 2, 2, w - 4, h - 4, barrelGreen); }},
      {"Scene4_bochka3", 40, 56, [&](cairo_t* cr, double w, double h) { Barrel(cr, 2, 2, w - 4, h - 4, barrelRed); }},
      {"Scene4_pushka1", 140, 70, [](cairo_t* cr, double w, double h) { FieldGun(cr, w, h, true); }},
      {"Scene4_pushka2", 120, 60, [](cairo_t* cr, double w, double h) { FieldGun(cr, w, h, false); }},
      {"Scene4_trava1", 100, 45, [](cairo_t* cr, double w, double h) { Grass(cr, w, h, 7); }},
      {"Scene4_trava2", 80, 40, [](cairo_t* cr, double w, double h) { Grass(cr, w, h, 11); }},
  };
  for (const TScenery& s : scenery) {
    const int w = static_cast<int>(params.Number(std::string(s.Name) + ".width", s.W));
    const int h = static_cast<int>(params.Number(std::string(s.Name) + ".height", s.H));
    out.push_back(DrawStrip(s.Name, w, h, 1, Ink, [&](cairo_t* cr, int) { s.Draw(cr, w, h); }));
  }
}
