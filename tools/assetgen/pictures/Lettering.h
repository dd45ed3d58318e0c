#pragma once

#include <cairo.h>

#include <string>

#include "ArtCanvas.h"

// How a line of lettering looks: the family, its size in pixels, a fill running from Top to
// Bottom, a dark outline, a drop shadow and the stencil bridge across the middle.
struct TLetterStyle {
  std::string Family = "Bebas Neue";
  std::string Weight = "Bold";
  double Size = 40;
  TColor Top = Rgb(0xf4e2b0);
  TColor Bottom = Rgb(0xd09a40);
  TColor Outline = Rgb(0x24140a);
  double OutlineWidth = 4;
  double ShadowOffset = 3;
  bool Stencil = true;
  double Spacing = 1;  // extra pixels between letters
};

// Ink size of a text in a style.
struct TTextSize {
  double Width, Height;
};
TTextSize MeasureText(const std::string& text, const TLetterStyle& style);

// Draws the text with its ink box centred on (cx, cy).
void DrawTextCentred(cairo_t* cr, const std::string& text, const TLetterStyle& style, double cx,
                     double cy);
// Draws the text centred in a box, shrinking the size until it fits inside with `margin`.
void DrawTextInBox(cairo_t* cr, const std::string& text, TLetterStyle style, double x, double y,
                   double w, double h, double margin = 4);
// Draws the text with its ink box's left edge at x and its vertical centre at cy.
void DrawTextLeft(cairo_t* cr, const std::string& text, const TLetterStyle& style, double x,
                  double cy);

// Draws running text with its baseline at y, starting at x, so the lines of a paragraph keep an
// even spacing whatever letters they hold.
void DrawTextBaseline(cairo_t* cr, const std::string& text, const TLetterStyle& style, double x,
                      double baseline);

// The families the lettering asks for, as pango actually resolved them ("asked -> used").
std::string FontReport();
