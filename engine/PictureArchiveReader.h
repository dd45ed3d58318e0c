#pragma once

#include <cstdint>
#include <vector>

class TPictureCollection;

// Appends the pictures of a picture archive ("Data/Graphic.dxg") to the collection. Raises the
// stream's errors and "DIB is invalid"; items read before an error stay.
void ReadPictureArchive(const std::vector<uint8_t>& data, TPictureCollection& collection);
