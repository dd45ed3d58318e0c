#pragma once

#include <filesystem>
#include <vector>

#include "audio/WaveArchive.h"

// Every effect and spoken word of the game, synthesised from assets/sounds/.
std::vector<TWaveSource> BuildWaveSources(const std::filesystem::path& assets);
