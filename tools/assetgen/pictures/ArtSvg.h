#pragma once

#include <cairo.h>

#include <string>

#include "ArtParams.h"

// Renders an SVG file of assets/pictures/ with librsvg into the box (x, y, w, h), keeping its
// proportions. Every ${name} in the file is first replaced by the parameter `name` of the art
// parameters, so one palette drives the SVG art and the generated art alike.
void DrawSvg(cairo_t* cr, const TArtParams& params, const std::string& file, double x, double y,
             double w, double h);

// The text of an SVG file of assets/pictures/ with every ${name} replaced, as DrawSvg draws it.
std::string ReadSvg(const TArtParams& params, const std::string& file);

// Renders SVG text into the box (x, y, w, h), keeping its proportions; what names its source.
void RenderSvg(cairo_t* cr, const std::string& svg, const std::string& what, double x, double y, double w, double h);
