#include "Builders.h"

// Placeholder until the music lands.
void BuildMusic(const std::filesystem::path&, const std::filesystem::path&) {}
