#include "platform/web/WebStorage.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// Writes the IndexedDB folder through; a write asked for while one is under way follows it.
// clang-format off
EM_JS(void, ZarvokSyncStorage, (), {
  if (Module.zarvokSyncing) { Module.zarvokSyncAgain = true; return; }
  Module.zarvokSyncing = true;
  FS.syncfs(false, function(error) {
    Module.zarvokSyncing = false;
    if (error) console.warn('Zarvok: the settings could not be stored: ' + error);
    if (Module.zarvokSyncAgain) { Module.zarvokSyncAgain = false; _ZarvokSyncAgain(); }
    if (Module.onZarvokStored) Module.onZarvokStored();
  });
});
// clang-format on

extern "C" EMSCRIPTEN_KEEPALIVE void ZarvokSyncAgain() { ZarvokSyncStorage(); }
#else
// Outside the browser the stored folder is an ordinary one: nothing to write through.
static void ZarvokSyncStorage() {}
#endif

namespace {

std::optional<std::string> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Whole or not at all: a page closed halfway leaves the old copy.
bool WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

TWebStorage::TWebStorage(std::filesystem::path file, std::filesystem::path stored)
    : FFile(std::move(file)), FStored(std::move(stored)) {}

void TWebStorage::Restore() {
  const auto stored = ReadAll(FStored);
  if (stored && WriteAll(FFile, *stored)) FLastBytes = *stored;
  std::error_code error;
  FLastTime = std::filesystem::last_write_time(FFile, error);
  FLastSize = error ? 0 : std::filesystem::file_size(FFile, error);
}

bool TWebStorage::Poll() {
  // A cheap look every frame; the bytes are read only when the file looks different.
  std::error_code error;
  const auto time = std::filesystem::last_write_time(FFile, error);
  if (error) return false;
  const uintmax_t size = std::filesystem::file_size(FFile, error);
  if (error || (time == FLastTime && size == FLastSize)) return false;
  FLastTime = time;
  FLastSize = size;
  const auto bytes = ReadAll(FFile);
  if (!bytes || *bytes == FLastBytes) return false;
  if (!WriteAll(FStored, *bytes)) return false;
  FLastBytes = *bytes;
  ZarvokSyncStorage();
  return true;
}
