#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "audio/MusicLib.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

// Walks a fresh game to a screen the way a player would: by keys and by clicks on the buttons.
class TScreenDriver {
 public:
  explicit TScreenDriver(TGameHarness& game) : FGame(game) {}

  static int MidX(const TButtonRect& rect) { return (rect.X1 + rect.X2) / 2; }
  static int MidY(const TButtonRect& rect) { return (rect.Y1 + rect.Y2) / 2; }

  void ClickOn(const TButtonRect& rect, TMouseButton button = TMouseButton::mbLeft) {
    FGame.Click(MidX(rect), MidY(rect), button);
  }
  void MoveTo(const TButtonRect& rect) { FGame.MoveMouse(MidX(rect), MidY(rect)); }

  // Reaches screen from the splash of a fresh game; the game screen is left in its level intro, the
  // game-over screen is reached by the game's own end with the given score.
  void GoTo(uint8_t screen, int32_t gameOverScore = 0) {
    if (screen == scSplash) return;  // a fresh game starts there
    FGame.SkipSplash();
    switch (screen) {
      case scGame:
        ClickOn(ButtonRects::StartGame);
        break;
      case scHelp:
        ClickOn(ButtonRects::Help);
        break;
      case scOptions:
        ClickOn(ButtonRects::Options);
        break;
      case scHighScores:
        ClickOn(ButtonRects::HighScore);
        break;
      case scExitConfirm:
        ClickOn(ButtonRects::Exit);
        break;
      case scGameOver:
        ClickOn(ButtonRects::StartGame);
        FGame.Form().Score = gameOverScore;
        FGame.Form().GameOverPending = true;
        FGame.Frames(1);
        break;
      default:
        break;
    }
  }

 private:
  TGameHarness& FGame;
};

// A music library that only records the files of the modules the game starts (file names only).
class TModuleLog : public TMusicLib {
 public:
  explicit TModuleLog(std::shared_ptr<std::vector<std::string>> loaded) : FLoaded(loaded) {}
  uint32_t SongLoadFromFile(const std::string& path) override {
    FLoaded->push_back(std::filesystem::path(path).filename().string());
    return static_cast<uint32_t>(FLoaded->size());
  }
  void SongPlay(uint32_t) override {}
  int32_t SongGetOrder(uint32_t) override { return 0; }
  void SongFree(uint32_t) override {}
  void Render(float*, std::size_t, int) override {}

 private:
  std::shared_ptr<std::vector<std::string>> FLoaded;
};
