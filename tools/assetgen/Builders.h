#pragma once

#include <filesystem>

// The three parts of the generator; each reads its sources under assets/ and writes one kind of
// data file of the game folder.
void BuildPictureArchive(const std::filesystem::path& assets, const std::filesystem::path& archive);
void WriteContactSheet(const std::filesystem::path& archive, const std::filesystem::path& png);
void BuildWaveArchive(const std::filesystem::path& assets, const std::filesystem::path& archive);
void BuildMusic(const std::filesystem::path& assets, const std::filesystem::path& musicFolder);
