#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/FormControls.h"
#include "app/ComfortSettings.h"
#include "app/GamePaths.h"
#include "app/Random.h"
#include "audio/Panning.h"
#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"
#include "platform/Platform.h"
#include "ui/PadPointer.h"

class TDisplay;
class TImageList;
class TPictureCollectionItem;
class TSpriteEngineComponent;
class TFrameTimer;
class TTimer;
class TSoundDevice;
class TWaveList;
class THttpClient;

// The screens of the game; `CurrentScreen` is 0 until the first switch.
enum TScreen : uint8_t {
  scNone = 0,
  scSplash = 1,
  scMainMenu = 2,
  scGame = 3,
  scHelp = 4,
  scOptions = 5,
  scHighScores = 6,
  scExitConfirm = 7,
  scGameOver = 8,
  scComfort = 9,  // the second options page: loudness, sight, stereo and the pad
};

// One entry of the local high-score table.
struct TLocal_HighScores {
  std::string Name;
  int32_t Score = 0;
};

// The game's one window: it owns every component and all game state, so a test builds a fresh
// game by building a fresh form. The operations are implemented next to the rules they belong to:
// app/ (start-up, frame loop, settings, keys), battlefield/ (scenes, levels), combat/ (shots,
// counters), ui/ (screens, pointer, name entry), scores/ (table, score service), audio/ (sound).
class TMainForm {
 public:
  // Builds the components and runs FormCreate; the display is started by ShowForm. The game's
  // files are found through paths (the working folder by default); options are the command
  // line's choices.
  explicit TMainForm(TPlatform& platform, TGamePaths paths = {}, TCommandLineOptions options = {});
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // --- Components ---
  std::unique_ptr<TDisplay> Display;
  std::unique_ptr<TImageList> ImageList;
  std::unique_ptr<TSpriteEngineComponent> SpriteEngine;
  std::unique_ptr<TFrameTimer> FrameTimer;
  std::unique_ptr<TSoundDevice> SoundDevice;
  std::unique_ptr<TWaveList> WaveList;
  std::unique_ptr<TTimer> Timer1;      // splash, level intro end, burst fire, game over
  std::unique_ptr<TTimer> Timer2;      // first level-intro step
  std::unique_ptr<TTimer> Timer3;      // second level-intro step
  std::unique_ptr<TTimer> TimerLevel;  // level countdown
  TEdit Edit1;                         // behind ExtraText
  TEdit Edit2;                         // behind PlayerName
  std::unique_ptr<THttpClient> HttpClient1;

  // --- The nine switches (items of the never-shown pop-up menu) ---
  TMenuItem GamePause{"Pause"};
  TMenuItem GameFullScreen{"FullScreen"};
  TMenuItem GameSound{"Sound", true};
  TMenuItem GameMusic{"Music", true};
  TMenuItem GameMainExit{"MainExit"};
  TMenuItem GameEnterName{"EnterName"};
  TMenuItem GameSendResult{"SendResult"};
  TMenuItem GamegoEdit{"goEdit"};
  TMenuItem GameClearHighScore{"ClearHighScore"};

  // --- Game state ---
  uint8_t CurrentScreen = scNone;
  int32_t LevelNumber = 0;
  int32_t SceneNumber = 0;
  int32_t Score = 0;
  int32_t Lives = 0;
  int32_t Health = 0;
  std::string ExtraText;
  std::string PlayerName;
  int32_t FootCount = 0;
  int32_t VehicleCount = 0;

  // Start-up and frame loop.
  bool ResizePending = false;
  bool WindowInactive = false;
  bool PausedBeforeDeactivate = false;
  // Config.cfg is there but could not be read in full: it is never replaced in this run.
  bool SettingsLocked = false;
  // Level progression.
  int32_t LevelCountdown = 0;
  int32_t MaxFoot = 0;
  int32_t MaxVehicles = 0;
  double SpawnChance = 0.0;
  int32_t ShotPower = 1;
  bool LevelIntro = false;
  bool BannerArrived = false;
  bool LifeLost = false;
  bool SeparatorBlink = false;
  bool Timer1Running = false;
  bool Timer2Running = false;
  bool Timer3Running = false;
  // Screens and pointer.
  bool GameOverPending = false;
  uint8_t HelpPage = 1;
  bool MenuMusicRestart = false;
  bool HoverSoundArmed = false;
  // Player.
  bool SingleShotMode = true;
  bool TriggerHeld = false;
  bool ShotFired = false;
  int32_t PointerX = 0;
  int32_t PointerY = 0;
  // Music.
  uint32_t SongHandle = 0;
  int32_t LastSongOrder = 0;
  // High scores: rank k is HighScores[k - 1].
  std::array<TLocal_HighScores, 10> HighScores;
  // Loudness, sight and pad settings of their own file.
  TComfortSettings Comfort;
  // The game pad: its sticks move the pointer once a frame; A and the right trigger are the left
  // button, counted so that letting go of one while the other is held keeps the button down.
  TPadPointer Pad;
  int32_t PadClickHolds = 0;
  bool PadTriggerPressed = false;
  bool PadMoving = false;
  uint32_t PadLastStepMs = 0;

  // --- Start-up, display and shut-down (app/MainForm.cpp) ---
  void FormCreate();
  // Shows the form: the display starts by itself.
  void ShowForm();
  // The window's close button; always refused (returns false), see the exit question.
  bool FormClose();
  void FormResize();
  void DisplayInitializing();
  void DisplayInitialize();
  void DisplayFinalize();
  // Ends the message loop (the Yes of the exit question).
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // --- Frame loop and timers (app/FrameLoop.cpp) ---
  void FrameTimerTimer(int32_t lagCount);
  void FrameTimerActivate();
  void FrameTimerDeactivate();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();

  // --- Settings file and switches (app/Settings.cpp) ---
  void LoadSettings();
  void SaveSettings();
  void GamePauseClick();
  void GameFullScreenClick();
  void GameSoundClick();
  void GameMusicClick();
  void GameMainExitClick();

  // --- Comfort settings (app/Comfort.cpp) ---
  void LoadComfort();
  void SaveComfort();
  // Hands the volumes and the stereo setting to the sound device.
  void ApplyComfort();
  // The sight pictures in the chosen size and colour (the base picture when the archive has none).
  std::string SightPictureOf(const std::string& base);

  // --- Keyboard (app/Keyboard.cpp) ---
  void FormKeyDown(uint16_t key, TShiftState shift);

  // --- Battlefield (battlefield/) ---
  void BuildScene(int32_t n);
  void StartGame();
  void GameFrame();
  void AdvanceLevel();
  void TimerLevelTimer();
  // The level clock runs exactly while a level is being played: game screen, intro over, no
  // pause, no exit dialog, no game over on its way.
  bool LevelClockRuns() const;
  // Starts or holds the level clock to match that state; time held never counts.
  void UpdateLevelClock();

  // --- Combat (combat/) ---
  void ResolveShot(int32_t x, int32_t y);
  void RebuildCounters();

  // --- Screens and pointer (ui/) ---
  void SwitchScreen(uint8_t screen);
  void TearDownScreen();
  void ScreenFrame();
  void DrawLetterLine(const std::string& text, double y, double x, double scale);
  void DrawNumberLine(int32_t value, double x, double y, const std::string& prefix, double scale);
  void DrawScoreCentred(double x, double y, const std::string& prefix);
  void DisplayMouseMove(TShiftState shift, int32_t x, int32_t y);
  void DisplayMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void DisplayMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void GoWeb(const std::string& url);
  // The second options page (ui/ComfortScreen.cpp).
  void ComfortFrame();
  void ComfortMouseDown();
  void ComfortHover();
  // The game pad (ui/PadControl.cpp): events as the window reports them, and the pointer's
  // movement once a frame.
  void PadAxisMoved(TPadAxis axis, int value);
  void PadButtonDown(TPadButton button);
  void PadButtonUp(TPadButton button);
  void PadRemoved();
  void PadFrame();
  void GamegoEditClick();
  void GameEnterNameClick();
  void GameSendResultClick();

  // --- Scores (scores/) ---
  void ResetHighScores();
  void GameClearHighScoreClick();
  void InsertHighScore(const std::string& name, int32_t score);
  void SubmitScore();

  // --- Sound and music (audio/) ---
  // Effects are centred; PlaySoundAt places one at x on the field, PanSound moves a loop that
  // sounds (an engine following its vehicle).
  void PlaySound(const std::string& name, bool wait = false);
  void PlaySoundAt(const std::string& name, double x);
  void PanSound(const std::string& name, double x);
  void StopSound(const std::string& name, int32_t kind = 0);
  void PlayMusic(const std::string& number);
  void StopMusic();

  // --- Hooks for a recorder or a replay ---
  // Run when a game starts (the menu is gone, the first level not yet built) and when the screen
  // leaves the game (game over or back to the menu).
  std::function<void()> OnGameStart;
  std::function<void()> OnGameEnd;
  // The recording of the game that just ended, sent after its score; empty when there is none.
  std::function<std::string()> LastGameReplay;

  // --- Shared helpers ---
  int32_t Random(int32_t n) { return FRandom.Random(n); }
  // Re-seeds the generator from the clock.
  void Randomize();
  uint32_t Milliseconds() const;
  void Sleep(uint32_t milliseconds);
  void SetCaption(const std::string& caption);
  std::string Caption() const;
  void ShowMessage(const std::string& text);
  TPlatform& Platform() { return FPlatform; }
  TRandom& RandomGenerator() { return FRandom; }
  // Where the game's data and the player's files are.
  const TGamePaths& Paths() const { return FPaths; }
  const TCommandLineOptions& Options() const { return FOptions; }

  TSpriteEngine& Engine();
  // The picture called name; raises "Image '%s' not found".
  TPictureCollectionItem& Find(const std::string& name);

  // Creates a T(*this, args...) as the last top-level sprite.
  template <class T, class... TArgs>
  T& Spawn(TArgs&&... args) {
    return CreateSprite<T>(Engine(), *this, std::forward<TArgs>(args)...);
  }
  // Marks dead every top-level sprite that is a T or derived from it.
  template <class T>
  void MarkDeadAll() {
    TSpriteEngine& engine = Engine();
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (auto* sprite = dynamic_cast<T*>(&engine.Items(i))) sprite->Dead();
  }
  // The first top-level sprite that is a T, or null.
  template <class T>
  T* FindFirst() {
    TSpriteEngine& engine = Engine();
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (auto* sprite = dynamic_cast<T*>(&engine.Items(i))) return sprite;
    return nullptr;
  }

 private:
  void StartSound(const std::string& name, bool wait, TPanGains gains);

  TPlatform& FPlatform;
  TGamePaths FPaths;
  TCommandLineOptions FOptions;
  TRandom FRandom;
  bool FTerminated = false;
};

// The decimal digits of n, most significant first; 0 gives the single digit 0.
std::string DigitsOf(int32_t n);
