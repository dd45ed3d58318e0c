#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/Wave.h"
#include "engine/ObjectStream.h"

class TWaveCollection;

// A malformed object stream: "Invalid stream format", "Stream read error", "Invalid property
// value" or "Property %s does not exist" (the picture archive's errors).
using EWaveStreamError = EFilerError;

// One effect as the generator and the tests hand it to the archive writer.
struct TWaveSource {
  std::string Name;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  TWave Wave;
};

// Reads a wave archive (resource header, "TPF0", one TWaveCollectionComponent whose "List" holds
// the items) into the collection, appending items in file order. Raises EWaveStreamError, and
// EWaveError for a bad wave block; items read before the error stay.
void ReadWaveArchive(std::span<const uint8_t> bytes, TWaveCollection& collection);

// Writes the archive the reader above accepts.
std::vector<uint8_t> WriteWaveArchive(const std::vector<TWaveSource>& sources);
