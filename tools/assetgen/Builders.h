#pragma once

#include <filesystem>

// The parts of the generator; each reads its sources under assets/ and writes one kind of data
// file of the game folder, or the desktop icons.
void BuildPictureArchive(const std::filesystem::path& assets, const std::filesystem::path& archive);
void WriteContactSheet(const std::filesystem::path& archive, const std::filesystem::path& png);
void BuildWaveArchive(const std::filesystem::path& assets, const std::filesystem::path& archive);
void BuildMusic(const std::filesystem::path& assets, const std::filesystem::path& musicFolder);
// The desktop icons in a hicolor theme folder: PNG at 16 to 512 px and a scalable SVG, all from
// the title's emblem.
void BuildIcons(const std::filesystem::path& assets, const std::filesystem::path& hicolor);
