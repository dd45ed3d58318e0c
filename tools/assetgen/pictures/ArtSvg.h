#pragma once

#include <cairo.h>

#include <string>

#include "ArtParams.h"

// Renders an SVG file of assets/pictures/ with librsvg into the box (x, y, w, h), keeping its
// proportions. Every ${name} in the file is first replaced by the parameter `name` of the art
// parameters, so one palette drives the SVG art and the generated art alike.
void DrawSvg(cairo_t* cr, const TArtParams& params, const std::string& file, double x, double y,
             double w, double h);
