#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Keeps the game's settings file across page loads. The page mounts the browser's IndexedDB as a
// folder and fills it before the game starts; the game reads and writes its file where it always
// does, and a copy goes to the stored folder, written through to IndexedDB, whenever it changes.
class TWebStorage {
 public:
  // file: the game's settings file; stored: the same name in the IndexedDB folder.
  TWebStorage(std::filesystem::path file, std::filesystem::path stored);

  // Puts the stored copy where the game reads it, before the game starts.
  void Restore();
  // Stores the file when it has changed since it was last restored or stored; true when it did.
  bool Poll();

 private:
  std::filesystem::path FFile;
  std::filesystem::path FStored;
  std::string FLastBytes;
  std::filesystem::file_time_type FLastTime{};
  uintmax_t FLastSize = 0;
};
