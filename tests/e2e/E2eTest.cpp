#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GameProcess.h"
#include "XSession.h"
#include "platform/replay/Replay.h"
#include "support/RecordedGame.h"
#include "support/ScratchFolder.h"
#include "scores/TextCoder.h"
#include "ui/ButtonRects.h"

namespace fs = std::filesystem;

namespace {

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
constexpr int SightMargin = 60;  // the menu sight is drawn around the pointer

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  return condition();
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::vector<std::string> ReadLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Decodes one line of Config.cfg and drops the "%" padding and the zero byte a 4-letter text gets.
std::string Setting(const std::vector<std::string>& lines, size_t number) {
  if (number == 0 || number > lines.size()) return "";
  std::string text = DecodeText(lines[number - 1]);
  while (!text.empty() && text.back() == '%') text.pop_back();
  if (!text.empty() && text.front() == '\0') text.erase(0, 1);
  return text;
}

// Pixels that changed between two shots outside the rectangle keep and outside the sight boxes.
int ChangedOutside(const TShot& a, const TShot& b, const TButtonRect& keep,
                   const std::vector<std::pair<int, int>>& pointers) {
  int count = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      if (keep.Contains(x, y)) continue;
      bool nearPointer = false;
      for (auto [px, py] : pointers)
        nearPointer = nearPointer || (std::abs(x - px) <= SightMargin && std::abs(y - py) <= SightMargin);
      if (nearPointer) continue;
      const uint8_t* p = a.At(x, y);
      const uint8_t* q = b.At(x, y);
      if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24) ++count;
    }
  return count;
}

int Centre(int a, int b) { return (a + b) / 2; }

// The real game under Xvfb, driven only from outside.
class ZarvokE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    FSession = std::make_unique<TXSession>(ScreenWidth, ScreenHeight);
    FGame = std::make_unique<TGameProcess>();
    fs::create_directories(ZARVOK_E2E_SCREENS);
  }

  void Launch() {
    FGame->Start(FSession->DisplayName());
    FWindow = FSession->WaitForWindow("ZARVOK", 15000);
    ASSERT_NE(FWindow, 0u) << "the game window did not appear";
    ASSERT_TRUE(WaitUntil([&] { return FSession->Grab(FWindow).ColourCount() > 8; }, 10000))
        << "the window shows no picture";
  }

  TShot Grab() { return FSession->Grab(FWindow); }
  void Save(const TShot& shot, const std::string& name) {
    shot.SavePng((fs::path(ZARVOK_E2E_SCREENS) / (name + ".png")).string());
  }

  void MoveTo(int x, int y) {
    FSession->Xdotool({"mousemove", "--window", std::to_string(FWindow), std::to_string(x), std::to_string(y)});
    FPointerX = x;
    FPointerY = y;
    Pause(150);  // a few frames
  }
  void ClickAt(int x, int y) {
    MoveTo(x, y);
    FSession->Xdotool({"click", "1"});
    Pause(250);
  }
  void ClickIn(const TButtonRect& r) { ClickAt(Centre(r.X1, r.X2), Centre(r.Y1, r.Y2)); }
  void Key(const std::string& keys) {
    FSession->Xdotool({"key", "--clearmodifiers", keys});
    Pause(250);
  }

  // Waits until the picture settles away from before (a screen change), then returns it.
  TShot WaitForChange(const TShot& before, int minPixels = 20000) {
    TShot now = Grab();
    WaitUntil(
        [&] {
          now = Grab();
          return now.Width == before.Width && now.DiffCount(before, 0, 0, now.Width - 1, now.Height - 1) > minPixels;
        },
        5000);
    Pause(200);
    return Grab();
  }

  // Clicks the splash away and waits for the main menu.
  void LeaveSplash() {
    const TShot splash = Grab();
    ClickAt(400, 300);
    WaitForChange(splash);
  }

  // Waits until nothing but the sight around the pointer changes between two grabs (a busy
  // machine may be a few frames behind), then returns the picture.
  TShot Settled() {
    TShot last = Grab();
    for (int i = 0; i < 60; ++i) {
      Pause(60);
      TShot now = Grab();
      if (ChangedOutside(now, last, TButtonRect{-1, -1, -1, -1}, {{FPointerX, FPointerY}}) == 0) return now;
      last = std::move(now);
    }
    return last;
  }

  std::vector<std::string> Config() { return ReadLines(FGame->Folder() / "Config.cfg"); }

  std::unique_ptr<TXSession> FSession;
  std::unique_ptr<TGameProcess> FGame;
  Window FWindow = 0;
  int FPointerX = 0;
  int FPointerY = 0;
};

TEST_F(ZarvokE2e, FirstStartWritesDefaultSettingsAndAClickLeavesTheSplash) {
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(FGame->Folder() / "Config.cfg"); }, 5000));
  const std::vector<std::string> lines = Config();
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(Setting(lines, 1), "false");
  EXPECT_EQ(Setting(lines, 2), "true");
  EXPECT_EQ(Setting(lines, 3), "true");
  EXPECT_EQ(Setting(lines, 4), "");
  EXPECT_EQ(Setting(lines, 5), "");
  const int defaults[] = {3000, 2500, 2000, 1500, 1000, 500, 400, 300, 200, 100};
  for (int rank = 1; rank <= 10; ++rank) {
    EXPECT_EQ(Setting(lines, 4 + 2 * rank), "Anonymous") << "rank " << rank;
    EXPECT_EQ(Setting(lines, 5 + 2 * rank), std::to_string(defaults[rank - 1])) << "rank " << rank;
  }

  const TShot splash = Grab();
  Save(splash, "01-splash");
  ClickAt(400, 300);
  const TShot menu = WaitForChange(splash);
  EXPECT_GT(menu.DiffCount(splash, 0, 0, 799, 599), 20000) << "the click did not reach the main menu";
  Save(menu, "02-main-menu");
}

TEST_F(ZarvokE2e, HoveringAMainMenuButtonLightsExactlyItsHighlight) {
  Launch();
  LeaveSplash();
  const int restX = 60, restY = 570;
  MoveTo(restX, restY);
  const TShot rest = Settled();
  const struct {
    const char* Name;
    TButtonRect Rect;
  } buttons[] = {
      {"start-game", ButtonRects::StartGame}, {"help", ButtonRects::Help},
      {"options", ButtonRects::Options},      {"high-score", ButtonRects::HighScore},
      {"visit-web-site", ButtonRects::VisitWebSite}, {"exit", ButtonRects::Exit},
  };
  for (const auto& button : buttons) {
    // Stand on the button's left end, so the sight covers as little of the label as possible.
    const int x = button.Rect.X1 + 8, y = Centre(button.Rect.Y1, button.Rect.Y2);
    MoveTo(x, y);
    const TShot lit = Settled();
    Save(lit, std::string("03-hover-") + button.Name);
    const TButtonRect& r = button.Rect;
    EXPECT_GT(lit.DiffCount(rest, r.X1, r.Y1, r.X2, r.Y2), r.Width() * r.Height() / 20)
        << button.Name << " is not lit";
    EXPECT_EQ(ChangedOutside(lit, rest, r, {{x, y}, {restX, restY}}), 0)
        << button.Name << " lit something outside its rectangle";
  }
}

TEST_F(ZarvokE2e, OptionsAreSavedAndShownAgainAfterARestart) {
  Launch();
  LeaveSplash();
  ClickIn(ButtonRects::Options);
  ClickIn(ButtonRects::OptionsSoundOff);
  ClickIn(ButtonRects::OptionsMusicOff);
  // Editing starts by itself while the extra text is empty.
  Key("Z");
  Key("A");
  Key("R");
  MoveTo(60, 560);
  const TShot options = Grab();
  Save(options, "04-options");
  ClickIn(ButtonRects::OptionsBackClick);
  ASSERT_TRUE(WaitUntil([&] { return Setting(Config(), 4) == "ZAR"; }, 3000));
  const std::vector<std::string> lines = Config();
  EXPECT_EQ(Setting(lines, 2), "false");
  EXPECT_EQ(Setting(lines, 3), "false");
  EXPECT_EQ(Setting(lines, 4), "ZAR");

  FGame->Kill();
  Launch();
  LeaveSplash();
  ClickIn(ButtonRects::Options);
  MoveTo(60, 560);
  const TShot again = Grab();
  Save(again, "05-options-after-restart");
  // The same markers and text; only the caret is gone, since editing starts only on an empty text.
  EXPECT_EQ(ChangedOutside(again, options, ButtonRects::OptionsTextLine, {{60, 560}}), 0);
  EXPECT_GT(again.DiffCount(options, ButtonRects::OptionsTextLine.X1, ButtonRects::OptionsTextLine.Y1,
                            ButtonRects::OptionsTextLine.X2, ButtonRects::OptionsTextLine.Y2), 0)
      << "the caret should be gone after the restart";
}

TEST_F(ZarvokE2e, AGameShowsTheMuzzleFlashAndEscOffersTheWayBackToTheMenu) {
  Launch();
  LeaveSplash();
  MoveTo(60, 570);
  const TShot menu = Grab();
  ClickIn(ButtonRects::StartGame);
  const TShot intro = WaitForChange(menu);
  Save(intro, "06-level-intro");
  Pause(6000);  // banner, number, "Fight" and the last 800 ms
  // Aim at the right of the field: the weapon turns right and its flash is "Splash_6" at (625, 493).
  MoveTo(720, 200);
  const TShot aiming = Grab();
  Save(aiming, "07-battlefield");
  // The flash "Splash_6" stands at (625, 493) for one frame: grab that corner again and again
  // after each click, looking for the flash's fiery pixels where the rest picture has none.
  const int fx = 625, fy = 493, fw = 56, fh = 56;
  const TShot rest = FSession->GrabRegion(FWindow, fx, fy, fw, fh);
  auto fiery = [&](const TShot& s) {
    int n = 0;
    for (int y = 0; y < fh; ++y)
      for (int x = 0; x < fw; ++x) {
        const uint8_t* p = s.At(x, y);
        const uint8_t* q = rest.At(x, y);
        const bool hot = p[0] > 220 && p[1] > 90 && p[2] < 110;
        const bool wasHot = q[0] > 220 && q[1] > 90 && q[2] < 110;
        if (hot && !wasHot) ++n;
      }
    return n;
  };
  bool flashSeen = false;
  for (int shot = 0; shot < 20 && !flashSeen; ++shot) {
    // A press held as briefly as a finger does: xdotool's own click releases at once, and such
    // zero-length clicks do not reliably reach the game through SDL.
    FSession->Xdotool({"mousedown", "1"});
    Pause(40);
    FSession->Xdotool({"mouseup", "1"});
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!flashSeen && std::chrono::steady_clock::now() < until)
      flashSeen = fiery(FSession->GrabRegion(FWindow, fx, fy, fw, fh)) > 60;
    Pause(150);
  }
  if (flashSeen) Save(Grab(), "08-after-shots");
  EXPECT_TRUE(flashSeen) << "no muzzle flash after twenty shots";

  Key("Escape");
  EXPECT_TRUE(WaitUntil([&] { return FSession->WindowTitle(FWindow) == "ZARVOK [Pause]"; }, 3000));
  const TShot dialog = Grab();
  Save(dialog, "09-exit-dialog");
  ClickIn(ButtonRects::MainExitYes);
  MoveTo(60, 570);
  const TShot back = Grab();
  Save(back, "10-back-to-menu");
  EXPECT_EQ(ChangedOutside(back, menu, TButtonRect{-1, -1, -1, -1}, {{60, 570}}), 0)
      << "Yes did not return to the main menu";
}

TEST_F(ZarvokE2e, HelpPagesAndTheHighScoreTableWithItsClearQuestion) {
  Launch();
  LeaveSplash();
  ClickIn(ButtonRects::Help);
  MoveTo(60, 30);
  std::vector<TShot> pages{Grab()};
  for (int page = 2; page <= 4; ++page) {
    ClickIn(ButtonRects::HelpDownClick);
    MoveTo(60, 30);
    pages.push_back(Grab());
  }
  for (int page = 1; page <= 4; ++page) Save(pages[page - 1], "11-help-" + std::to_string(page));
  for (int page = 2; page <= 4; ++page)
    EXPECT_GT(pages[page - 1].DiffCount(pages[page - 2], 0, 0, 799, 440), 2000) << "page " << page;
  ClickIn(ButtonRects::HelpUpClick);
  MoveTo(60, 30);
  EXPECT_EQ(ChangedOutside(Grab(), pages[2], TButtonRect{-1, -1, -1, -1}, {{60, 30}}), 0) << "Up from page 4";
  ClickIn(ButtonRects::HelpBack);

  ClickIn(ButtonRects::HighScore);
  MoveTo(60, 30);
  const TShot table = Grab();
  Save(table, "12-high-scores");
  ClickIn(ButtonRects::HighScoreClear);
  MoveTo(60, 30);
  const TShot question = Grab();
  Save(question, "13-clear-question");
  EXPECT_GT(question.DiffCount(table, 200, 200, 600, 400), 5000) << "no clear question";
  ClickIn(ButtonRects::ClearYes);
  MoveTo(60, 30);
  EXPECT_EQ(ChangedOutside(Grab(), table, TButtonRect{-1, -1, -1, -1}, {{60, 30}}), 0)
      << "the reset table differs from the default table";
  EXPECT_EQ(Setting(Config(), 6), "Anonymous");
  EXPECT_EQ(Setting(Config(), 7), "3000");
}

TEST_F(ZarvokE2e, ClosingTheWindowAsksAndOnlyYesEndsTheGame) {
  std::ofstream(FGame->Folder() / "play.url") << "[InternetShortcut]\r\nURL=http://127.0.0.1:8642/\r\n";
  Launch();
  LeaveSplash();
  MoveTo(60, 570);
  const TShot menu = Grab();
  FSession->RequestClose(FWindow);
  const TShot question = WaitForChange(menu, 5000);
  Save(question, "14-exit-question");
  Pause(500);
  EXPECT_TRUE(FGame->Running()) << "the close request was not refused";

  ClickIn(ButtonRects::ExitGameNo);
  ClickIn(ButtonRects::Exit);
  ClickIn(ButtonRects::ExitGameYes);
  const std::optional<int> status = FGame->WaitExit(10000);
  ASSERT_TRUE(status.has_value()) << "Yes did not end the game";
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(WaitUntil([&] { return FGame->Opened().find("http://127.0.0.1:8642/") != std::string::npos; }, 3000))
      << "play.url was not opened; opener saw: " << FGame->Opened();
}

TEST_F(ZarvokE2e, AltEnterSwitchesToFullScreenAndBack) {
  Launch();
  LeaveSplash();
  int x = 0, y = 0, w = 0, h = 0;
  ASSERT_TRUE(FSession->Geometry(FWindow, x, y, w, h));
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  const int titleBar = FSession->TitleBarHeight(FWindow);
  EXPECT_GT(titleBar, 0) << "the window has no title bar";
  Key("alt+Return");
  EXPECT_TRUE(WaitUntil(
      [&] { return FSession->Geometry(FWindow, x, y, w, h) && w == ScreenWidth && h == ScreenHeight; }, 5000))
      << "window is " << w << "x" << h;
  Pause(300);
  Save(Grab(), "15-full-screen");
  Key("alt+Return");
  EXPECT_TRUE(WaitUntil([&] { return FSession->Geometry(FWindow, x, y, w, h) && w == 800 && h == 600; }, 5000))
      << "window is " << w << "x" << h;
  // Back in a window, the title bar with its close and maximise buttons is there again.
  EXPECT_TRUE(WaitUntil([&] { return FSession->TitleBarHeight(FWindow) == titleBar; }, 3000))
      << "title bar " << FSession->TitleBarHeight(FWindow) << " instead of " << titleBar;
  EXPECT_EQ(Setting(Config(), 1), "false");
}

// A game recorded headless plays back in the real window at its recorded speed and ends with the
// score it was recorded with (the program's exit status says whether it matched).
TEST_F(ZarvokE2e, AReplayPlaysBackInTheWindowToItsScore) {
  const fs::path file = FGame->Folder() / "scripted.zrp";
  {
    TScratchFolder scratch;
    scratch.CopyGameData(ZARVOK_GAME_DIR);
    const TRecordedGame game = RecordGame(ScriptedGame(12000));
    ASSERT_TRUE(game.Ended);
    ASSERT_GT(game.Score, 0);
    std::ofstream(file, std::ios::binary) << WriteReplay(game.Replay);
  }
  FGame->Arguments = {"--replay", file.string()};
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return !FGame->Running(); }, 60000)) << "the playback did not end";
  EXPECT_EQ(FGame->WaitExit(0), 0) << "the game in the window did not reach the recorded score";
}

}  // namespace
