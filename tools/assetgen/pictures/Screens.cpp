#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "ArtSvg.h"
#include "Lettering.h"
#include "PictureFamilies.h"
#include "ui/ButtonRects.h"

// Menu screens, panels, dialogs and their highlights. A highlight is the lit version of the
// label under it: both are drawn by the same plate routine at the rectangle that ButtonRects.h
// defines once for the art and the pointer input, so the two always line up.
namespace {

const TColor Ink = OutlineColor();

struct TBox {
  double X, Y, W, H;
};

TBox BoxOf(const THighlight& h) { return {double(h.X), double(h.Y), double(h.W), double(h.H)}; }
TBox BoxOf(const TButtonRect& r) { return {double(r.X1), double(r.Y1), double(r.Width()), double(r.Height())}; }

TBox Intersect(const TBox& a, const TBox& b) {
  const double x0 = std::max(a.X, b.X), y0 = std::max(a.Y, b.Y);
  const double x1 = std::min(a.X + a.W, b.X + b.W), y1 = std::min(a.Y + a.H, b.Y + b.H);
  return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

const THighlight& Highlight(const char* name) {
  const THighlight* h = FindHighlight(name);
  if (!h) throw std::runtime_error(std::string("no highlight named ") + name);
  return *h;
}

// What each plate says and which click rectangle its label must stay inside.
struct TPlate {
  const char* Picture;
  const char* Label;
  TButtonRect Click;
};

const TPlate Plates[] = {
    {"Start Game", "START GAME", ButtonRects::StartGame},
    {"Help", "HELP", ButtonRects::Help},
    {"Options", "OPTIONS", ButtonRects::Options},
    {"High Score", "HIGH SCORE", ButtonRects::HighScore},
    {"Visit Web Site", "VISIT WEB SITE", ButtonRects::VisitWebSite},
    {"Exit", "EXIT", ButtonRects::Exit},
    {"Help_Up", "\u25B2", ButtonRects::HelpUpClick},
    {"Help_Back", "BACK", ButtonRects::HelpBack},
    {"Help_Down", "\u25BC", ButtonRects::HelpDownClick},
    {"Options_back", "BACK", ButtonRects::OptionsBackClick},
    {"HighScore_Clear", "CLEAR", ButtonRects::HighScoreClear},
    {"High Score_Back", "BACK", ButtonRects::HighScoreBackClick},
    {"HighScore_View", "VIEW ONLINE", ButtonRects::HighScoreView},
    {"ExitGame_Yes", "YES", ButtonRects::ExitGameYes},
    {"ExitGame_No", "NO", ButtonRects::ExitGameNo},
    {"Exit_Main_Yes", "YES", ButtonRects::MainExitYes},
    {"Exit_Main_No", "NO", ButtonRects::MainExitNo},
    {"ClearHighScore_Yes", "YES", ButtonRects::ClearYes},
    {"ClearHighScore_No", "NO", ButtonRects::ClearNo},
    {"Options_window_mode", "WINDOW", ButtonRects::OptionsWindowMode},
    {"Options_full_screen", "FULL SCREEN", ButtonRects::OptionsFullScreen},
    {"Options_music_on", "ON", ButtonRects::OptionsMusicOn},
    {"Options_music_off", "OFF", ButtonRects::OptionsMusicOff},
    {"Options_sound_on", "ON", ButtonRects::OptionsSoundOn},
    {"Options_sound_off", "OFF", ButtonRects::OptionsSoundOff},
    {"Enter_Name_Send", "", ButtonRects::SendSwitch},
    {"Options_more", "MORE", ButtonRects::OptionsMore},
    {"Comfort_music_down", "-", ButtonRects::ComfortMusicDown},
    {"Comfort_music_up", "+", ButtonRects::ComfortMusicUp},
    {"Comfort_effects_down", "-", ButtonRects::ComfortEffectsDown},
    {"Comfort_effects_up", "+", ButtonRects::ComfortEffectsUp},
    {"Comfort_size_small", "SMALL", ButtonRects::ComfortSizeSmall},
    {"Comfort_size_normal", "NORMAL", ButtonRects::ComfortSizeNormal},
    {"Comfort_size_large", "LARGE", ButtonRects::ComfortSizeLarge},
    {"Comfort_colour_standard", "", ButtonRects::ComfortColourStandard},
    {"Comfort_colour_white", "", ButtonRects::ComfortColourWhite},
    {"Comfort_colour_magenta", "", ButtonRects::ComfortColourMagenta},
    {"Comfort_stereo", "STEREO", ButtonRects::ComfortStereo},
    {"Comfort_mono", "MONO", ButtonRects::ComfortMono},
    {"Comfort_pad_down", "-", ButtonRects::ComfortPadDown},
    {"Comfort_pad_up", "+", ButtonRects::ComfortPadUp},
};

// The colour each sight swatch shows: the battlefield sight's colour in that choice.
TColor SwatchColour(const std::string& picture, const TColor& standard) {
  if (picture == "Comfort_colour_white") return Rgb(0xffffff);
  if (picture == "Comfort_colour_magenta") return Rgb(0xff40ff);
  return standard;
}

const TPlate& PlateOf(const char* picture) {
  for (const TPlate& p : Plates)
    if (std::string(p.Picture) == picture) return p;
  throw std::runtime_error(std::string("no plate named ") + picture);
}

TLetterStyle PlateStyle(double h, bool lit) {
  TLetterStyle s;
  s.Size = std::min(52.0, h * 0.9);
  s.OutlineWidth = 3;
  s.ShadowOffset = 2.5;
  s.Spacing = 2;
  s.Top = lit ? Rgb(0xffffe8) : Rgb(0xf2e2b8);
  s.Bottom = lit ? Rgb(0xffc838) : Rgb(0xc8a060);
  return s;
}

// An olive steel plate with rivets; lit, it glows amber. A sight swatch shows its sight instead of
// a label.
void PlateAt(cairo_t* cr, const TPlate& plate, bool lit, const TColor& sight = Rgb(0x7aff5a)) {
  const TBox box = BoxOf(Highlight(plate.Picture));
  const double inset = 2.5;
  const TColor face = lit ? Rgb(0xc8742a) : Rgb(0x55602e);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, box.X + inset, box.Y + inset, box.W - 2 * inset, box.H - 2 * inset, 9); },
        face, Ink, 3, 4, 0.3);
  // bevel highlight along the top
  SetColor(cr, lit ? Rgb(0xffd890, 0.8) : Rgb(0x8a9650, 0.8));
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, box.X + 12, box.Y + inset + 4);
  cairo_line_to(cr, box.X + box.W - 12, box.Y + inset + 4);
  cairo_stroke(cr);
  if (box.W > 60) {
    for (double x : {box.X + 9, box.X + box.W - 9})
      for (double y : {box.Y + 9, box.Y + box.H - 9}) {
        Shape(cr, [&](cairo_t* g) { cairo_arc(g, x, y, 2.4, 0, 2 * M_PI); }, lit ? Rgb(0xffe0a0) : Rgb(0xa8a878), Ink, 1.2);
      }
  }
  const TBox text = Intersect(Intersect(box, BoxOf(plate.Click)), {box.X + 6, box.Y + 4, box.W - 12, box.H - 8});
  if (std::string(plate.Picture).rfind("Comfort_colour_", 0) == 0) {
    Reticle(cr, box.X + box.W / 2, box.Y + box.H / 2, box.H * 0.28, 0, SwatchColour(plate.Picture, sight), 4);
    return;
  }
  if (std::string(plate.Picture) == "Enter_Name_Send") {
    // the send switch: a box that is ticked when lit
    if (lit) {
      SetColor(cr, Ink);
      cairo_set_line_width(cr, 9);
      cairo_move_to(cr, box.X + box.W * 0.25, box.Y + box.H * 0.5);
      cairo_line_to(cr, box.X + box.W * 0.45, box.Y + box.H * 0.75);
      cairo_line_to(cr, box.X + box.W * 0.78, box.Y + box.H * 0.22);
      cairo_stroke(cr);
      SetColor(cr, Rgb(0xfff0a0));
      cairo_set_line_width(cr, 5);
      cairo_move_to(cr, box.X + box.W * 0.25, box.Y + box.H * 0.5);
      cairo_line_to(cr, box.X + box.W * 0.45, box.Y + box.H * 0.75);
      cairo_line_to(cr, box.X + box.W * 0.78, box.Y + box.H * 0.22);
      cairo_stroke(cr);
    }
    return;
  }
  DrawTextInBox(cr, plate.Label, PlateStyle(text.H, lit), text.X, text.Y, text.W, text.H, 1);
}

TArtPicture HighlightPicture(const char* name, const TColor& sight) {
  const THighlight& h = Highlight(name);
  return DrawStrip(h.Picture, h.W, h.H, 1, Ink, [&](cairo_t* cr, int) {
    cairo_translate(cr, -h.X, -h.Y);
    PlateAt(cr, PlateOf(name), true, sight);
  });
}

// The desert at dusk, for the title, menu and backdrop screens.
void Backdrop(cairo_t* cr, const TColor& top, const TColor& horizon, const TColor& ground, int seed) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 420);
  cairo_pattern_add_color_stop_rgb(sky, 0, top.R, top.G, top.B);
  cairo_pattern_add_color_stop_rgb(sky, 1, horizon.R, horizon.G, horizon.B);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_pattern_t* sun = cairo_pattern_create_radial(400, 400, 20, 400, 400, 260);
  cairo_pattern_add_color_stop_rgba(sun, 0, 1, 0.92, 0.6, 0.9);
  cairo_pattern_add_color_stop_rgba(sun, 1, 1, 0.7, 0.3, 0);
  cairo_set_source(cr, sun);
  cairo_paint(cr);
  cairo_pattern_destroy(sun);
  SetColor(cr, Rgb(0xfff0c8));
  cairo_arc(cr, 400, 400, 60, M_PI, 2 * M_PI);
  cairo_fill(cr);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  for (int layer = 0; layer < 3; ++layer) {
    const double base = 400 + layer * 60;
    cairo_move_to(cr, 0, 600);
    cairo_line_to(cr, 0, base);
    for (double x = 0; x < 800;) {
      const double step = 90 + u(rng) * 120;
      cairo_curve_to(cr, x + step * 0.3, base - 30 * u(rng) - 10, x + step * 0.7, base - 30 * u(rng) - 10, x + step, base + 10 * u(rng));
      x += step;
    }
    cairo_line_to(cr, 800, 600);
    cairo_close_path(cr);
    SetColor(cr, Mix(ground, Rgb(0x1a0e08), layer * 0.25));
    cairo_fill_preserve(cr);
    SetColor(cr, Ink);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
}

void PalmSilhouette(cairo_t* cr, double x, double y, double s) {
  SetColor(cr, Rgb(0x1e120c));
  const double topX = x + 30 * s, topY = y - 190 * s;
  cairo_set_line_width(cr, 8 * s);
  cairo_move_to(cr, x, y);
  cairo_curve_to(cr, x + 10 * s, y - 80 * s, x + 20 * s, y - 140 * s, topX, topY);
  cairo_stroke(cr);
  // drooping fronds, each a tapering zig-zag of leaflets along a falling curve
  for (int i = 0; i < 9; ++i) {
    const double a = -M_PI * (0.04 + 0.92 * i / 8.0);
    const double len = (70 + 25 * (i % 2)) * s;
    const double dx = std::cos(a), dy = std::sin(a);
    std::vector<std::pair<double, double>> upper, lower;
    for (int k = 0; k <= 16; ++k) {
      const double t = k / 16.0;
      const double px = topX + dx * len * t, py = topY + dy * len * t * 0.6 + len * 0.55 * t * t;
      const double tx = dx * len, ty = dy * len * 0.6 + len * 1.1 * t;
      const double n = std::hypot(tx, ty);
      const double nx = -ty / n, ny = tx / n;
      const double w = s * (k % 2 ? 10.0 : 4.0) * (1 - t) + 1.0;
      upper.push_back({px + nx * w, py + ny * w});
      lower.push_back({px - nx * w * 0.5, py - ny * w * 0.5});
    }
    cairo_move_to(cr, upper[0].first, upper[0].second);
    for (const auto& [ux, uy] : upper) cairo_line_to(cr, ux, uy);
    for (auto it = lower.rbegin(); it != lower.rend(); ++it) cairo_line_to(cr, it->first, it->second);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

// A gunship against the sky, flying left.
void HelicopterSilhouette(cairo_t* cr, double x, double y, double s) {
  SetColor(cr, Rgb(0x1e120c));
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s, s);
  cairo_save(cr);
  cairo_scale(cr, 30, 13);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_fill(cr);
  cairo_set_line_width(cr, 7);
  cairo_move_to(cr, 20, -2);
  cairo_line_to(cr, 80, -8);
  cairo_stroke(cr);
  Polygon(cr, {74, -8, 84, -26, 90, -26, 86, -6});
  cairo_fill(cr);
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, -62, -20);
  cairo_line_to(cr, 62, -20);
  cairo_move_to(cr, 0, -20);
  cairo_line_to(cr, 0, -12);
  cairo_move_to(cr, -22, 20);
  cairo_line_to(cr, 22, 20);
  cairo_move_to(cr, -12, 12);
  cairo_line_to(cr, -14, 20);
  cairo_move_to(cr, 12, 12);
  cairo_line_to(cr, 14, 20);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A fighter on a dune, rifle raised, for the title screens.
void FighterSilhouette(cairo_t* cr, double x, double y, double s) {
  SetColor(cr, Rgb(0x1e120c));
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s, s);
  cairo_arc(cr, 0, -92, 9, 0, 2 * M_PI);
  cairo_fill(cr);
  Polygon(cr, {-12, -80, 12, -80, 10, -40, -10, -40});
  cairo_fill(cr);
  cairo_set_line_width(cr, 8);
  cairo_move_to(cr, -6, -42);
  cairo_line_to(cr, -12, 0);
  cairo_move_to(cr, 6, -42);
  cairo_line_to(cr, 14, 0);
  cairo_move_to(cr, -10, -76);
  cairo_line_to(cr, -4, -58);
  cairo_line_to(cr, 16, -66);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 5);
  cairo_move_to(cr, -6, -58);
  cairo_line_to(cr, 40, -80);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Vignette(cairo_t* cr, double strength) {
  cairo_pattern_t* v = cairo_pattern_create_radial(400, 300, 200, 400, 300, 520);
  cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(v, 1, 0.08, 0.04, 0.02, strength);
  cairo_set_source(cr, v);
  cairo_paint(cr);
  cairo_pattern_destroy(v);
}

TLetterStyle TitleStyle(double size) {
  TLetterStyle s;
  s.Size = size;
  s.OutlineWidth = size / 14;
  s.ShadowOffset = size / 16;
  s.Spacing = size / 12;
  s.Top = Rgb(0xfff2c0);
  s.Bottom = Rgb(0xe08a28);
  return s;
}

// The plain, paler title letters of the options pages' row captions.
TLetterStyle CaptionStyle(double size) {
  TLetterStyle s = TitleStyle(size);
  s.Stencil = false;
  s.Top = Rgb(0xe8d8b0);
  s.Bottom = Rgb(0xb89860);
  return s;
}

TLetterStyle BodyStyle(double size) {
  TLetterStyle s;
  s.Family = "League Spartan";
  s.Weight = "Bold";
  s.Size = size;
  s.OutlineWidth = 0;
  s.ShadowOffset = 0;
  s.Stencil = false;
  s.Spacing = 0.5;
  s.Top = Rgb(0xf4e8c8);
  s.Bottom = Rgb(0xf4e8c8);
  return s;
}

// A framed panel: olive steel frame with rivets around a dark inset.
void Board(cairo_t* cr, double x, double y, double w, double h) {
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, x, y, w, h, 16); }, Rgb(0x5a6432), Ink, 3.5, 5, 0.3);
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, x + 12, y + 12, w - 24, h - 24, 10); }, Rgb(0x2e2a1e), Ink, 2.5);
  cairo_save(cr);
  RoundedRect(cr, x + 12, y + 12, w - 24, h - 24, 10);
  cairo_clip(cr);
  SetColor(cr, Rgb(0x3a3424, 0.9));
  cairo_set_line_width(cr, 1);
  for (double ly = y + 20; ly < y + h; ly += 6) {
    cairo_move_to(cr, x, ly);
    cairo_line_to(cr, x + w, ly);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  for (double rx : {x + 7, x + w - 7})
    for (double ry = y + 24; ry < y + h - 16; ry += 60) Shape(cr, [&](cairo_t* g) { cairo_arc(g, rx, ry, 2.5, 0, 2 * M_PI); }, Rgb(0xa8a878), Ink, 1.2);
}

// A panel picture drawn in screen coordinates; `centreX`, `centreY` is where the game centres it.
TArtPicture Panel(const std::string& name, int w, int h, int centreX, int centreY,
                  const std::function<void(cairo_t*)>& draw) {
  const int left = centreX - w / 2, top = centreY - h / 2;
  return DrawStrip(name, w, h, 1, Ink, [&](cairo_t* cr, int) {
    cairo_translate(cr, -left, -top);
    draw(cr);
  });
}

// Paints pattern `index` of an already built picture at (x, y), scaled by s.
void Stamp(cairo_t* cr, const TArtPicture& p, int index, double x, double y, double s) {
  const int pw = p.PatternWidth > 0 ? p.PatternWidth : p.Width;
  const int ph = p.PatternHeight > 0 ? p.PatternHeight : p.Height;
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph);
  cairo_surface_flush(surf);
  uint8_t* data = cairo_image_surface_get_data(surf);
  const int stride = cairo_image_surface_get_stride(surf);
  const int cols = p.Width / pw;
  const int ox = (index % cols) * pw, oy = (index / cols) * ph;
  for (int yy = 0; yy < ph; ++yy)
    for (int xx = 0; xx < pw; ++xx) {
      const uint8_t* src = &p.Bgr[(static_cast<size_t>(oy + yy) * p.Width + ox + xx) * 3];
      const bool key = p.Transparent && src[0] == 0xFF && src[1] == 0 && src[2] == 0xFF;
      auto* dst = reinterpret_cast<uint32_t*>(data + yy * stride) + xx;
      *dst = key ? 0 : (0xFF000000u | (src[2] << 16) | (src[1] << 8) | src[0]);
    }
  cairo_surface_mark_dirty(surf);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s, s);
  cairo_set_source_surface(cr, surf, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(surf);
}

const TArtPicture& Find(const TPictureList& list, const std::string& name) {
  for (const TArtPicture& p : list)
    if (p.Name == name) return p;
  throw std::runtime_error("help pages need the picture " + name);
}

void Lines(cairo_t* cr, double x, double y, double size, std::initializer_list<const char*> lines) {
  const TLetterStyle s = BodyStyle(size);
  for (const char* line : lines) {
    DrawTextBaseline(cr, line, s, x, y + size * 0.35);
    y += size * 1.45;
  }
}

// The four help pages are 400 x 240, centred on (391, 279) (page 2 on (402, 279)), so each ends
// above y 445 and leaves the panel's buttons free.
constexpr int HelpW = 400, HelpH = 240;

TArtPicture HelpPage(int page, const TPictureList& art) {
  return DrawStrip("help" + std::to_string(page), HelpW, HelpH, 1, Ink, [&](cairo_t* cr, int) {
    Board(cr, 1, 1, HelpW - 2, HelpH - 2);
    const TLetterStyle head = TitleStyle(30);
    const TLetterStyle score = TitleStyle(16);
    switch (page) {
      case 1:
        DrawTextCentred(cr, "AIM AND SHOOT", head, HelpW / 2, 38);
        Stamp(cr, Find(art, "pricel_anim"), 0, 22, 92, 1.5);
        Lines(cr, 104, 76, 14.5, {"Move the mouse to aim the sight.", "Click the left button to fire.",
                                  "Enemies shoot back: watch your", "health at the bottom left.",
                                  "No health left costs a life;", "three lives, then it's game over.",
                                  "Shoot balloons to grab bonuses!"});
        break;
      case 2: {
        DrawTextCentred(cr, "THE ENEMY", head, HelpW / 2, 38);
        const char* foot[] = {"terror1_fight", "terror2_fight", "terror3_fight", "terror4_fight"};
        const char* footScore[] = {"10", "20", "40", "70"};
        for (int i = 0; i < 4; ++i) {
          const TArtPicture& p = Find(art, foot[i]);
          Stamp(cr, p, 2, 40 + i * 46 - p.PatternWidth * 0.55 / 2, 60, 0.55);
          DrawTextCentred(cr, footScore[i], score, 40 + i * 46, 138);
        }
        const char* cars[] = {"terror5_move", "terror6_move", "terror7_move", "terror8_move"};
        const char* carScore[] = {"50", "80", "30", "100"};
        for (int i = 0; i < 4; ++i) {
          const double x = 212 + (i % 2) * 88, y = 58 + (i / 2) * 54;
          Stamp(cr, Find(art, cars[i]), 0, x, y, 0.62);
          DrawTextCentred(cr, carScore[i], score, x + 38, y + 44);
        }
        Lines(cr, 22, 176, 13.5, {"Points for every kill. Heavy troops take", "several hits, the helicopter thirty-five.",
                                  "They duck behind cover: keep looking!"});
        break;
      }
      case 3: {
        DrawTextCentred(cr, "BONUSES", head, HelpW / 2, 38);
        const char* names[] = {"bomb", "med", "life", "dollar", "cherep", "artobstrel", "ocher"};
        const char* text[] = {"Bomb: clears all troops", "Medkit: +50 health", "Extra life", "Money: +100 points",
                              "Skull: -50 health!", "Air strike on vehicles", "Burst fire, 10 s"};
        for (int i = 0; i < 7; ++i) {
          const double x = 20 + (i / 4) * 190, y = 60 + (i % 4) * 41;
          Stamp(cr, Find(art, names[i]), 0, x, y, 0.55);
          DrawTextLeft(cr, text[i], BodyStyle(13.5), x + 30, y + 16);
        }
        break;
      }
      default:
        DrawTextCentred(cr, "KEYS AND LEVELS", head, HelpW / 2, 38);
        Lines(cr, 26, 76, 14.5, {"P - pause and resume", "Esc - leave the battle (asks first)",
                                 "Alt+Enter - full screen or window", "Each level lasts 30 seconds longer",
                                 "than the last. Beat the clock to move", "on: more enemies, heavier kinds",
                                 "and a new battlefield."});
        break;
    }
  });
}

}  // namespace

void AddScreens(TPictureList& out, const TArtParams& params) {
  const TColor dusk = params.Color("screens.skyTop", Rgb(0x3a2a58));
  const TColor glow = params.Color("screens.skyHorizon", Rgb(0xf0905a));
  const TColor dune = params.Color("screens.dunes", Rgb(0x9a5a32));
  // The swatch of the standard sight shows the battlefield sight's own colour.
  const TColor sight = params.Color("effects.sight", Rgb(0x7aff5a));

  {  // title
    TArtCanvas c(800, 600);
    cairo_t* cr = c.Cr();
    Backdrop(cr, dusk, glow, dune, 1);
    PalmSilhouette(cr, 60, 470, 1.3);
    PalmSilhouette(cr, 690, 460, 1.0);
    HelicopterSilhouette(cr, 640, 120, 0.8);
    HelicopterSilhouette(cr, 120, 90, 0.45);
    FighterSilhouette(cr, 210, 462, 0.9);
    FighterSilhouette(cr, 560, 470, 0.75);
    Vignette(cr, 0.6);
    DrawSvg(cr, params, "svg/emblem.svg", 280, 10, 240, 160);
    DrawTextCentred(cr, "ZARVOK", TitleStyle(170), 400, 250);
    TLetterStyle sub = TitleStyle(30);
    sub.Stencil = false;
    DrawTextCentred(cr, "DESERT SHOOTING GALLERY", sub, 400, 365);
    TLetterStyle hint = BodyStyle(18);
    DrawTextCentred(cr, "click to begin", hint, 400, 560);
    out.push_back(c.FinishOpaque("Splash Screen"));
  }
  {  // main menu: the six plates
    TArtCanvas c(800, 600);
    cairo_t* cr = c.Cr();
    Backdrop(cr, dusk, glow, dune, 2);
    PalmSilhouette(cr, 20, 520, 1.2);
    PalmSilhouette(cr, 700, 540, 1.1);
    HelicopterSilhouette(cr, 680, 150, 0.7);
    FighterSilhouette(cr, 110, 470, 0.8);
    FighterSilhouette(cr, 640, 500, 0.7);
    Vignette(cr, 0.7);
    DrawSvg(cr, params, "svg/emblem.svg", 600, 10, 180, 120);
    for (const char* name : {"Start Game", "Help", "Options", "High Score", "Visit Web Site", "Exit"}) PlateAt(cr, PlateOf(name), false);
    out.push_back(c.FinishOpaque("menu"));
  }
  {  // backdrop behind the panels: desert camouflage
    TArtCanvas c(800, 600);
    cairo_t* cr = c.Cr();
    SetColor(cr, Rgb(0xc8a46a));
    cairo_paint(cr);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0, 1);
    const TColor camo[] = {Rgb(0xa8804a), Rgb(0x8a6a3e), Rgb(0xdcc08a)};
    for (int i = 0; i < 90; ++i) {
      SetColor(cr, camo[i % 3]);
      const double x = u(rng) * 800, y = u(rng) * 600, r = 20 + u(rng) * 40;
      cairo_move_to(cr, x + r, y);
      for (int k = 1; k <= 8; ++k) {
        const double a = k * M_PI / 4, rr = r * (0.6 + 0.4 * u(rng));
        cairo_line_to(cr, x + std::cos(a) * rr, y + std::sin(a) * rr * 0.7);
      }
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    Vignette(cr, 0.75);
    out.push_back(c.FinishOpaque("fon_all"));
  }
  {  // the quit question
    TArtCanvas c(800, 600);
    cairo_t* cr = c.Cr();
    Backdrop(cr, Rgb(0x1e1a38), Rgb(0xa05a48), Rgb(0x5a3422), 3);
    PalmSilhouette(cr, 40, 500, 1.1);
    PalmSilhouette(cr, 700, 520, 0.9);
    HelicopterSilhouette(cr, 660, 90, 0.6);
    FighterSilhouette(cr, 110, 480, 0.7);
    Vignette(cr, 0.8);
    Board(cr, 150, 170, 500, 290);
    DrawTextCentred(cr, "QUIT ZARVOK?", TitleStyle(64), 400, 250);
    PlateAt(cr, PlateOf("ExitGame_Yes"), false);
    PlateAt(cr, PlateOf("ExitGame_No"), false);
    out.push_back(c.FinishOpaque("SceneExit"));
  }
  {  // game over: the centre stays free for the name panel
    TArtCanvas c(800, 600);
    cairo_t* cr = c.Cr();
    Backdrop(cr, Rgb(0x200e18), Rgb(0xb83a20), Rgb(0x4a2216), 4);
    // a helmet on a rifle, left and right of the panel
    for (double x : {60.0, 740.0}) {
      SetColor(cr, Rgb(0x140a06));
      cairo_rectangle(cr, x - 3, 380, 6, 170);
      cairo_fill(cr);
      cairo_arc(cr, x, 385, 34, M_PI, 2 * M_PI);
      cairo_fill(cr);
      cairo_rectangle(cr, x - 40, 383, 80, 8);
      cairo_fill(cr);
    }
    Vignette(cr, 0.7);
    DrawTextCentred(cr, "GAME OVER", TitleStyle(96), 400, 75);
    out.push_back(c.FinishOpaque("bgGameOver"));
  }

  // Panels centred on (393, 277): drawn in screen coordinates.
  // The help panel is a title plate above the page and a button bar below it; the page itself
  // lies between them, so the panel leaves that band transparent.
  out.push_back(Panel("fon_help", 300, 490, 393, 277, [&](cairo_t* cr) {
    Board(cr, 243, 34, 300, 100);
    Board(cr, 243, 440, 300, 82);
    TLetterStyle title = TitleStyle(36);
    DrawTextCentred(cr, "FIELD MANUAL", title, 393, 78);
    for (const char* name : {"Help_Up", "Help_Back", "Help_Down"}) PlateAt(cr, PlateOf(name), false);
  }));
  out.push_back(Panel("fon_options", 700, 490, 393, 277, [&](cairo_t* cr) {
    Board(cr, 43, 32, 700, 490);
    DrawTextCentred(cr, "OPTIONS", TitleStyle(40), 393, 82);
    const TLetterStyle caption = CaptionStyle(30);
    DrawTextLeft(cr, "SCREEN", caption, 72, 161);
    DrawTextLeft(cr, "MUSIC", caption, 72, 246);
    DrawTextLeft(cr, "SOUND", caption, 72, 336);
    DrawTextLeft(cr, "TEXT", caption, 72, 425);
    for (const char* name : {"Options_window_mode", "Options_full_screen", "Options_music_on", "Options_music_off",
                             "Options_sound_on", "Options_sound_off", "Options_back", "Options_more"})
      PlateAt(cr, PlateOf(name), false);
    const TBox line = BoxOf(ButtonRects::OptionsTextLine);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, line.X, line.Y, line.W, line.H, 6); }, Rgb(0x14120c), Ink, 2.5);
  }));
  // The second options page: the same board, captions and plates as the first.
  out.push_back(Panel("fon_comfort", 700, 490, 393, 277, [&](cairo_t* cr) {
    Board(cr, 43, 32, 700, 490);
    DrawTextCentred(cr, "COMFORT", TitleStyle(40), 393, 76);
    const TLetterStyle caption = CaptionStyle(26);
    const struct {
      const char* Text;
      const TButtonRect& Row;
    } captions[] = {{"MUSIC", ButtonRects::ComfortMusicDown},  {"EFFECTS", ButtonRects::ComfortEffectsDown},
                    {"SIGHT", ButtonRects::ComfortSizeSmall},  {"COLOUR", ButtonRects::ComfortColourStandard},
                    {"OUTPUT", ButtonRects::ComfortStereo},    {"PAD SPEED", ButtonRects::ComfortPadDown}};
    for (const auto& c : captions) DrawTextLeft(cr, c.Text, caption, 72, (c.Row.Y1 + c.Row.Y2) / 2.0);
    // the wells the percentages are drawn in
    for (const TButtonRect* row : {&ButtonRects::ComfortMusicDown, &ButtonRects::ComfortEffectsDown, &ButtonRects::ComfortPadDown})
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, 392, row->Y1 + 2, 158, row->Height() - 4, 6); }, Rgb(0x14120c), Ink, 2.5);
    for (const TPlate& p : Plates)
      if (std::string(p.Picture).rfind("Comfort_", 0) == 0) PlateAt(cr, p, false, sight);
    PlateAt(cr, PlateOf("Options_back"), false);
  }));
  out.push_back(Panel("fon_high_scores", 630, 514, 393, 277, [&](cairo_t* cr) {
    Board(cr, 78, 20, 630, 514);
    DrawTextCentred(cr, "HIGH SCORES", TitleStyle(46), 393, 72);
    const int rows[] = {150, 185, 220, 253, 285, 315, 345, 375, 405, 433};
    TLetterStyle rank = TitleStyle(24);
    rank.Stencil = false;
    for (int i = 0; i < 10; ++i) {
      if (i % 2 == 0) {
        SetColor(cr, Rgb(0x4a4430, 0.8));
        RoundedRect(cr, 140, rows[i] - 4, 510, 30, 5);
        cairo_fill(cr);
      }
      DrawTextLeft(cr, std::to_string(i + 1) + ".", rank, 160, rows[i] + 11);
    }
    for (const char* name : {"HighScore_Clear", "High Score_Back", "HighScore_View"}) PlateAt(cr, PlateOf(name), false);
  }));
  for (int page = 1; page <= 4; ++page) out.push_back(HelpPage(page, out));

  // Dialog panels, centred on the screen.
  out.push_back(Panel("pause", 260, 90, 400, 300, [](cairo_t* cr) {
    Board(cr, 270, 255, 260, 90);
    DrawTextCentred(cr, "PAUSE", TitleStyle(54), 400, 300);
  }));
  out.push_back(Panel("Exit_Main", 340, 200, 400, 300, [](cairo_t* cr) {
    Board(cr, 230, 200, 340, 200);
    TLetterStyle q = TitleStyle(36);
    DrawTextCentred(cr, "QUIT TO THE MENU?", q, 400, 256);
    PlateAt(cr, PlateOf("Exit_Main_Yes"), false);
    PlateAt(cr, PlateOf("Exit_Main_No"), false);
  }));
  out.push_back(Panel("ClearHighScore", 320, 200, 400, 300, [](cairo_t* cr) {
    Board(cr, 240, 200, 320, 200);
    DrawTextCentred(cr, "CLEAR THE TABLE?", TitleStyle(34), 400, 255);
    PlateAt(cr, PlateOf("ClearHighScore_Yes"), false);
    PlateAt(cr, PlateOf("ClearHighScore_No"), false);
  }));
  out.push_back(Panel("Enter_Name", 520, 300, 400, 300, [](cairo_t* cr) {
    Board(cr, 140, 150, 520, 300);
    DrawTextCentred(cr, "NEW HIGH SCORE!", TitleStyle(30), 400, 176);
    TLetterStyle caption = BodyStyle(17);
    DrawTextCentred(cr, "Type your name and press Enter", caption, 400, 308);
    const TBox line = BoxOf(ButtonRects::NameLine);
    Shape(cr, [&](cairo_t* g) { RoundedRect(g, line.X - 4, line.Y - 2, line.W + 8, line.H + 4, 6); }, Rgb(0x14120c), Ink, 2.5);
    PlateAt(cr, PlateOf("Enter_Name_Send"), false);
    DrawTextLeft(cr, "Send to the online table", BodyStyle(17), 228, 399);
  }));

  for (const TPlate& p : Plates) out.push_back(HighlightPicture(p.Picture, sight));
}
