#pragma once

#include <filesystem>

#include "platform/Surface.h"

// Writes a 16-bit surface as an uncompressed PNG, so previews of the art can be looked at.
void WriteSurfacePng(const TSurface& surface, const std::filesystem::path& path);
