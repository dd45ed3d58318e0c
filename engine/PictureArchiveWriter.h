#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One picture as the generator and the tests hand it to the archive writer.
struct TPictureSource {
  std::string Name;
  int32_t Width = 0;
  int32_t Height = 0;
  // Width * Height * 3 bytes, rows top to bottom, bytes B, G, R.
  std::vector<uint8_t> Bgr;
  int32_t PatternWidth = 0;
  int32_t PatternHeight = 0;
  int32_t SkipWidth = 0;
  int32_t SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  // 0x00BBGGRR.
  uint32_t TransparentColor = 0;
};

// The picture archive the game reads, each picture a 24-bit "TDIB". Raises std::invalid_argument
// when a picture's pixels do not match its size.
std::vector<uint8_t> WritePictureArchive(const std::vector<TPictureSource>& sources);
// Writes the archive to a temporary file beside path, then renames it over path, so a failed
// write never leaves half an archive.
void WritePictureArchiveFile(const std::filesystem::path& path, const std::vector<TPictureSource>& sources);
