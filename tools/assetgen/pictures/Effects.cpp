#include <cmath>
#include <random>
#include <string>

#include "Lettering.h"
#include "PictureFamilies.h"

// The sights, the player's weapon with its muzzle flashes, sparks, explosions, the bonus
// balloons and the intro words.
namespace {

const TColor Ink = OutlineColor();

// The weapon, seen from behind, in each of its six poses; the muzzle of pose k lies at the
// centre of the flash picture "Splash_k+1", whose top-left corners are fixed by the game.
constexpr int WeaponW = 444, WeaponH = 100;
constexpr int FlashSize = 56;
constexpr int FlashX[6] = {222, 322, 405, 485, 558, 625};
constexpr int FlashY[6] = {500, 492, 485, 486, 488, 493};
// The weapon's top-left on the screen: x = (800 - W) / 2 + 60, y = 600 - H.
constexpr double WeaponLeft = (800 - WeaponW) / 2.0 + 60;
constexpr double WeaponTop = 600 - WeaponH;

}  // namespace

void Reticle(cairo_t* cr, double cx, double cy, double r, double turn, const TColor& c, double gap) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  for (int pass = 0; pass < 2; ++pass) {
    SetColor(cr, pass == 0 ? Ink : c);
    cairo_set_line_width(cr, pass == 0 ? 5 : 2.4);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
      const double a = turn + i * M_PI / 2;
      cairo_move_to(cr, std::cos(a) * (r + 5), std::sin(a) * (r + 5));
      cairo_line_to(cr, std::cos(a) * gap, std::sin(a) * gap);
    }
    cairo_stroke(cr);
  }
  SetColor(cr, Rgb(0xff3020));
  cairo_arc(cr, 0, 0, 2.2, 0, 2 * M_PI);
  cairo_fill_preserve(cr);
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_restore(cr);
}

namespace {


// The rifle from behind: the stock near the player at the bottom centre, tapering in
// perspective towards the muzzle.
void Weapon(cairo_t* cr, int pose) {
  const double mx = FlashX[pose] + FlashSize / 2.0 - WeaponLeft;
  const double my = FlashY[pose] + FlashSize / 2.0 - WeaponTop;
  const double bx = WeaponW * 0.5 + (pose - 2.5) * 18, by = WeaponH + 40;
  const double a = std::atan2(my - by, mx - bx);
  const double len = std::hypot(mx - bx, my - by);
  const TColor metal = Rgb(0x3c3c3e), wood = Rgb(0x9a5a2a), glove = Rgb(0x5a4a32);
  cairo_save(cr);
  cairo_translate(cr, bx, by);
  cairo_rotate(cr, a);
  // a section of the gun from t0 to t1 of its length, w0 to w1 wide
  auto section = [&](double t0, double t1, double w0, double w1, const TColor& c, double shade) {
    Shape(cr, [&](cairo_t* g) { Polygon(g, {len * t0, -w0 / 2, len * t1, -w1 / 2, len * t1, w1 / 2, len * t0, w0 / 2}); },
          c, Ink, 2.4, shade);
  };
  section(0.0, 0.36, 50, 30, wood, 3);
  // magazine, curving down and forward
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, len * 0.47, 8);
    cairo_curve_to(g, len * 0.49, 26, len * 0.53, 34, len * 0.58, 38);
    cairo_line_to(g, len * 0.62, 30);
    cairo_curve_to(g, len * 0.58, 24, len * 0.56, 16, len * 0.55, 6);
    cairo_close_path(g);
  }, Rgb(0x4a3a2a), Ink, 2.2, 2);
  section(0.34, 0.62, 30, 21, metal, 3);
  section(0.6, 0.8, 19, 14, wood, 2);
  section(0.79, 1.0, 8, 5.5, metal, 1);
  // sights on top
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, len * 0.52, -16, len * 0.06, 6, 1.5); }, Rgb(0x2a2a2a), Ink, 1.4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {len * 0.95, -3, len * 0.97, -10, len * 0.985, -10, len * 0.99, -3}); }, metal, Ink, 1.4);
  // the player's gloved hands: the near one on the grip, the far one on the fore-end
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, len * 0.36, -6, len * 0.12, 34, 10); }, glove, Ink, 2.4, 3);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, len * 0.64, -4, len * 0.09, 22, 7); }, glove, Ink, 2.2, 2);
  cairo_restore(cr);
}

void Balloon(cairo_t* cr, double w, double h, int frame, const TColor& skin, const std::function<void(cairo_t*, double, double)>& sign) {
  const double sway = std::sin(frame * M_PI / 2) * 2.5;
  const double cx = w / 2 + sway, cy = h * 0.36, rx = w * 0.44, ry = h * 0.34;
  SetColor(cr, Ink);
  cairo_set_line_width(cr, 1.4);
  cairo_move_to(cr, cx, cy + ry + 4);
  cairo_curve_to(cr, cx - 5, h * 0.8, cx + 5, h * 0.88, w / 2, h - 2);
  cairo_stroke(cr);
  Shape(cr, [&](cairo_t* g) {
    cairo_save(g);
    cairo_translate(g, cx, cy);
    cairo_scale(g, rx, ry);
    cairo_arc(g, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(g);
  }, skin, Ink, 2.2, 4);
  Shape(cr, [&](cairo_t* g) { Polygon(g, {cx - 4, cy + ry + 5, cx + 4, cy + ry + 5, cx, cy + ry - 1}); }, Darker(skin, 0.2), Ink, 1.4);
  SetColor(cr, Rgb(0xffffff, 0.55));
  cairo_save(cr);
  cairo_translate(cr, cx - rx * 0.45, cy - ry * 0.45);
  cairo_rotate(cr, -0.6);
  cairo_scale(cr, rx * 0.2, ry * 0.12);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_fill(cr);
  sign(cr, cx, cy);
}

TLetterStyle SignStyle(double size) {
  TLetterStyle s;
  s.Size = size;
  s.OutlineWidth = 1.8;
  s.ShadowOffset = 0;
  s.Stencil = false;
  s.Spacing = 0;
  s.Top = Rgb(0xffffff);
  s.Bottom = Rgb(0xf0e0c0);
  return s;
}

}  // namespace

void AddEffects(TPictureList& out, const TArtParams& params) {
  const TColor sight = params.Color("effects.sight", Rgb(0x7aff5a));
  // The battlefield sight closes in quickly once, then rests.
  out.push_back(DrawStrip("pricel", 48, 48, 4, Ink, [&](cairo_t* cr, int i) {
    Reticle(cr, 24, 24, 13.4 + (3 - i) * 2.2, 0, sight, 5 + (3 - i) * 2);
  }));
  // The menu sight turns slowly round.
  out.push_back(DrawStrip("pricel_anim", 48, 48, 8, Ink, [&](cairo_t* cr, int i) {
    Reticle(cr, 24, 24, 15 + std::sin(i * M_PI / 4) * 1.2, i * M_PI / 16, Rgb(0xffd040), 5);
  }));
  // The sights in the sizes and colours the player may choose; the normal standard pair is above.
  const struct {
    const char* Name;
    double Scale;
  } sizes[] = {{"small", 0.75}, {"normal", 1.0}, {"large", 1.4}};
  const struct {
    const char* Name;
    TColor Battle, Menu;
  } colours[] = {{"standard", sight, Rgb(0xffd040)}, {"white", Rgb(0xffffff), Rgb(0xffffff)},
                 {"magenta", Rgb(0xff40ff), Rgb(0xff40ff)}};
  for (const auto& size : sizes)
    for (const auto& colour : colours) {
      if (size.Scale == 1.0 && std::string(colour.Name) == "standard") continue;
      const double k = size.Scale;
      const int side = static_cast<int>(std::lround(48 * k));
      const std::string suffix = std::string("_") + size.Name + "_" + colour.Name;
      out.push_back(DrawStrip("pricel" + suffix, side, side, 4, Ink, [&](cairo_t* cr, int i) {
        Reticle(cr, side / 2.0, side / 2.0, (13.4 + (3 - i) * 2.2) * k, 0, colour.Battle, (5 + (3 - i) * 2) * k);
      }));
      out.push_back(DrawStrip("pricel_anim" + suffix, side, side, 8, Ink, [&](cairo_t* cr, int i) {
        Reticle(cr, side / 2.0, side / 2.0, (15 + std::sin(i * M_PI / 4) * 1.2) * k, i * M_PI / 16, colour.Menu, 5 * k);
      }));
    }
  out.push_back(DrawStrip("ak47", WeaponW, WeaponH, 6, Ink, [](cairo_t* cr, int i) { Weapon(cr, i); }));
  for (int k = 0; k < 6; ++k)
    out.push_back(DrawStrip("Splash_" + std::to_string(k + 1), FlashSize, FlashSize, 1, Ink,
                            [&](cairo_t* cr, int) { MuzzleFlash(cr, FlashSize / 2.0, FlashSize / 2.0, FlashSize * 0.48, k * 0.3); }));

  // Spark on metal: five patterns so the effect can end (it advances 1.6 patterns a frame).
  out.push_back(DrawStrip("popal", 36, 36, 5, Ink, [](cairo_t* cr, int i) {
    std::mt19937 rng(40 + i);
    std::uniform_real_distribution<double> u(0, 1);
    const double t = i / 4.0;
    if (i < 3) MuzzleFlash(cr, 18, 18, 15 * (1 - t * 0.6), i * 0.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int s = 0; s < 7; ++s) {
      const double a = u(rng) * 2 * M_PI, r0 = 4 + 11 * t, r1 = r0 + 5 + 3 * u(rng);
      for (int pass = 0; pass < 2; ++pass) {
        SetColor(cr, pass == 0 ? Rgb(0x6a2a08) : (s % 2 ? Rgb(0xffd040) : Rgb(0xfff8e0)));
        cairo_set_line_width(cr, pass == 0 ? 4 : 2);
        cairo_move_to(cr, 18 + std::cos(a) * r0, 18 + std::sin(a) * r0);
        cairo_line_to(cr, 18 + std::cos(a) * r1, 18 + std::sin(a) * r1);
        cairo_stroke(cr);
      }
    }
  }));

  // Explosion: a fireball that blooms, turns to smoke and thins out.
  out.push_back(DrawStrip("gotov", 88, 88, 10, Ink, [](cairo_t* cr, int i) {
    cairo_translate(cr, -11, -12);
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> u(0, 1);
    const double t = i / 9.0;
    const double grow = std::sin(std::min(1.0, t * 1.6) * M_PI / 2);
    for (int b = 0; b < 9; ++b) {
      const double a = u(rng) * 2 * M_PI, d = u(rng) * 26 * grow;
      const double r = (14 + u(rng) * 14) * (0.35 + 0.75 * grow) * (1 - 0.35 * t);
      const double x = 55 + std::cos(a) * d, y = 62 + std::sin(a) * d * 0.8 - t * 18;
      const TColor fire = t < 0.35 ? Rgb(0xffc040) : Mix(Rgb(0xe06020), Rgb(0x5a5048), std::min(1.0, (t - 0.35) * 1.8));
      Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y, r, 0, 2 * M_PI); }, fire, Ink, t > 0.8 ? 0 : 2, r * 0.3);
      if (t < 0.6) {
        SetColor(cr, Rgb(0xfff2a0, 0.9 * (1 - t / 0.6)));
        cairo_arc(cr, x - r * 0.2, y - r * 0.2, r * 0.45, 0, 2 * M_PI);
        cairo_fill(cr);
      }
    }
    if (t < 0.5) {
      cairo_set_line_width(cr, 3);
      SetColor(cr, Rgb(0x2a2420));
      for (int s = 0; s < 6; ++s) {
        const double a = s * M_PI / 3 + 0.4, r0 = 20 + 60 * t, r1 = r0 + 8;
        cairo_move_to(cr, 55 + std::cos(a) * r0, 60 + std::sin(a) * r0);
        cairo_line_to(cr, 55 + std::cos(a) * r1, 60 + std::sin(a) * r1);
      }
      cairo_stroke(cr);
    }
  }));

  // Bonus balloons, each carrying its sign; four patterns of a slow sway.
  struct TBonusArt {
    const char* Name;
    TColor Skin;
    std::function<void(cairo_t*, double, double)> Sign;
  };
  const TBonusArt bonuses[] = {
      {"bomb", Rgb(0x4a4a4a), [](cairo_t* cr, double x, double y) {
         Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y + 2, 9, 0, 2 * M_PI); }, Rgb(0x1e1e1e), Rgb(0xf0e0c0), 1.5);
         SetColor(cr, Rgb(0xffb020));
         cairo_set_line_width(cr, 2);
         cairo_move_to(cr, x + 5, y - 5);
         cairo_line_to(cr, x + 9, y - 11);
         cairo_stroke(cr);
       }},
      {"med", Rgb(0xf0ece0), [](cairo_t* cr, double x, double y) {
         Shape(cr, [&](cairo_t* g) { Polygon(g, {x - 3.5, y - 10, x + 3.5, y - 10, x + 3.5, y - 3.5, x + 10, y - 3.5, x + 10, y + 3.5, x + 3.5, y + 3.5,
                                                 x + 3.5, y + 10, x - 3.5, y + 10, x - 3.5, y + 3.5, x - 10, y + 3.5, x - 10, y - 3.5, x - 3.5, y - 3.5}); },
               Rgb(0xd02a20), Ink, 1.4);
       }},
      {"life", Rgb(0xe04a5a), [](cairo_t* cr, double x, double y) {
         Shape(cr, [&](cairo_t* g) {
           cairo_move_to(g, x, y + 9);
           cairo_curve_to(g, x - 14, y - 2, x - 8, y - 12, x, y - 5);
           cairo_curve_to(g, x + 8, y - 12, x + 14, y - 2, x, y + 9);
           cairo_close_path(g);
         }, Rgb(0xfff0f0), Ink, 1.4);
       }},
      {"dollar", Rgb(0x4a9a3a), [](cairo_t* cr, double x, double y) { DrawTextCentred(cr, "$", SignStyle(24), x, y); }},
      {"cherep", Rgb(0x6a3a7a), [](cairo_t* cr, double x, double y) {
         Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y - 2, 9, 0, 2 * M_PI); }, Rgb(0xf4f0e4), Ink, 1.4);
         Shape(cr, [&](cairo_t* g) { RoundedRect(g, x - 5, y + 4, 10, 6, 2); }, Rgb(0xf4f0e4), Ink, 1.4);
         SetColor(cr, Ink);
         cairo_arc(cr, x - 3.5, y - 2, 2.5, 0, 2 * M_PI);
         cairo_fill(cr);
         cairo_arc(cr, x + 3.5, y - 2, 2.5, 0, 2 * M_PI);
         cairo_fill(cr);
       }},
      {"artobstrel", Rgb(0xd8a030), [](cairo_t* cr, double x, double y) {
         Shape(cr, [&](cairo_t* g) { Polygon(g, {x - 12, y + 2, x + 10, y - 2, x + 13, y + 1, x + 10, y + 4, x - 12, y + 5}); }, Rgb(0x5a6040), Ink, 1.3);
         Shape(cr, [&](cairo_t* g) { Polygon(g, {x - 2, y + 1, x + 4, y + 1, x - 4, y + 11, x - 8, y + 11}); }, Rgb(0x5a6040), Ink, 1.3);
         Shape(cr, [&](cairo_t* g) { Polygon(g, {x - 2, y + 1, x + 4, y + 1, x - 4, y - 9, x - 8, y - 9}); }, Rgb(0x5a6040), Ink, 1.3);
       }},
      {"ocher", Rgb(0x3a6ab0), [](cairo_t* cr, double x, double y) {
         for (int i = -1; i <= 1; ++i) {
           Shape(cr, [&](cairo_t* g) { RoundedRect(g, x + i * 6 - 2, y - 4, 4, 12, 1); }, Rgb(0xe0a030), Ink, 1.1);
           Shape(cr, [&](cairo_t* g) { cairo_arc(g, x + i * 6, y - 4, 2, M_PI, 2 * M_PI); cairo_close_path(g); }, Rgb(0xc07a40), Ink, 1.1);
         }
       }},
  };
  for (const TBonusArt& b : bonuses)
    out.push_back(DrawStrip(b.Name, 46, 68, 4, Ink, [&](cairo_t* cr, int i) { Balloon(cr, 46, 68, i, b.Skin, b.Sign); }));
  // The balloon bursting: shreds flying apart and a puff.
  out.push_back(DrawStrip("Bonus_dead", 64, 64, 5, Ink, [](cairo_t* cr, int i) {
    const double t = i / 4.0;
    SetColor(cr, Rgb(0xfff4d0, 0.8 * (1 - t)));
    cairo_arc(cr, 32, 30, 8 + 14 * t, 0, 2 * M_PI);
    cairo_fill(cr);
    for (int s = 0; s < 7; ++s) {
      const double a = s * 2 * M_PI / 7 + 0.3, d = 8 + 20 * t;
      const double x = 32 + std::cos(a) * d, y = 30 + std::sin(a) * d + 8 * t * t;
      Shape(cr, [&](cairo_t* g) {
        cairo_save(g);
        cairo_translate(g, x, y);
        cairo_rotate(g, a + t * 3);
        Polygon(g, {-4, -2, 5, -3, 3, 3, -5, 2});
        cairo_restore(g);
      }, s % 2 ? Rgb(0xe04a3a) : Rgb(0xf0c040), Ink, 1.2);
    }
  }));

  // The intro words.
  TLetterStyle banner;
  banner.Size = params.Number("effects.bannerSize", 64);
  banner.Top = Rgb(0xfff0c0);
  banner.Bottom = Rgb(0xe09a30);
  banner.OutlineWidth = 4;
  banner.Spacing = 4;
  out.push_back(DrawStrip("Word_Level_begin", 240, 80, 1, Ink, [&](cairo_t* cr, int) {
    Shape(cr, [](cairo_t* g) { Polygon(g, {6, 14, 226, 10, 236, 40, 226, 70, 6, 66, 16, 40}); }, Rgb(0x5e6a32), Ink, 3, 4);
    DrawTextInBox(cr, "LEVEL", banner, 14, 8, 212, 64, 0);
  }));
  TLetterStyle fight = banner;
  fight.Size = 78;
  fight.Top = Rgb(0xfff6d0);
  fight.Bottom = Rgb(0xe84a20);
  out.push_back(DrawStrip("Fight", 220, 84, 5, Ink, [&](cairo_t* cr, int i) {
    // the word punches in large and settles
    const double scale = i < 3 ? 0.5 + 0.22 * i : (i == 3 ? 0.98 : 0.9);
    cairo_save(cr);
    cairo_translate(cr, 110, 42);
    cairo_scale(cr, scale, scale);
    if (i >= 3) {
      SetColor(cr, Rgb(0xffd040, 0.35));
      cairo_arc(cr, 0, 0, 60, 0, 2 * M_PI);
      cairo_fill(cr);
    }
    DrawTextCentred(cr, "FIGHT!", fight, 0, 0);
    cairo_restore(cr);
  }));
}
