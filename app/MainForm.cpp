#include "app/MainForm.h"

#include <filesystem>
#include <utility>

#include "app/FrameTimer.h"
#include "app/Timer.h"
#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "engine/ImageList.h"
#include "engine/PictureCollection.h"
#include "engine/SpriteEngineComponent.h"
#include "platform/Display.h"
#include "scores/HttpClient.h"
#include "ui/MenuSprites.h"

namespace {
// The game's files, relative to the data folder and the user folder.
constexpr const char* PictureArchivePath = "Data/Graphic.dxg";
constexpr const char* WaveArchivePath = "Data/Music.dxw";
constexpr const char* SettingsPath = "Config.cfg";
}  // namespace

TMainForm::TMainForm(TPlatform& platform, TGamePaths paths, TCommandLineOptions options)
    : FPlatform(platform), FPaths(std::move(paths)), FOptions(std::move(options)) {
  TClock& clock = *FPlatform.Clock;
  TWindow& window = *FPlatform.Window;
  window.SetCaption("ZARVOK");
  window.SetBorderStyle(TBorderStyle::bsSingle);

  Display = std::make_unique<TDisplay>(window);
  Display->OnInitializing = [this] { DisplayInitializing(); };
  Display->OnInitialize = [this] { DisplayInitialize(); };
  Display->OnFinalize = [this] { DisplayFinalize(); };
  ImageList = std::make_unique<TImageList>(*Display);
  SpriteEngine = std::make_unique<TSpriteEngineComponent>(*Display);

  FrameTimer = std::make_unique<TFrameTimer>(clock);
  FrameTimer->SetInterval(30);
  FrameTimer->ActiveOnly = false;
  FrameTimer->OnTimer = [this](int32_t lagCount) { FrameTimerTimer(lagCount); };
  FrameTimer->OnActivate = [this] { FrameTimerActivate(); };
  FrameTimer->OnDeactivate = [this] { FrameTimerDeactivate(); };
  FrameTimer->SetEnabled(true);

  SoundDevice = std::make_unique<TSoundDevice>(FPlatform.Audio.get(), FPlatform.Music.get());
  WaveList = std::make_unique<TWaveList>(*SoundDevice);

  Timer1 = std::make_unique<TTimer>(clock, 10000);
  Timer1->OnTimer = [this] { Timer1Timer(); };
  Timer2 = std::make_unique<TTimer>(clock, 500);
  Timer2->OnTimer = [this] { Timer2Timer(); };
  Timer3 = std::make_unique<TTimer>(clock, 1000);
  Timer3->OnTimer = [this] { Timer3Timer(); };
  TimerLevel = std::make_unique<TTimer>(clock, 1000);
  TimerLevel->OnTimer = [this] { TimerLevelTimer(); };

  HttpClient1 = std::make_unique<THttpClient>(FPlatform.Http.get());

  FormCreate();
}

TMainForm::~TMainForm() {
  // The display stops while the whole form still stands (DisplayFinalize stops the frame timer);
  // then the sprites go before the sound and timers they may still reach.
  if (Display && Display->Initialized()) Display->Finalize();
  if (SpriteEngine) SpriteEngine->Engine().Clear();
}

void TMainForm::FormCreate() {
  ResizePending = false;
  Randomize();
  FPlatform.Window->HidePointer();

  ImageList->Items.LoadFromFile(FPaths.DataFile(PictureArchivePath));
  ImageList->Items.BuildColorTable();
  // The collection's colour table would become the display's palette; at 16 bits per pixel
  // there is no palette to set.

  GameOverPending = false;
  LifeLost = false;
  LevelIntro = false;
  BannerArrived = false;
  PausedBeforeDeactivate = false;
  WindowInactive = false;

  GamePause.Checked = false;
  GamegoEdit.Checked = false;
  GameMainExit.Checked = false;
  GameEnterName.Checked = false;
  GameSendResult.Checked = false;
  GameClearHighScore.Checked = false;
  GameFullScreen.Checked = false;
  GameSound.Checked = true;
  GameMusic.Checked = true;

  ResetHighScores();
  std::error_code ignored;
  if (std::filesystem::exists(FPaths.UserFile(SettingsPath), ignored)) LoadSettings();
  // The command line's mode counts as if it had been read from the file, so the first save
  // keeps it.
  if (FOptions.FullScreen && *FOptions.FullScreen != GameFullScreen.Checked) GameFullScreenClick();
  LoadComfort();
  // Leaving the high-score screen that ResetHighScores built writes Config.cfg, so every start
  // leaves a settings file behind.
  SwitchScreen(scSplash);
}

void TMainForm::ShowForm() {
  if (!Display->Initialized()) Display->Initialize();
}

bool TMainForm::FormClose() {
  if (CurrentScreen != scGame) {
    SwitchScreen(scExitConfirm);
    return false;
  }
  GamePause.Checked = false;
  GameMainExit.Checked = true;
  UpdateLevelClock();
  Spawn<TMainExit>();
  return false;
}

void TMainForm::FormResize() { ResizePending = true; }

void TMainForm::DisplayInitializing() {
  TWindow& window = *FPlatform.Window;
  if (Display->FullScreen()) {
    window.SetBorderStyle(TBorderStyle::bsNone);
  } else {
    window.SetWindowState(TWindowState::wsNormal);
    window.SetBorderStyle(TBorderStyle::bsSingle);
  }
}

void TMainForm::DisplayInitialize() {
  // A desktop that refused full screen leaves a normal window and the switch off, so the player
  // is not stuck with a borderless window and a switch that claims otherwise.
  if (GameFullScreen.Checked && !Display->FullScreen()) {
    GameFullScreen.Checked = false;
    FPlatform.Window->SetBorderStyle(TBorderStyle::bsSingle);
  }
  FPlatform.Window->SetWindowState(TWindowState::wsNormal);
  FrameTimer->SetEnabled(true);
  WaveList->LoadFromFile(FPaths.DataFile(WaveArchivePath));
}

void TMainForm::DisplayFinalize() { FrameTimer->SetEnabled(false); }

void TMainForm::Terminate() { FTerminated = true; }

void TMainForm::Randomize() { FRandom.Seed(Milliseconds()); }

uint32_t TMainForm::Milliseconds() const { return FPlatform.Clock->Milliseconds(); }

void TMainForm::Sleep(uint32_t milliseconds) { FPlatform.Clock->Sleep(milliseconds); }

void TMainForm::SetCaption(const std::string& caption) { FPlatform.Window->SetCaption(caption); }

std::string TMainForm::Caption() const { return FPlatform.Window->Caption(); }

void TMainForm::ShowMessage(const std::string& text) { FPlatform.Window->ShowMessage("Zarvok", text); }

TSpriteEngine& TMainForm::Engine() { return SpriteEngine->Engine(); }

TPictureCollectionItem& TMainForm::Find(const std::string& name) { return ImageList->Items.Find(name); }
