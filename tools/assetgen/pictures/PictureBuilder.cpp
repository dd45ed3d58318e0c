#include "Builders.h"

// Placeholder until the art lands.
void BuildPictureArchive(const std::filesystem::path&, const std::filesystem::path&) {}
void WriteContactSheet(const std::filesystem::path&, const std::filesystem::path&) {}
