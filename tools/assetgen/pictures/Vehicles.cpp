#include <algorithm>
#include <cmath>
#include <string>

#include "PictureFamilies.h"

// Kinds 5 to 8 (tank, armoured truck, pickup with a gun, helicopter), the air-strike plane and
// its rocket. Turning is drawn by rotating the turret or the helicopter about the vertical axis:
// yaw 0 is the side view facing right, yaw pi/2 faces the player.
namespace {

const TColor Ink = OutlineColor();
const TColor Metal = Rgb(0x3a3a3c);
const TColor Tyre = Rgb(0x2c2622);
const TColor Glass = Rgb(0x9fd0d8);

void Wheel(cairo_t* cr, double x, double y, double r, double spin, const TColor& hub) {
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y, r, 0, 2 * M_PI); }, Tyre, Ink, 1.6);
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y, r * 0.55, 0, 2 * M_PI); }, hub, Ink, 1.2, 1.2);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1.3);
  for (int i = 0; i < 3; ++i) {
    const double a = spin + i * 2 * M_PI / 3;
    cairo_move_to(cr, x + std::cos(a) * r * 0.15, y + std::sin(a) * r * 0.15);
    cairo_line_to(cr, x + std::cos(a) * r * 0.5, y + std::sin(a) * r * 0.5);
  }
  cairo_stroke(cr);
}


// A gun barrel from (x, y) turned by yaw: its length shortens and its muzzle opens as it faces
// the player. Returns the muzzle centre.
std::pair<double, double> Barrel(cairo_t* cr, double x, double y, double length, double thick,
                                 double yaw, const TColor& c) {
  const double mx = x + length * std::cos(yaw), my = y + length * std::sin(yaw) * 0.3;
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, mx, my);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, thick + 3);
  cairo_stroke(cr);
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, mx, my);
  SetColor(cr, c);
  cairo_set_line_width(cr, thick);
  cairo_stroke(cr);
  // muzzle ring, round when it points at the player
  const double rx = std::max(thick * 0.35, thick * 0.75 * std::sin(yaw)), ry = thick * 0.75;
  cairo_save(cr);
  cairo_translate(cr, mx, my);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  SetColor(cr, Darker(c, 0.3));
  cairo_fill_preserve(cr);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  if (std::sin(yaw) > 0.6) {
    SetColor(cr, Rgb(0x0e0e0e));
    cairo_arc(cr, mx, my, ry * 0.45, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  return {mx, my};
}

void Dust(cairo_t* cr, double x, double y, int frame, double dir) {
  SetColor(cr, Rgb(0xdcc89c, 0.7));
  for (int i = 0; i < 3; ++i) {
    const double k = (frame + i * 2) % 6;
    cairo_arc(cr, x - dir * (4 + k * 3), y - 3 - k * 0.8, 3 + k * 0.7, 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

// Tank, kind 5: sand-and-olive hull on tracks; the turret turns towards the player to fight.
struct TTank {
  double W = 150, H = 72;
  TColor Hull = Rgb(0xb59a5a), Camo = Rgb(0x6f7440);

  void Draw(cairo_t* cr, int frame, double yaw, bool moving, bool flash) const {
    const double base = H - 2;
    if (moving) Dust(cr, 14, base, frame, 1);
    // track
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 12, base - 20, W - 30, 19, 9.5); }, Rgb(0x3b3430), Ink, 2);
    SetColor(cr, Rgb(0x5a5048));
    cairo_set_line_width(cr, 2);
    for (int i = 0; i < 20; ++i) {
      const double x = 18 + ((i * 6 + (moving ? frame * 2 : 0)) % 108);
      cairo_move_to(cr, x, base - 19);
      cairo_line_to(cr, x, base - 16.5);
    }
    cairo_stroke(cr);
    for (int i = 0; i < 6; ++i) Wheel(cr, 24 + i * 19, base - 10.5, 7, (moving ? frame : 0) * 0.55, Rgb(0x6c6a58));
    // hull with camouflage blotches
    auto hull = [&](cairo_t* g) { Polygon(g, {8, base - 22, 20, base - 36, W - 22, base - 36, W - 10, base - 26, W - 14, base - 20, 12, base - 20}); };
    Shape(cr, hull, Hull, Ink, 2, 2.5);
    cairo_save(cr);
    hull(cr);
    cairo_clip(cr);
    SetColor(cr, Camo);
    cairo_arc(cr, 40, base - 30, 8, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 95, base - 25, 9, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_restore(cr);
    // stowage: a tool box, the exhaust and a spare track link
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 22, base - 42, 22, 7, 2); }, Rgb(0x6a5a3a), Ink, 1.5);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, W - 40, base - 41, 16, 6, 2); }, Rgb(0x4a4a40), Ink, 1.4);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 12, base - 33, 8, 5, 1.5); }, Rgb(0x3a3430), Ink, 1.2);
    // turret, barrel behind when it faces the player
    const double tx = W * 0.52, ty = base - 44;
    const bool barrelBehind = std::sin(yaw) < 0.3;
    std::pair<double, double> muzzle{0, 0};
    if (barrelBehind) muzzle = Barrel(cr, tx + 18 * std::cos(yaw), ty + 1, 48, 5, yaw, Rgb(0x6b6a48));
    Shape(cr, [&](cairo_t* g) {
      cairo_move_to(g, tx - 26, ty + 9);
      cairo_curve_to(g, tx - 24, ty - 10, tx + 22, ty - 10, tx + 26, ty + 9);
      cairo_close_path(g);
    }, Hull, Ink, 2, 2.5);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, tx - 12, ty - 12, 12, 6, 2); }, Camo, Ink, 1.5);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, tx - 16, ty - 4, 3, 0, 2 * M_PI); }, Rgb(0x4a4a40), Ink, 1.2);
    SetColor(cr, Ink);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, tx - 20, ty - 6);
    cairo_line_to(cr, tx - 26, ty - 22);
    cairo_stroke(cr);
    if (!barrelBehind) muzzle = Barrel(cr, tx + 10 * std::cos(yaw), ty + 2, 30, 6, yaw, Rgb(0x6b6a48));
    if (flash) MuzzleFlash(cr, muzzle.first, muzzle.second + 2, 16);
  }
};

// Armoured truck, kind 6: boxy six-wheeler with a small machine-gun turret.
struct TArmouredTruck {
  double W = 140, H = 68;
  TColor Body = Rgb(0xc9ad72), Trim = Rgb(0x7b6a3e);

  void Draw(cairo_t* cr, int frame, double yaw, bool moving, bool flash) const {
    const double base = H - 2;
    if (moving) Dust(cr, 12, base, frame, 1);
    auto body = [&](cairo_t* g) {
      Polygon(g, {8, base - 14, 8, base - 40, 30, base - 46, 92, base - 46, 104, base - 38, 128, base - 34,
                  134, base - 22, 132, base - 14});
    };
    Shape(cr, body, Body, Ink, 2, 3);
    Shape(cr, [&](cairo_t* g) { Polygon(g, {106, base - 36, 122, base - 33, 124, base - 27, 106, base - 28}); }, Glass, Ink, 1.5);
    SetColor(cr, Ink);
    cairo_set_line_width(cr, 2);
    for (int i = 0; i < 3; ++i) {
      cairo_move_to(cr, 22 + i * 24, base - 36);
      cairo_line_to(cr, 34 + i * 24, base - 36);
    }
    cairo_stroke(cr);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 6, base - 20, 130, 6, 2); }, Trim, Ink, 1.5);
    for (double x : {28.0, 56.0, 112.0}) Wheel(cr, x, base - 10, 10, (moving ? frame : 0) * 0.5, Rgb(0x8a7a50));
    // turret ring and gun
    const double tx = 62, ty = base - 52;
    const bool behind = std::sin(yaw) < 0.3;
    std::pair<double, double> muzzle{0, 0};
    if (behind) muzzle = Barrel(cr, tx + 8 * std::cos(yaw), ty, 30, 3.5, yaw, Metal);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, tx - 14, ty - 6, 28, 12, 5); }, Trim, Ink, 2, 1.5);
    if (!behind) muzzle = Barrel(cr, tx + 4 * std::cos(yaw), ty + 2, 22, 4, yaw, Metal);
    if (flash) MuzzleFlash(cr, muzzle.first, muzzle.second + 1, 15);
  }
};

// Pickup with a gun, kind 7: rusty red cab, the gun on a post in the bed.
struct TPickup {
  double W = 130, H = 62;
  TColor Paint = Rgb(0xb0452c), Roof = Rgb(0xe8dcc0);

  void Draw(cairo_t* cr, int frame, double yaw, bool moving, bool flash) const {
    const double base = H - 2;
    if (moving) Dust(cr, 10, base, frame, 1);
    auto body = [&](cairo_t* g) {
      Polygon(g, {6, base - 14, 6, base - 30, 70, base - 30, 76, base - 44, 100, base - 44, 110, base - 30,
                  124, base - 27, 126, base - 14});
    };
    Shape(cr, body, Paint, Ink, 2, 3);
    Shape(cr, [&](cairo_t* g) { Polygon(g, {80, base - 41, 98, base - 41, 104, base - 31, 78, base - 31}); }, Glass, Ink, 1.5);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 74, base - 46, 28, 4, 2); }, Roof, Ink, 1.2);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 4, base - 20, 124, 5, 2); }, Rgb(0x5a3a2a), Ink, 1.2);
    for (double x : {26.0, 104.0}) Wheel(cr, x, base - 10, 10, (moving ? frame : 0) * 0.5, Rgb(0xa8a8a0));
    // gun post in the bed
    const double px = 40, py = base - 42;
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, px - 2.5, py, 5, 13, 1); }, Metal, Ink, 1.2);
    const bool behind = std::sin(yaw) < 0.3;
    std::pair<double, double> muzzle{0, 0};
    if (behind) muzzle = Barrel(cr, px, py, 34, 3.5, yaw, Metal);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, px - 8, py - 5, 16, 9, 2); }, Rgb(0x4a4a40), Ink, 1.5, 1.2);
    if (!behind) muzzle = Barrel(cr, px, py + 1, 24, 4, yaw, Metal);
    if (flash) MuzzleFlash(cr, muzzle.first, muzzle.second + 1, 15);
  }
};

// Helicopter, kind 8, a gunship in sand and olive; drawn from a few solids turned by yaw.
struct THelicopter {
  double W = 150, H = 66;
  TColor Body = Rgb(0x8c8a52), Belly = Rgb(0xc8b47c);

  void Draw(cairo_t* cr, int frame, double yaw, bool flash) const {
    const double c = std::cos(yaw), s = std::sin(yaw);
    const double cx = W * 0.55, cy = H * 0.56;
    auto px = [&](double x, double z) { return cx + x * c - z * s; };
    auto py = [&](double x, double y, double z) { return cy + y + (x * s + z * c) * 0.18; };
    // tail boom and fin, drawn first since they point away
    const double tailX = px(-66, 0), tailY = py(-66, -8, 0);
    cairo_save(cr);
    cairo_move_to(cr, px(-10, 0), py(-10, -2, 0));
    cairo_line_to(cr, tailX, tailY);
    SetColor(cr, Ink);
    cairo_set_line_width(cr, 9);
    cairo_stroke(cr);
    cairo_move_to(cr, px(-10, 0), py(-10, -2, 0));
    cairo_line_to(cr, tailX, tailY);
    SetColor(cr, Body);
    cairo_set_line_width(cr, 5.5);
    cairo_stroke(cr);
    cairo_restore(cr);
    Shape(cr, [&](cairo_t* g) {
      Polygon(g, {tailX + 4 * c, tailY + 2, tailX - 4 * c, tailY - 14, tailX - 9 * c, tailY - 14, tailX - 6 * c, tailY + 3});
    }, Body, Ink, 1.5);
    // tail rotor, spinning
    const double tr = 8;
    SetColor(cr, Rgb(0x2a2a2a, 0.8));
    cairo_set_line_width(cr, 2);
    const double ta = frame * 1.1;
    cairo_move_to(cr, tailX - 7 * c + std::cos(ta) * tr * std::max(0.25, c), tailY - 8 + std::sin(ta) * tr);
    cairo_line_to(cr, tailX - 7 * c - std::cos(ta) * tr * std::max(0.25, c), tailY - 8 - std::sin(ta) * tr);
    cairo_stroke(cr);
    // skids
    for (int side = 1; side >= -1; side -= 2) {
      const double z = side * 11.0;
      cairo_save(cr);
      cairo_move_to(cr, px(-20, z), py(-20, 22, z));
      cairo_line_to(cr, px(24, z), py(24, 22, z));
      cairo_move_to(cr, px(-10, z), py(-10, 12, z));
      cairo_line_to(cr, px(-12, z), py(-12, 22, z));
      cairo_move_to(cr, px(12, z), py(12, 12, z));
      cairo_line_to(cr, px(14, z), py(14, 22, z));
      SetColor(cr, side > 0 ? Rgb(0x2a2a2a) : Rgb(0x444444));
      cairo_set_line_width(cr, 2.6);
      cairo_stroke(cr);
      cairo_restore(cr);
    }
    // fuselage: an ellipse whose width follows the yaw
    const double a = 30, b = 14, h = 15;
    const double halfW = std::sqrt(a * a * c * c + b * b * s * s);
    const double bodyY = py(0, 0, 0);
    Shape(cr, [&](cairo_t* g) {
      cairo_save(g);
      cairo_translate(g, cx, bodyY);
      cairo_scale(g, halfW, h);
      cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(g);
    }, Body, Ink, 2, 3);
    // belly tone
    cairo_save(cr);
    cairo_translate(cr, cx, bodyY);
    cairo_scale(cr, halfW, h);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_clip(cr);
    SetColor(cr, Belly);
    cairo_rectangle(cr, cx - halfW, bodyY + h * 0.35, 2 * halfW, h);
    cairo_fill(cr);
    cairo_reset_clip(cr);
    // cockpit glass at the nose
    const double gx = px(a * 0.55, 0), gy = py(a * 0.55, -3, 0);
    const double gw = std::max(6.0, 11 * std::abs(s) + 8 * c), gh = 8;
    Shape(cr, [&](cairo_t* g) {
      cairo_save(g);
      cairo_translate(g, gx, gy);
      cairo_scale(g, gw, gh);
      cairo_arc(g, 0, 0, 1, M_PI, 2 * M_PI);
      cairo_close_path(g);
      cairo_restore(g);
    }, Glass, Ink, 1.5);
    // rocket pods on the stub wings
    for (int side = -1; side <= 1; side += 2) {
      const double z = side * 17.0;
      const double wx = px(2, z), wy = py(2, 6, z);
      Shape(cr, [&](cairo_t* g) {
        cairo_save(g);
        cairo_translate(g, wx, wy);
        cairo_scale(g, std::max(4.0, 9 * c + 4 * std::abs(s)), 3.8);
        cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(g);
      }, Rgb(0x54563a), Ink, 1.4);
      if (flash) MuzzleFlash(cr, px(12, z), py(12, 6, z) + 2, 12);
    }
    // rotor mast and blades
    SetColor(cr, Ink);
    cairo_rectangle(cr, cx - 2, bodyY - h - 5, 4, 6);
    cairo_fill(cr);
    const double R = 62;
    SetColor(cr, Rgb(0x5a5a5a, 0.35));
    cairo_save(cr);
    cairo_translate(cr, cx, bodyY - h - 5);
    cairo_scale(cr, R, 3);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    SetColor(cr, Rgb(0x242424));
    cairo_set_line_width(cr, 2.4);
    for (int k = 0; k < 2; ++k) {
      const double ang = frame * 0.9 + k * M_PI / 2;
      const double len = R * std::abs(std::cos(ang));
      cairo_move_to(cr, cx - len, bodyY - h - 5 + std::sin(ang) * 1.5);
      cairo_line_to(cr, cx + len, bodyY - h - 5 - std::sin(ang) * 1.5);
    }
    cairo_stroke(cr);
  }
};

void AddTurning(TPictureList& out, const std::string& base, double width, double height, int moveFrames,
                int fightFrames, int fireFrame, int turnFrames, bool canTurn,
                const std::function<void(cairo_t*, int, double, bool, bool)>& draw) {
  // The vehicles are designed at full size and drawn a little smaller: they drive on the far
  // road, behind the people on the near sand.
  const double scale = 0.8;
  const int w = static_cast<int>(std::lround(width * scale)), h = static_cast<int>(std::lround(height * scale));
  const auto drawScaled = [&](cairo_t* cr, int i, double yaw, bool moving, bool flash) {
    cairo_scale(cr, scale, scale);
    draw(cr, i, yaw, moving, flash);
  };
  TArtPicture move = DrawStrip(base + "_move", w, h, moveFrames, Ink,
                               [&](cairo_t* cr, int i) { drawScaled(cr, i, 0.0, true, false); });
  out.push_back(MirrorPatterns(move, base + "_move_back"));
  out.push_back(std::move(move));
  TArtPicture fight = DrawStrip(base + "_fight", w, h, fightFrames, Ink, [&](cairo_t* cr, int i) {
    drawScaled(cr, 0, M_PI / 2 * (i == fireFrame + 1 ? 0.93 : 1.0), false, i == fireFrame);
  });
  out.push_back(MirrorPatterns(fight, base + "_fight_back"));
  out.push_back(std::move(fight));
  if (canTurn) {
    TArtPicture turn = DrawStrip(base + "_razvorot", w, h, turnFrames, Ink, [&](cairo_t* cr, int i) {
      drawScaled(cr, 0, M_PI / 2 * i / (turnFrames - 1), false, false);
    });
    out.push_back(MirrorPatterns(turn, base + "_razvorot_back"));
    out.push_back(std::move(turn));
  }
}

void Plane(cairo_t* cr, double w, double h) {
  const TColor body = Rgb(0x9aa07a), under = Rgb(0xd8d0b0);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {8, h * 0.2, 20, h * 0.2, 30, h * 0.5, 10, h * 0.55}); }, body, Ink, 1.8, 1.5);
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, 6, h * 0.5);
    cairo_curve_to(g, 30, h * 0.36, w - 30, h * 0.34, w - 6, h * 0.55);
    cairo_curve_to(g, w - 30, h * 0.76, 30, h * 0.72, 6, h * 0.62);
    cairo_close_path(g);
  }, body, Ink, 2, 2.5);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.4, h * 0.56, w * 0.62, h * 0.56, w * 0.5, h * 0.95, w * 0.36, h * 0.95}); }, under, Ink, 1.8, 1.5);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w - 34, h * 0.42, w - 18, h * 0.44, w - 22, h * 0.5, w - 36, h * 0.5}); }, Glass, Ink, 1.5);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {w * 0.42, h * 0.5, w * 0.58, h * 0.5, w * 0.5, h * 0.3, w * 0.4, h * 0.3}); }, Darker(body, 0.15), Ink, 1.5);
}

void Rocket(cairo_t* cr, double w, double h) {
  cairo_save(cr);
  cairo_translate(cr, w / 2, h / 2);
  cairo_rotate(cr, M_PI / 4);
  const double L = w * 0.62;
  SetColor(cr, Rgb(0xffb030, 0.8));
  cairo_arc(cr, -L * 0.62, 0, 5, 0, 2 * M_PI);
  cairo_fill(cr);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {-L * 0.5, -6, -L * 0.3, 0, -L * 0.5, 6}); }, Rgb(0x8a2a1a), Ink, 1.4);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, -L * 0.48, -3.2, L * 0.85, 6.4, 3); }, Rgb(0xe8e0c8), Ink, 1.6, 1.2);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {L * 0.36, -3.2, L * 0.5, 0, L * 0.36, 3.2}); }, Rgb(0xc03a20), Ink, 1.4);
  cairo_restore(cr);
}

}  // namespace

void AddVehicles(TPictureList& out, const TArtParams& params) {
  const int moveFrames = static_cast<int>(params.Number("vehicles.moveFrames", 6));
  const TTank tank;
  AddTurning(out, "terror5", tank.W, tank.H, moveFrames, 3, 1, 3, true,
             [&](cairo_t* cr, int i, double yaw, bool moving, bool flash) { tank.Draw(cr, i, yaw, moving, flash); });
  const TArmouredTruck truck;
  AddTurning(out, "terror6", truck.W, truck.H, moveFrames, 3, 1, 3, true,
             [&](cairo_t* cr, int i, double yaw, bool moving, bool flash) { truck.Draw(cr, i, yaw, moving, flash); });
  const TPickup pickup;
  AddTurning(out, "terror7", pickup.W, pickup.H, moveFrames, 3, 1, 4, false,
             [&](cairo_t* cr, int i, double yaw, bool moving, bool flash) { pickup.Draw(cr, i, yaw, moving, flash); });
  const THelicopter heli;
  // The helicopter fires on pattern 0 of its fighting picture.
  AddTurning(out, "terror8", heli.W, heli.H, moveFrames, 3, 0, 3, true,
             [&](cairo_t* cr, int i, double yaw, bool moving, bool flash) {
               heli.Draw(cr, moving ? i : i + 2, yaw, flash);
             });

  TArtPicture plane = DrawStrip("plane_", 120, 44, 1, Ink, [](cairo_t* cr, int) { Plane(cr, 120, 44); });
  out.push_back(MirrorPatterns(plane, "plane"));
  out.push_back(std::move(plane));
  TArtPicture rocket = DrawStrip("roket_", 40, 40, 1, Ink, [](cairo_t* cr, int) { Rocket(cr, 40, 40); });
  out.push_back(MirrorPatterns(rocket, "roket"));
  out.push_back(std::move(rocket));
}
