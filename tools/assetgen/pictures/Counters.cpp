#include <cmath>
#include <string>

#include "Lettering.h"
#include "PictureFamilies.h"

// Digits, letters and the HUD symbols: stencil lettering in sand and brass with dark outlines so
// they read over sky, sand and the menu panels alike.
namespace {

const TColor Ink = OutlineColor();

TLetterStyle DigitStyle(double size) {
  TLetterStyle s;
  s.Size = size;
  s.OutlineWidth = 2.2;
  s.ShadowOffset = 2;
  s.Stencil = false;
  s.Spacing = 0;
  return s;
}

// A glyph in a picture of fixed height whose width follows the glyph.
TArtPicture Glyph(const std::string& name, const std::string& text, const TLetterStyle& style,
                  int height, int minWidth, int fixedWidth = 0) {
  const TTextSize size = MeasureText(text, style);
  const int w = fixedWidth > 0 ? fixedWidth
                               : std::max(minWidth, static_cast<int>(std::ceil(size.Width + 2 * style.OutlineWidth + style.ShadowOffset + 3)));
  return DrawStrip(name, w, height, 1, Ink, [&](cairo_t* cr, int) {
    DrawTextCentred(cr, text, style, (w - style.ShadowOffset) / 2.0, (height - style.ShadowOffset) / 2.0);
  });
}

void Bullet(cairo_t* cr, double x, double y, double s) {
  Shape(cr, [&](cairo_t* g) { RoundedRect(g, x - s * 0.3, y, s * 0.6, s * 1.3, s * 0.1); }, Rgb(0xc8942c), Ink, 1.4, 1.2);
  Shape(cr, [&](cairo_t* g) {
    cairo_move_to(g, x - s * 0.3, y + 0.5);
    cairo_curve_to(g, x - s * 0.3, y - s * 0.6, x + s * 0.3, y - s * 0.6, x + s * 0.3, y + 0.5);
    cairo_close_path(g);
  }, Rgb(0xb87a4a), Ink, 1.4);
}

}  // namespace

void AddCounters(TPictureList& out, const TArtParams& params) {
  TLetterStyle digits = DigitStyle(params.Number("hud.digitSize", 30));
  digits.Top = params.Color("hud.digitTop", Rgb(0xfff0c0));
  digits.Bottom = params.Color("hud.digitBottom", Rgb(0xe0a030));
  for (int d = 0; d <= 9; ++d) out.push_back(Glyph("cifra" + std::to_string(d), std::to_string(d), digits, 32, 20, 22));
  out.push_back(Glyph("cifra_prefix", ":", digits, 32, 10, 12));
  TLetterStyle level = DigitStyle(24);
  level.Top = Rgb(0xf0e0b0);
  level.Bottom = Rgb(0xc8a060);
  level.Spacing = 2;
  out.push_back(Glyph("level", "LEVEL", level, 28, 60));

  TLetterStyle health = DigitStyle(26);
  health.Top = Rgb(0xd8ffb0);
  health.Bottom = Rgb(0x6ab030);
  for (int d = 0; d <= 9; ++d) out.push_back(Glyph("Health_" + std::to_string(d), std::to_string(d), health, 28, 16, 18));
  out.push_back(Glyph("Health_percent", "%", health, 28, 18));

  // Lives: a helmet with the count stencilled on it.
  for (int n = 1; n <= 3; ++n) {
    out.push_back(DrawStrip("Lifes_" + std::to_string(n), 64, 52, 1, Ink, [&](cairo_t* cr, int) {
      Shape(cr, [&](cairo_t* g) {
        cairo_arc(g, 32, 34, 27, M_PI, 2 * M_PI);
        cairo_line_to(g, 62, 40);
        cairo_line_to(g, 2, 40);
        cairo_close_path(g);
      }, Rgb(0x6f7a3a), Ink, 2.2, 3.5);
      Shape(cr, [&](cairo_t* g) { RoundedRect(g, 1, 38, 62, 7, 3); }, Rgb(0x56602c), Ink, 2);
      TLetterStyle s = DigitStyle(26);
      s.Top = Rgb(0xfff4d0);
      s.Bottom = Rgb(0xe8c070);
      DrawTextCentred(cr, std::to_string(n), s, 32, 23);
    }));
  }
  // Bandolier: one round for single fire, a belt of rounds for burst fire.
  out.push_back(DrawStrip("odinoch", 60, 50, 1, Ink, [](cairo_t* cr, int) {
    Shape(cr, [](cairo_t* g) { RoundedRect(g, 3, 30, 54, 14, 4); }, Rgb(0x6a4a26), Ink, 2, 2);
    Bullet(cr, 30, 12, 14);
  }));
  out.push_back(DrawStrip("ochered", 60, 50, 1, Ink, [](cairo_t* cr, int) {
    Shape(cr, [](cairo_t* g) { RoundedRect(g, 2, 30, 56, 14, 4); }, Rgb(0x6a4a26), Ink, 2, 2);
    for (int i = 0; i < 5; ++i) Bullet(cr, 9 + i * 10.5, 12 + (i % 2), 11);
  }));

  // Letters of names and the extra text line.
  TLetterStyle letters = DigitStyle(params.Number("hud.letterSize", 30));
  letters.Top = params.Color("hud.letterTop", Rgb(0xfff4d8));
  letters.Bottom = params.Color("hud.letterBottom", Rgb(0xe4b060));
  for (char c = 'A'; c <= 'Z'; ++c) out.push_back(Glyph(std::string("Bukva_") + c, std::string(1, c), letters, 32, 12));
  for (char c = '0'; c <= '9'; ++c) out.push_back(Glyph(std::string("Bukva_") + c, std::string(1, c), letters, 32, 12, 20));
  out.push_back(DrawStrip("Bukva_prefix", 20, 10, 1, Ink, [](cairo_t* cr, int) {
    Shape(cr, [](cairo_t* g) { RoundedRect(g, 1.5, 1.5, 17, 6, 2); }, Rgb(0xffd040), Ink, 1.6);
  }));
}
