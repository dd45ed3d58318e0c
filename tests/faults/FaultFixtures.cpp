#include "faults/FaultFixtures.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "app/Application.h"
#include "support/GameHarness.h"

TScriptedRun::TScriptedRun() {
  Folder.CopyGameData(TGameHarness::BuiltGameDir());
  // A script that never ends the game fails instead of hanging.
  Window().GiveUpAtMs = 600000;
}

void TScriptedRun::PostClick(const TButtonRect& rect, uint32_t atMs) {
  TPlatformEvent event;
  event.X = (rect.X1 + rect.X2) / 2;
  event.Y = (rect.Y1 + rect.Y2) / 2;
  for (const auto kind : {TPlatformEvent::TKind::MouseMove, TPlatformEvent::TKind::MouseDown,
                          TPlatformEvent::TKind::MouseUp}) {
    event.Kind = kind;
    Window().PostEvent(event, atMs);
  }
}

void TScriptedRun::PostKey(uint16_t key, uint32_t atMs) {
  TPlatformEvent event;
  event.Kind = TPlatformEvent::TKind::KeyDown;
  event.Key = key;
  Window().PostEvent(event, atMs);
}

void TScriptedRun::PostQuit(uint32_t atMs) {
  TPlatformEvent close;
  close.Kind = TPlatformEvent::TKind::CloseRequest;
  Window().PostEvent(close, atMs);
  PostClick(ButtonRects::ExitGameYes, atMs + 500);
}

int TScriptedRun::Run() { return RunGame(Platform); }

TGameFolderWithoutMusic::TGameFolderWithoutMusic() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zarvok-fault-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("cannot create a fixture folder");
  FPath = buffer.data();
  // The scratch copy follows the link, so the big archives are not copied twice.
  std::filesystem::create_directory_symlink(TGameHarness::BuiltGameDir() / "Data", FPath / "Data");
}

TGameFolderWithoutMusic::~TGameFolderWithoutMusic() {
  std::error_code error;
  std::filesystem::remove_all(FPath, error);
}

void TGameFolderWithoutMusic::WriteModule(const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(FPath / "Music");
  std::ofstream file(FPath / "Music" / name, std::ios::binary);
  file << bytes;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}
