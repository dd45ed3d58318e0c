#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/ScratchFolder.h"
#include "ui/ButtonRects.h"

// The whole program (RunGame) on the headless platform in a scratch game folder, driven by input
// posted at fake times. Tests change the folder or the platform before they run it.
struct TScriptedRun {
  TScratchFolder Folder;
  TPlatform Platform = MakeHeadlessPlatform(1000);

  TScriptedRun();
  THeadlessWindow& Window() { return HeadlessWindow(Platform); }

  void PostClick(const TButtonRect& rect, uint32_t atMs);
  void PostKey(uint16_t key, uint32_t atMs);
  // Closes the window and answers the exit question with Yes (on any screen but the game).
  void PostQuit(uint32_t atMs);
  int Run();
};

// A game folder for TGameHarness::TOptions::GameDir: the built pictures and waves, and only the
// music files a test writes into Music/.
class TGameFolderWithoutMusic {
 public:
  TGameFolderWithoutMusic();
  ~TGameFolderWithoutMusic();
  TGameFolderWithoutMusic(const TGameFolderWithoutMusic&) = delete;
  TGameFolderWithoutMusic& operator=(const TGameFolderWithoutMusic&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  void WriteModule(const std::string& name, const std::string& bytes);

 private:
  std::filesystem::path FPath;
};

std::string ReadWholeFile(const std::filesystem::path& path);
