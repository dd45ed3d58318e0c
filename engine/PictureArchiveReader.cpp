#include "engine/PictureArchiveReader.h"

#include <stdexcept>

#include "engine/PictureCollection.h"

void ReadPictureArchive(const std::vector<uint8_t>&, TPictureCollection&) {
  throw std::runtime_error("Invalid stream format");
}
