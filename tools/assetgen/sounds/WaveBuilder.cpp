#include "Builders.h"

// Placeholder until the sounds land.
void BuildWaveArchive(const std::filesystem::path&, const std::filesystem::path&) {}
