#include <cmath>
#include <string>

#include "PictureFamilies.h"

// The four kinds on foot: stylised fighters in fatigues and face masks. Each kind has its own
// build, colours and weapon so a player learns them: 1 rifleman, 2 machine-gunner, 3 fast
// skirmisher, 4 heavy grenadier. Frames are generated from a jointed figure.
namespace {

enum class TWeapon { Rifle, MachineGun, Carbine, Launcher };

struct TFighter {
  int Kind;
  int CellW, CellH;
  double Bulk;  // torso width factor
  double Lean;  // forward lean while walking, in radians
  TColor Coat, Trousers, Mask, Boots, Gear;
  TWeapon Weapon;
  bool Helmet;
};

const TColor Skin = Rgb(0xc98d5c);
const TColor Metal = Rgb(0x3a3a3c);
const TColor Wood = Rgb(0x8a4f26);

TFighter LoadFighter(int kind, const TArtParams& p) {
  const std::string k = "fighter" + std::to_string(kind) + ".";
  TFighter f;
  switch (kind) {
    case 1:
      f = {1, 60, 112, 1.0, 0.05, Rgb(0x6f7a3a), Rgb(0x5b6330), Rgb(0x262626), Rgb(0x3b2a1c), Rgb(0xb8925a), TWeapon::Rifle, false};
      break;
    case 2:
      f = {2, 66, 114, 1.22, 0.04, Rgb(0xc2a66e), Rgb(0xa88c58), Rgb(0x8c2a1e), Rgb(0x3b2a1c), Rgb(0x6b4a22), TWeapon::MachineGun, false};
      break;
    case 3:
      f = {3, 60, 110, 0.86, 0.16, Rgb(0x52708c), Rgb(0x3f566c), Rgb(0xe07a28), Rgb(0x2a2020), Rgb(0xd8c090), TWeapon::Carbine, false};
      break;
    default:
      f = {4, 70, 118, 1.38, 0.03, Rgb(0x7a3e2c), Rgb(0x5e3226), Rgb(0x1e1e1e), Rgb(0x2a1c14), Rgb(0x4f5a36), TWeapon::Launcher, true};
      break;
  }
  f.Coat = p.Color(k + "coat", f.Coat);
  f.Trousers = p.Color(k + "trousers", f.Trousers);
  f.Mask = p.Color(k + "mask", f.Mask);
  f.Gear = p.Color(k + "gear", f.Gear);
  return f;
}

const TColor Ink = OutlineColor();
constexpr double LW = 2.0;

struct TPoint {
  double X, Y;
};

// A limb from a to b as a thick rounded bar with an outline.
void Limb(cairo_t* cr, TPoint a, TPoint b, double width, const TColor& fill) {
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, a.X, a.Y);
  cairo_line_to(cr, b.X, b.Y);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, width + 2 * LW);
  cairo_stroke(cr);
  cairo_move_to(cr, a.X, a.Y);
  cairo_line_to(cr, b.X, b.Y);
  SetColor(cr, fill);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
  cairo_restore(cr);
}

TPoint Along(TPoint from, double angle, double length) {
  // angle 0 points straight down, positive swings forward (to +x)
  return {from.X + std::sin(angle) * length, from.Y + std::cos(angle) * length};
}

void Boot(cairo_t* cr, TPoint ankle, double size, const TColor& c, double dir) {
  Shape(cr, [&](cairo_t* g) {
    RoundedRect(g, dir > 0 ? ankle.X - size * 0.45 : ankle.X - size * 1.15, ankle.Y - size * 0.35,
                size * 1.6, size * 0.75, size * 0.3);
  }, c, Ink, LW);
}

// Side-view head with a mask, facing right: a round hooded head with the eye slit.
void SideHead(cairo_t* cr, const TFighter& f, TPoint c, double r) {
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, c.X, c.Y, r, 0, 2 * M_PI); }, f.Mask, Ink, LW, r * 0.35);
  // eye slit showing skin
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, c.X + r * 0.05, c.Y - r * 0.38, r * 1.0, r * 0.5, r * 0.2); },
        Skin, Ink, 1.2);
  SetColor(cr, Ink);
  cairo_arc(cr, c.X + r * 0.62, c.Y - r * 0.13, r * 0.13, 0, 2 * M_PI);
  cairo_fill(cr);
  if (f.Helmet) {
    Shape(cr, [&](cairo_t* g) {
      cairo_arc(g, c.X, c.Y - r * 0.1, r * 1.12, M_PI * 1.02, M_PI * 1.98);
      cairo_close_path(g);
    }, f.Gear, Ink, LW, r * 0.3);
  } else {
    // knot of the mask at the back of the head
    Shape(cr, [&](cairo_t* g) {
      Polygon(g, {c.X - r * 0.8, c.Y - r * 0.2, c.X - r * 1.7, c.Y - r * 0.05, c.X - r * 1.5, c.Y + r * 0.5,
                  c.X - r * 0.7, c.Y + r * 0.3});
    }, Darker(f.Mask, 0.15), Ink, 1.5);
  }
}

void SideWeapon(cairo_t* cr, const TFighter& f, TPoint grip, double s, double lift) {
  cairo_save(cr);
  cairo_translate(cr, grip.X, grip.Y);
  cairo_rotate(cr, -lift);
  switch (f.Weapon) {
    case TWeapon::Rifle:
      Shape(cr, [&](cairo_t* g) { Polygon(g, {-s * 9, -s * 1, -s * 1, -s * 2, -s * 1, s * 2, -s * 9, s * 4}); }, Wood, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, -s * 2, -s * 2.2, s * 14, s * 3.2, s * 0.8); }, Metal, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { Polygon(g, {s * 2, s * 0.8, s * 5, s * 0.8, s * 6.5, s * 5.5, s * 4, s * 5.5}); }, Metal, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, s * 11, -s * 1.5, s * 9, s * 1.6, s * 0.5); }, Metal, Ink, 1.5);
      break;
    case TWeapon::MachineGun:
      Shape(cr, [&](cairo_t* g) { Polygon(g, {-s * 10, -s * 1.5, -s * 1, -s * 2.5, -s * 1, s * 2.5, -s * 10, s * 3.5}); }, Wood, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, -s * 2, -s * 3, s * 17, s * 5, s * 1); }, Metal, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, s * 14, -s * 1.8, s * 12, s * 2.2, s * 0.6); }, Metal, Ink, 1.5);
      // ammunition box and belt
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, s * 2, s * 2, s * 6, s * 6, s * 1); }, Rgb(0x5a5f3a), Ink, 1.5);
      break;
    case TWeapon::Carbine:
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, -s * 5, -s * 1.6, s * 14, s * 2.8, s * 0.8); }, Metal, Ink, 1.5);
      Shape(cr, [&](cairo_t* g) { Polygon(g, {s * 1, s * 1, s * 3.5, s * 1, s * 4, s * 5, s * 1.5, s * 5}); }, Metal, Ink, 1.5);
      break;
    case TWeapon::Launcher:
      break;
  }
  cairo_restore(cr);
}

// One pattern of the walk cycle, facing right, phase in [0, 1).
void DrawWalk(cairo_t* cr, const TFighter& f, double phase) {
  const double W = f.CellW, H = f.CellH;
  const double feetY = H - 3;
  const double figH = H - 8;
  const double r = figH * 0.085;
  const double phi = phase * 2 * M_PI;
  const double bob = -1.6 * std::cos(2 * phi) - 0.6;
  const double legLen = figH * 0.46;
  const double thigh = legLen * 0.52, shin = legLen * 0.5;
  const TPoint hip{W * 0.48, feetY - legLen + 1 + bob};
  const double stride = f.Kind == 3 ? 0.62 : 0.48;
  auto leg = [&](double ph, bool near) {
    const double a = stride * std::sin(ph);
    const double bend = 0.9 * std::pow(std::max(0.0, std::cos(ph)), 1.4) + 0.08;
    const TPoint knee = Along(hip, a, thigh);
    const TPoint ankle = Along(knee, a - bend, shin);
    const TColor c = near ? f.Trousers : Darker(f.Trousers, 0.25);
    Limb(cr, hip, knee, r * 1.05, c);
    Limb(cr, knee, ankle, r * 0.95, c);
    Boot(cr, {ankle.X, ankle.Y}, r * 0.95, near ? f.Boots : Darker(f.Boots, 0.2), 1);
  };
  leg(phi + M_PI, false);
  // torso, leaning forward
  const double lean = f.Lean;
  const double torsoLen = figH * 0.30;
  const TPoint neck{hip.X + std::sin(lean) * torsoLen, hip.Y - std::cos(lean) * torsoLen};
  const double tw = r * 1.55 * f.Bulk;
  // the weapon is held at the hip, pointing ahead; the far arm reaches its fore-grip
  const TPoint shoulder{neck.X, neck.Y + r * 0.5};
  const TPoint grip{shoulder.X + r * 0.5, shoulder.Y + r * 2.3 + 0.3 * bob};
  const TPoint foreGrip{grip.X + r * 2.3, grip.Y - r * 0.35};
  if (f.Weapon != TWeapon::Launcher) Limb(cr, {shoulder.X - r * 0.2, shoulder.Y}, foreGrip, r * 0.8, Darker(f.Coat, 0.25));
  if (f.Kind == 4) {
    // backpack
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, neck.X - tw - r * 1.1, neck.Y + r * 0.2, r * 1.6, torsoLen * 0.75, r * 0.4); },
          f.Gear, Ink, LW, 1.5);
  }
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, hip.X - tw * 0.8, hip.Y + r * 0.3);
    cairo_line_to(g, neck.X - tw, neck.Y + r * 0.2);
    cairo_curve_to(g, neck.X - tw * 0.4, neck.Y - r * 0.5, neck.X + tw * 0.6, neck.Y - r * 0.5, neck.X + tw * 0.9, neck.Y + r * 0.3);
    cairo_line_to(g, hip.X + tw * 0.8, hip.Y + r * 0.3);
    cairo_close_path(g);
  }, f.Coat, Ink, LW, r * 0.45);
  // belt and chest gear
  Limb(cr, {hip.X - tw * 0.7, hip.Y - r * 0.2}, {hip.X + tw * 0.7, hip.Y - r * 0.2}, r * 0.45, f.Gear);
  if (f.Kind == 2) Limb(cr, {neck.X - tw * 0.7, neck.Y + r * 0.6}, {hip.X + tw * 0.6, hip.Y - r * 0.8}, r * 0.5, Rgb(0xc8a040));
  leg(phi, true);
  SideHead(cr, f, {neck.X + r * 0.35, neck.Y - r * 0.95}, r);
  if (f.Weapon == TWeapon::Launcher) {
    // the launcher rides on the shoulder
    const double s = r / 6.0;
    cairo_save(cr);
    cairo_translate(cr, shoulder.X, shoulder.Y - r * 0.2);
    cairo_rotate(cr, -0.08);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, -r * 3.0, -r * 0.55, r * 5.6, r * 1.1, r * 0.3); }, Rgb(0x56603a), Ink, 1.5, 1.2);
    Shape(cr, [&](cairo_t* g) { Polygon(g, {r * 2.5, -r * 0.4, r * 3.6, -r * 0.9, r * 3.9, 0, r * 3.6, r * 0.9, r * 2.5, r * 0.4}); },
          Rgb(0x8a8f6a), Ink, 1.5);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, 0, r * 0.4, r * 0.7, r * 1.2, s); }, Metal, Ink, 1.2);
    cairo_restore(cr);
    Limb(cr, shoulder, {shoulder.X + r * 1.2, shoulder.Y + r * 0.6}, r * 0.85, f.Coat);
  } else {
    SideWeapon(cr, f, grip, r / 6.0 * 1.2, 0.1);
    const TPoint elbow{shoulder.X - r * 0.35, shoulder.Y + r * 1.8};
    Limb(cr, shoulder, elbow, r * 0.85, f.Coat);
    Limb(cr, elbow, grip, r * 0.8, f.Coat);
    const TColor glove = Rgb(0x3a3026);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, grip.X, grip.Y, r * 0.45, 0, 2 * M_PI); }, glove, Ink, 1.3);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, foreGrip.X, foreGrip.Y + r * 0.1, r * 0.42, 0, 2 * M_PI); }, glove, Ink, 1.3);
  }
}


// Front view, firing at the player. frame 0 fires (flash), 1 recoils, 2 and 3 aim.
// `squash` (0..1] and `tilt` fold the figure back towards the ground for the death.
void DrawFront(cairo_t* cr, const TFighter& f, int frame, bool firing, double squash, double tilt) {
  const double W = f.CellW, H = f.CellH;
  const double feetY = H - 3;
  const double figH = H - 8;
  const double r = figH * 0.085;
  cairo_save(cr);
  cairo_translate(cr, W / 2, feetY);
  cairo_rotate(cr, tilt);
  cairo_scale(cr, 1.0, squash);
  cairo_translate(cr, -W / 2, -feetY);
  const double cx = W / 2;
  const double legLen = figH * 0.44;
  const double hipY = feetY - legLen;
  const double tw = r * 1.6 * f.Bulk;
  const double breathe = (frame == 3) ? 0.8 : 0.0;
  const double recoil = (firing && frame == 1) ? -1.5 : 0.0;
  // legs apart, braced
  for (int side = -1; side <= 1; side += 2) {
    const TPoint hip{cx + side * tw * 0.45, hipY};
    const TPoint knee{cx + side * tw * 0.75, hipY + legLen * 0.5};
    const TPoint ankle{cx + side * tw * 0.85, feetY - r * 0.5};
    const TColor c = side < 0 ? f.Trousers : Darker(f.Trousers, 0.18);
    Limb(cr, hip, knee, r * 1.1, c);
    Limb(cr, knee, ankle, r * 1.0, c);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, ankle.X - r * 0.7, ankle.Y - r * 0.3, r * 1.4, r * 0.85, r * 0.3); }, f.Boots, Ink, LW);
  }
  const double torsoLen = figH * 0.31;
  const double neckY = hipY - torsoLen + breathe + recoil;
  if (f.Kind == 4) {
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, cx - tw * 1.05, neckY + r * 0.6, tw * 2.1, torsoLen * 0.6, r * 0.5); }, f.Gear, Ink, LW);
  }
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, cx - tw * 0.85, hipY + r * 0.4);
    cairo_line_to(g, cx - tw, neckY + r * 0.6);
    cairo_curve_to(g, cx - tw * 0.6, neckY - r * 0.2, cx + tw * 0.6, neckY - r * 0.2, cx + tw, neckY + r * 0.6);
    cairo_line_to(g, cx + tw * 0.85, hipY + r * 0.4);
    cairo_close_path(g);
  }, f.Coat, Ink, LW, r * 0.5);
  Limb(cr, {cx - tw * 0.8, hipY - r * 0.1}, {cx + tw * 0.8, hipY - r * 0.1}, r * 0.45, f.Gear);
  if (f.Kind == 2) {
    Limb(cr, {cx - tw * 0.8, neckY + r * 0.9}, {cx + tw * 0.7, hipY - r * 0.7}, r * 0.55, Rgb(0xc8a040));
    Limb(cr, {cx + tw * 0.8, neckY + r * 0.9}, {cx - tw * 0.7, hipY - r * 0.7}, r * 0.55, Rgb(0xb08a30));
  } else {
    // chest pouches
    for (int i = -1; i <= 1; ++i)
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, cx + i * r * 0.95 - r * 0.4, neckY + r * 2.2, r * 0.8, r * 1.0, r * 0.2); },
            f.Gear, Ink, 1.2);
  }
  // head facing the player: mask with the eye band
  const TPoint head{cx, neckY - r * 0.9};
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, head.X, head.Y, r, 0, 2 * M_PI); }, f.Mask, Ink, LW, r * 0.35);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, head.X - r * 0.72, head.Y - r * 0.42, r * 1.44, r * 0.52, r * 0.22); }, Skin, Ink, 1.2);
  SetColor(cr, Ink);
  for (int side = -1; side <= 1; side += 2) {
    cairo_arc(cr, head.X + side * r * 0.32, head.Y - r * 0.16, r * 0.13, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  if (f.Helmet) {
    Shape(cr, [&](cairo_t* g) {
      cairo_arc(g, head.X, head.Y - r * 0.15, r * 1.15, M_PI, 2 * M_PI);
      cairo_close_path(g);
    }, f.Gear, Ink, LW, r * 0.3);
  }
  // weapon pointed at the player, held at the right shoulder
  const TPoint muzzle{cx + tw * 0.35, neckY + r * 1.3 + recoil * 0.7};
  if (f.Weapon == TWeapon::Launcher) {
    const TPoint tube{cx + tw * 0.7, neckY + r * 0.1};
    Limb(cr, {cx - tw * 0.9, neckY + r * 0.8}, {tube.X - r * 0.8, tube.Y + r * 1.0}, r * 0.8, f.Coat);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, tube.X, tube.Y, r * 1.05, 0, 2 * M_PI); }, Rgb(0x56603a), Ink, LW, 1.2);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, tube.X, tube.Y, r * 0.6, 0, 2 * M_PI); }, Rgb(0x8a8f6a), Ink, 1.5);
    if (firing && frame == 0) MuzzleFlash(cr, tube.X, tube.Y, r * 2.4);
    if (firing && frame == 1) {
      SetColor(cr, Rgb(0xd8d0c0, 0.85));
      cairo_arc(cr, tube.X - r * 0.5, tube.Y - r * 0.8, r * 1.1, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else {
    const double gun = f.Weapon == TWeapon::MachineGun ? 1.3 : 1.0;
    Limb(cr, {cx - tw * 0.9, neckY + r * 0.8}, {muzzle.X - r * 0.9, muzzle.Y + r * 0.6}, r * 0.8, f.Coat);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, muzzle.X - r * 0.9 * gun, muzzle.Y - r * 0.5, r * 1.8 * gun, r * 1.5, r * 0.3); }, Metal, Ink, 1.5);
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, muzzle.X, muzzle.Y, r * 0.42 * gun, 0, 2 * M_PI); }, Rgb(0x151515), Ink, 1.2);
    Limb(cr, {cx + tw * 0.95, neckY + r * 0.8}, {muzzle.X + r * 0.5, muzzle.Y + r * 0.9}, r * 0.8, Darker(f.Coat, 0.12));
    if (firing && frame == 0) MuzzleFlash(cr, muzzle.X, muzzle.Y, r * (f.Weapon == TWeapon::MachineGun ? 2.3 : 1.9));
    if (firing && frame == 1) {
      SetColor(cr, Rgb(0xe0d8c8, 0.8));
      cairo_arc(cr, muzzle.X + r * 0.3, muzzle.Y - r * 1.0, r * 0.7, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

// Struck: thrown back on its heels, the weapon flying out of the hands.
void DrawStruck(cairo_t* cr, const TFighter& f) {
  DrawFront(cr, f, 2, false, 0.96, -0.14);
}

// Sinking to the knees, head down, the weapon dropped.
void DrawKneeling(cairo_t* cr, const TFighter& f) {
  const double W = f.CellW, H = f.CellH, r = (H - 8) * 0.085;
  const double cx = W / 2, ground = H - 4;
  const double tw = r * 1.6 * f.Bulk;
  // weapon on the ground
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, cx - r * 3.2, ground - r * 0.7, r * 5.5, r * 0.7, r * 0.2); }, Rgb(0x3a3a3c), Ink, 1.4);
  for (int side = -1; side <= 1; side += 2) {
    const TPoint hip{cx + side * tw * 0.45, ground - r * 3.4};
    const TPoint knee{cx + side * tw * 0.8, ground - r * 0.6};
    Limb(cr, hip, knee, r * 1.1, side < 0 ? f.Trousers : Darker(f.Trousers, 0.18));
  }
  const double neckY = ground - r * 7.0;
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, cx - tw * 0.85, ground - r * 2.8);
    cairo_line_to(g, cx - tw, neckY + r * 0.6);
    cairo_curve_to(g, cx - tw * 0.6, neckY - r * 0.2, cx + tw * 0.6, neckY - r * 0.2, cx + tw, neckY + r * 0.6);
    cairo_line_to(g, cx + tw * 0.85, ground - r * 2.8);
    cairo_close_path(g);
  }, f.Coat, Ink, LW, r * 0.5);
  for (int side = -1; side <= 1; side += 2)
    Limb(cr, {cx + side * tw * 0.95, neckY + r * 0.9}, {cx + side * tw * 1.2, ground - r * 2.0}, r * 0.8, Darker(f.Coat, 0.1));
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, cx + r * 0.3, neckY - r * 0.5, r, 0, 2 * M_PI); }, f.Mask, Ink, LW, r * 0.35);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, cx - r * 0.4, neckY - r * 0.4, r * 1.4, r * 0.45, r * 0.2); }, Skin, Ink, 1.2);
  if (f.Helmet) {
    Shape(cr, [&](cairo_t* g) { cairo_arc(g, cx + r * 0.3, neckY - r * 0.6, r * 1.15, M_PI, 2 * M_PI); cairo_close_path(g); }, f.Gear, Ink, LW);
  }
}

// Lying on the ground, feet towards the player, arms flung out.
void DrawLying(cairo_t* cr, const TFighter& f) {
  const double W = f.CellW, H = f.CellH, r = (H - 8) * 0.085;
  const double cx = W / 2, ground = H - 3;
  const double tw = r * 1.5 * f.Bulk;
  SetColor(cr, Rgb(0x2a1a10, 0.35));
  cairo_save(cr);
  cairo_translate(cr, cx, ground - r * 2.2);
  cairo_scale(cr, W * 0.46, r * 2.4);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_fill(cr);
  // arms out to the sides, then the head furthest away
  for (int side = -1; side <= 1; side += 2)
    Limb(cr, {cx + side * tw * 0.6, ground - r * 3.6}, {cx + side * (W * 0.44), ground - r * 3.1}, r * 0.75, Darker(f.Coat, 0.1));
  Shape(cr, [&](cairo_t* g) { cairo_arc(g, cx, ground - r * 4.6, r * 0.9, 0, 2 * M_PI); }, f.Mask, Ink, LW, r * 0.3);
  if (f.Helmet) Shape(cr, [&](cairo_t* g) { cairo_arc(g, cx - r * 1.6, ground - r * 4.2, r * 0.9, 0, 2 * M_PI); }, f.Gear, Ink, LW);
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, cx, ground - r * 3.2);
    cairo_scale(g, tw, r * 1.3);
    cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(g);
  }, f.Coat, Ink, LW, r * 0.4);
  for (int side = -1; side <= 1; side += 2) {
    Limb(cr, {cx + side * tw * 0.35, ground - r * 2.3}, {cx + side * tw * 0.6, ground - r * 0.9}, r * 1.0,
         side < 0 ? f.Trousers : Darker(f.Trousers, 0.18));
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, cx + side * tw * 0.6 - r * 0.6, ground - r * 1.2, r * 1.2, r * 1.1, r * 0.35); }, f.Boots, Ink, LW);
  }
  // the dropped weapon beside the body
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, cx + tw * 0.9, ground - r * 1.0);
    cairo_rotate(g, -0.35);
    RoundedRect(g, -r * 1.5, -r * 0.3, r * 3.4, r * 0.6, r * 0.2);
    cairo_restore(g);
  }, Rgb(0x3a3a3c), Ink, 1.3);
}

void DrawDead(cairo_t* cr, const TFighter& f, int frame) {
  if (frame == 0) DrawStruck(cr, f);
  else if (frame == 1) DrawKneeling(cr, f);
  else DrawLying(cr, f);
}

}  // namespace

void AddFighters(TPictureList& out, const TArtParams& params) {
  constexpr int WalkFrames = 6, FightFrames = 4, DeadFrames = 3;
  for (int kind = 1; kind <= 4; ++kind) {
    const TFighter f = LoadFighter(kind, params);
    const std::string base = "terror" + std::to_string(kind);
    TArtPicture walk = DrawStrip(base + "_move", f.CellW, f.CellH, WalkFrames, Ink,
                                 [&](cairo_t* cr, int i) { DrawWalk(cr, f, static_cast<double>(i) / WalkFrames); });
    out.push_back(MirrorPatterns(walk, base + "_move_back"));
    out.push_back(std::move(walk));
    out.push_back(DrawStrip(base + "_fight", f.CellW, f.CellH, FightFrames, Ink,
                            [&](cairo_t* cr, int i) { DrawFront(cr, f, i, true, 1.0, 0.0); }));
    out.push_back(DrawStrip(base + "_dead", f.CellW, f.CellH, DeadFrames, Ink,
                            [&](cairo_t* cr, int i) { DrawDead(cr, f, i); }));
  }
}
