#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainForm.h"
#include "audio/MusicLib.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/ScratchFolder.h"

class THeadlessHttpTransport;

// A real TMainForm on the headless platform, for scenario tests. It copies the built game folder
// (Data/ and Music/) into a fresh scratch folder and makes that the working folder while the game
// lives, because the game reads and writes its files relative to the working folder. The clock is
// fake and starts at a fixed time, so the random generator's seed and every run are reproducible.
class TGameHarness {
 public:
  struct TOptions {
    // The fake clock's time at start-up; the generator is seeded from it.
    uint32_t StartMs = 1000;
    // Shows the form (starts the display, frame timer on, waves loaded), as the program does.
    bool ShowForm = true;
    // Lines written to Config.cfg before the form is built; none = no settings file.
    std::vector<std::string> ConfigLines;
    bool WriteConfig = false;
    // Keeps a copy of every presented frame in the window (LastFrame); costs time.
    bool KeepFrames = false;
    // A folder to copy instead of the built game folder (for fixtures with a broken archive).
    std::filesystem::path GameDir;
    // Makes the music library the game plays through (a fake that a test steers); none = no music.
    std::function<std::unique_ptr<TMusicLib>()> MakeMusic;
    // What the command line asked for.
    TCommandLineOptions CommandLine;
  };

  TGameHarness();
  explicit TGameHarness(const TOptions& options);
  ~TGameHarness();
  TGameHarness(const TGameHarness&) = delete;
  TGameHarness& operator=(const TGameHarness&) = delete;

  TMainForm& Form() { return *FForm; }
  TApplication& Application() { return *FApplication; }
  TPlatform& Platform() { return FPlatform; }
  THeadlessClock& Clock() { return HeadlessClock(FPlatform); }
  THeadlessWindow& Window() { return HeadlessWindow(FPlatform); }
  THeadlessDesktop& Desktop() { return HeadlessDesktop(FPlatform); }
  // The sound card: Pull renders the mix of what plays.
  THeadlessAudioOutput& Audio() { return HeadlessAudio(FPlatform); }
  THeadlessHttpTransport& Http();
  // The scratch game folder (the working folder while the harness lives).
  const std::filesystem::path& Folder() const { return FScratch->Path(); }

  // Lets ms of fake time pass as the real loop would: each plain timer and frame runs at the
  // moment it falls due, in the loop's order.
  void RunFor(uint32_t ms);
  // Runs n frames, with the time they take (30 ms each); timers due meanwhile run too.
  void Frames(int n);
  // Runs until the predicate holds or maxMs of fake time have passed; true when it held.
  template <class P>
  bool RunUntil(P predicate, uint32_t maxMs = 60000) {
    for (uint32_t passed = 0; passed < maxMs; passed += 10) {
      if (predicate()) return true;
      RunFor(10);
    }
    return predicate();
  }

  // Input, dispatched at once as the window would deliver it.
  void MoveMouse(int x, int y, TShiftState shift = {});
  void Press(int x, int y, TMouseButton button = TMouseButton::mbLeft, TShiftState shift = {});
  void Release(int x, int y, TMouseButton button = TMouseButton::mbLeft, TShiftState shift = {});
  // Move, press and release at one point.
  void Click(int x, int y, TMouseButton button = TMouseButton::mbLeft, TShiftState shift = {});
  void Key(uint16_t vk, TShiftState shift = {});
  // Types capital letters, digits as their keys.
  void Type(const std::string& text);
  void LoseFocus();
  void GainFocus();
  void CloseWindow();
  void Resize(TWindowState state);

  // Names of the effects started, in order, since the start or the last ClearSounds.
  const std::vector<std::string>& Sounds() const { return *FSounds; }
  void ClearSounds() { FSounds->clear(); }
  bool Played(const std::string& name) const;

  // The back surface the frames are drawn on.
  TSurface& Surface();
  // What the game showed in message boxes.
  const std::vector<THeadlessWindow::TMessage>& Messages() { return Window().Messages(); }

  // The number of top-level sprites of class T (or derived).
  template <class T>
  int Count() {
    int n = 0;
    TSpriteEngine& engine = Form().Engine();
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (!engine.Items(i).IsDead() && dynamic_cast<T*>(&engine.Items(i))) ++n;
    return n;
  }

  // Moves on from the splash screen to the main menu (Enter).
  void SkipSplash();
  // Starts a game from the main menu and runs through the level intro until the player's
  // weapon is up; false when the intro did not end within 10 s.
  bool StartGameAndSkipIntro();

  // The built game folder the scratch copies come from.
  static std::filesystem::path BuiltGameDir();

 private:
  void Dispatch(const TPlatformEvent& event) { FApplication->Dispatch(event); }

  // Declared first: the working folder outlives the form.
  std::unique_ptr<TScratchFolder> FScratch;
  TPlatform FPlatform;
  std::shared_ptr<std::vector<std::string>> FSounds;
  std::unique_ptr<TMainForm> FForm;
  std::unique_ptr<TApplication> FApplication;
};
