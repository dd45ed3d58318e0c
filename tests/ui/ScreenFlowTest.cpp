#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "audio/MusicLib.h"
#include "combat/Cifra.h"
#include "combat/Pricel.h"
#include "engine/BackgroundSprite.h"
#include "engine/PictureCollection.h"
#include "support/GameHarness.h"
#include "ui/MenuSprites.h"
#include "ui/ScreenDriver.h"

namespace {

namespace BR = ButtonRects;

// A screen change and what it must lead to.
struct TTransition {
  const char* Name;
  uint8_t From;
  std::function<void(TGameHarness&, TScreenDriver&)> Act;
  uint8_t To;
  // The effects started by the action, in order (checked only when not empty).
  std::vector<std::string> Sounds = {};
};

std::ostream& operator<<(std::ostream& out, const TTransition& t) { return out << t.Name; }

void Press(TScreenDriver& d, const TButtonRect& r) { d.ClickOn(r); }

const TTransition Transitions[] = {
    {"SplashClick", scSplash, [](TGameHarness& g, TScreenDriver&) { g.Click(10, 10); }, scMainMenu},
    {"SplashEsc", scSplash, [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); }, scMainMenu},
    {"SplashEnter", scSplash, [](TGameHarness& g, TScreenDriver&) { g.Key(VK_RETURN); },
     scMainMenu},
    {"SplashTimer", scSplash, [](TGameHarness& g, TScreenDriver&) { g.RunFor(10000); }, scMainMenu},
    {"SplashRightClickStays", scSplash,
     [](TGameHarness& g, TScreenDriver&) { g.Click(10, 10, TMouseButton::mbRight); }, scSplash},
    {"MenuStartGame", scMainMenu, [](TGameHarness&, TScreenDriver& d) { Press(d, BR::StartGame); },
     scGame},
    {"MenuHelp",
     scMainMenu,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::Help); },
     scHelp,
     {"button_down"}},
    {"MenuOptions",
     scMainMenu,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::Options); },
     scOptions,
     {"button_down"}},
    {"MenuHighScore",
     scMainMenu,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::HighScore); },
     scHighScores,
     {"button_down"}},
    {"MenuVisitWebSite",
     scMainMenu,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::VisitWebSite); },
     scMainMenu,
     {"button_down"}},
    {"MenuExit",
     scMainMenu,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::Exit); },
     scExitConfirm,
     {"pause", "button_down"}},
    {"MenuEscPlaysOnlyTheQuestionsSound",
     scMainMenu,
     [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); },
     scExitConfirm,
     {"pause"}},
    {"MenuEmptySpaceStays", scMainMenu, [](TGameHarness& g, TScreenDriver&) { g.Click(50, 100); },
     scMainMenu},
    {"HelpBack",
     scHelp,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::HelpBack); },
     scMainMenu,
     {"button_down"}},
    {"HelpEsc", scHelp, [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); }, scMainMenu},
    {"OptionsBack",
     scOptions,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::OptionsBackClick); },
     scMainMenu,
     {"button_down"}},
    {"OptionsEsc", scOptions, [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); },
     scMainMenu},
    {"HighScoresBack",
     scHighScores,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::HighScoreBackClick); },
     scMainMenu,
     {"button_down"}},
    {"HighScoresEsc", scHighScores, [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); },
     scMainMenu},
    {"HighScoresView",
     scHighScores,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::HighScoreView); },
     scHighScores,
     {"button_down"}},
    {"ExitNo",
     scExitConfirm,
     [](TGameHarness&, TScreenDriver& d) { Press(d, BR::ExitGameNo); },
     scMainMenu,
     {"button_down", "after_pause"}},
    {"ExitEsc",
     scExitConfirm,
     [](TGameHarness& g, TScreenDriver&) { g.Key(VK_ESCAPE); },
     scMainMenu,
     {"after_pause"}},
    {"GameOverPending", scGame,
     [](TGameHarness& g, TScreenDriver&) {
       g.Form().GameOverPending = true;
       g.Frames(1);
     },
     scGameOver},
};

class ScreenTransition : public ::testing::TestWithParam<TTransition> {};

TEST_P(ScreenTransition, LeadsToItsScreen) {
  const TTransition& t = GetParam();
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(t.From);
  ASSERT_EQ(game.Form().CurrentScreen, t.From);
  game.ClearSounds();
  t.Act(game, driver);
  EXPECT_EQ(game.Form().CurrentScreen, t.To);
  if (!t.Sounds.empty()) {
    EXPECT_EQ(game.Sounds(), t.Sounds);
  }
  EXPECT_FALSE(game.Form().Terminated());
}

INSTANTIATE_TEST_SUITE_P(Table, ScreenTransition, ::testing::ValuesIn(Transitions),
                         [](const auto& info) { return std::string(info.param.Name); });

// The window's close button never closes the window: outside the game it asks the quit question
// (built anew when it is up already), in the game it opens the exit dialog.
class WindowCloseRequest : public ::testing::TestWithParam<uint8_t> {};

TEST_P(WindowCloseRequest, NeverEndsTheProgram) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(GetParam());
  game.CloseWindow();
  game.Frames(2);
  EXPECT_FALSE(game.Form().Terminated());
  if (GetParam() == scGame) {
    EXPECT_EQ(game.Form().CurrentScreen, scGame);
    EXPECT_TRUE(game.Form().GameMainExit.Checked);
    EXPECT_EQ(game.Count<TMainExit>(), 1);
  } else {
    EXPECT_EQ(game.Form().CurrentScreen, scExitConfirm);
    EXPECT_EQ(game.Count<Pricel>(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryScreen, WindowCloseRequest,
                         ::testing::Values(scSplash, scMainMenu, scGame, scHelp, scOptions,
                                           scHighScores, scExitConfirm, scGameOver));

TEST(ExitQuestion, YesEndsTheProgramAfterItsClickWithoutATeardown) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scExitConfirm);
  std::filesystem::remove(game.Folder() / "Config.cfg");
  game.ClearSounds();
  driver.ClickOn(BR::ExitGameYes);
  EXPECT_TRUE(game.Form().Terminated());
  EXPECT_EQ(game.Sounds(), std::vector<std::string>{"button_down"});
  // No teardown ran, so nothing was saved on the way out.
  EXPECT_FALSE(std::filesystem::exists(game.Folder() / "Config.cfg"));
}

TEST(SplashScreen, LeavingItStopsItsTimer) {
  TGameHarness game;
  EXPECT_TRUE(game.Form().Timer1->Enabled());
  game.Key(VK_RETURN);
  EXPECT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_FALSE(game.Form().Timer1->Enabled());
}

// Leaving these screens writes the settings file; the others do not.
TEST(ScreenTeardown, SavingScreensWriteTheSettingsFile) {
  struct TCase {
    uint8_t Screen;
    bool Saves;
  };
  for (const TCase& c :
       {TCase{scMainMenu, false}, TCase{scHelp, false}, TCase{scOptions, true},
        TCase{scHighScores, true}, TCase{scExitConfirm, true}, TCase{scGameOver, true}}) {
    SCOPED_TRACE(static_cast<int>(c.Screen));
    TGameHarness game;
    TScreenDriver driver(game);
    driver.GoTo(c.Screen);
    if (c.Screen == scGameOver) game.RunFor(5000);
    std::filesystem::remove(game.Folder() / "Config.cfg");
    c.Screen == scMainMenu ? driver.ClickOn(BR::Help) : game.Key(VK_ESCAPE);
    ASSERT_NE(game.Form().CurrentScreen, c.Screen);
    EXPECT_EQ(std::filesystem::exists(game.Folder() / "Config.cfg"), c.Saves);
  }
}

TEST(ScreenTeardown, LeavingTheGameStopsItsTimersAndSoundsAndTheGameOverSwitches) {
  TGameHarness game;
  TScreenDriver driver(game);
  ASSERT_TRUE(game.StartGameAndSkipIntro());
  TMainForm& form = game.Form();
  ASSERT_TRUE(form.TimerLevel->Enabled());
  form.Timer2->SetEnabled(true);
  form.Timer3->SetEnabled(true);
  form.Timer1->SetEnabled(true);
  form.SwitchScreen(scMainMenu);
  EXPECT_FALSE(form.TimerLevel->Enabled());
  EXPECT_FALSE(form.Timer1->Enabled());
  EXPECT_FALSE(form.Timer2->Enabled());
  EXPECT_FALSE(form.Timer3->Enabled());
  EXPECT_FALSE(form.MenuMusicRestart);  // the menu build used it up

  driver.GoTo(scGameOver, 5000);
  game.RunFor(5100);
  ASSERT_TRUE(form.GameEnterName.Checked);
  form.SwitchScreen(scMainMenu);
  EXPECT_FALSE(form.GameEnterName.Checked);
  EXPECT_FALSE(form.GamegoEdit.Checked);
  EXPECT_FALSE(form.GameSendResult.Checked);
  EXPECT_FALSE(form.GameOverPending);
}

TEST(ScreenMusic, EachScreenStartsItsModuleAndTheMenuOnlyAfterAGame) {
  auto loaded = std::make_shared<std::vector<std::string>>();
  TGameHarness::TOptions options;
  options.MakeMusic = [loaded] { return std::make_unique<TModuleLog>(loaded); };
  TGameHarness game(options);
  TScreenDriver driver(game);
  EXPECT_EQ(*loaded, std::vector<std::string>{"1.xm"});  // the splash

  game.SkipSplash();
  driver.ClickOn(BR::HighScore);
  game.Key(VK_ESCAPE);
  EXPECT_EQ(loaded->size(), 1u) << "the menus keep the module that plays";

  driver.ClickOn(BR::StartGame);
  EXPECT_EQ(loaded->back(), "2.xm");
  game.CloseWindow();  // the in-game exit dialog
  driver.ClickOn(BR::MainExitYes);
  EXPECT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_EQ(loaded->back(), "1.xm");
  EXPECT_EQ(loaded->size(), 3u);

  driver.GoTo(scGameOver);
  EXPECT_EQ(loaded->back(), "3.xm");
  game.RunFor(5000);
  game.Key(VK_ESCAPE);
  ASSERT_EQ(game.Form().CurrentScreen, scMainMenu);
  EXPECT_EQ(loaded->back(), "1.xm");

  // High scores after a game restart the menu module too.
  driver.GoTo(scGame);
  game.Form().SwitchScreen(scHighScores);
  EXPECT_EQ(loaded->back(), "1.xm");
}

TEST(HelpPages, UpAndDownStayWithinTheFourPagesAndTheMenuStartsAgainAtOne) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scHelp);
  TMainForm& form = game.Form();
  EXPECT_EQ(form.HelpPage, 1);

  game.ClearSounds();
  driver.ClickOn(BR::HelpUpClick);
  EXPECT_EQ(form.HelpPage, 1);
  EXPECT_TRUE(game.Sounds().empty());

  for (int page = 2; page <= 4; ++page) {
    driver.ClickOn(BR::HelpDownClick);
    EXPECT_EQ(form.HelpPage, page);
    EXPECT_EQ(form.CurrentScreen, scHelp);
  }
  game.ClearSounds();
  driver.ClickOn(BR::HelpDownClick);
  EXPECT_EQ(form.HelpPage, 4);
  EXPECT_TRUE(game.Sounds().empty());
  // The page picture is rebuilt: exactly one page panel, one backdrop, one sight.
  EXPECT_EQ(game.Count<Pricel>(), 1);
  EXPECT_EQ(game.Count<TBackgroundSprite>(), 1);

  driver.ClickOn(BR::HelpUpClick);
  EXPECT_EQ(form.HelpPage, 3);
  game.Key(VK_ESCAPE);
  driver.ClickOn(BR::Help);
  EXPECT_EQ(form.HelpPage, 1);
}

TEST(HelpPages, HoverAndClickRectanglesOfUpAndDownDiffer) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scHelp);
  driver.ClickOn(BR::HelpDownClick);  // page 2, so Up can act
  TMainForm& form = game.Form();

  // x 243..245 highlights Up but does not click it.
  game.Click(244, 460);
  EXPECT_EQ(game.Count<HelpGame_Up>(), 1);
  EXPECT_EQ(form.HelpPage, 2);
  // y 521 clicks Up but is outside its hover rectangle.
  game.Click(270, 521);
  EXPECT_EQ(form.HelpPage, 1);
  EXPECT_EQ(game.Count<HelpGame_Up>(), 0);

  // Down: y 521..522 highlights but does not click; y 451..452 clicks but does not highlight.
  game.Click(500, 522);
  EXPECT_EQ(game.Count<HelpGame_Down>(), 1);
  EXPECT_EQ(form.HelpPage, 1);
  game.Click(500, 451);
  EXPECT_EQ(form.HelpPage, 2);
  EXPECT_EQ(game.Count<HelpGame_Down>(), 0);
}

std::vector<Bukva*> Letters(TGameHarness& game) {
  std::vector<Bukva*> letters;
  TSpriteEngine& engine = game.Form().Engine();
  for (int32_t i = 0; i < engine.Count(); ++i)
    if (auto* b = dynamic_cast<Bukva*>(&engine.Items(i)); b && !b->IsDead()) letters.push_back(b);
  return letters;
}

TEST(OptionsScreen, AnEmptyTextStartsEditingWithTheCaretAtTheLineStart) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  TMainForm& form = game.Form();
  EXPECT_TRUE(form.GamegoEdit.Checked);
  auto letters = Letters(game);
  ASSERT_EQ(letters.size(), 1u);
  EXPECT_EQ(letters[0]->Image, &form.Find("Bukva_prefix"));
  EXPECT_DOUBLE_EQ(letters[0]->X, 390);
  EXPECT_DOUBLE_EQ(letters[0]->Y, 410 + form.Find("Bukva_A").Height() - 10);
  EXPECT_EQ(letters[0]->Z(), 800);
}

TEST(OptionsScreen, EachFrameShowsOneTextLineAndTheMarkersOfTheSwitches) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scOptions);
  TMainForm& form = game.Form();
  game.Type("AB");
  game.Frames(3);
  auto letters = Letters(game);
  ASSERT_EQ(letters.size(), 3u);  // A, B and the caret
  const double widthA = form.Find("Bukva_A").Width();
  EXPECT_DOUBLE_EQ(letters[1]->X, 390 + widthA);
  EXPECT_EQ(form.ExtraText, "AB");

  EXPECT_EQ(game.Count<Options_window_mode>(), 1);
  EXPECT_EQ(game.Count<Options_sound_on>(), 1);
  EXPECT_EQ(game.Count<Options_music_on>(), 1);
  EXPECT_EQ(game.Count<TMenu>(), 3);

  // A switch changed by a key shows in the next frame.
  game.Key(VK_RETURN, TShiftState{false, true, false});
  ASSERT_TRUE(form.GameFullScreen.Checked);
  game.Frames(1);
  EXPECT_EQ(game.Count<Options_full_screen>(), 1);
  EXPECT_EQ(game.Count<Options_window_mode>(), 0);
  EXPECT_EQ(game.Count<TMenu>(), 3);
}

TEST(HighScoreScreen, RowsAreDrawnAtTwoThirdsFromTheirColumns) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scHighScores);
  TMainForm& form = game.Form();

  std::vector<Cifra*> digits;
  TSpriteEngine& engine = form.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i)
    if (auto* c = dynamic_cast<Cifra*>(&engine.Items(i))) digits.push_back(c);
  // 3000 .. 1000 and 500 .. 100: five four-digit and five three-digit scores.
  ASSERT_EQ(digits.size(), 35u);
  EXPECT_DOUBLE_EQ(digits[0]->X, 545);
  EXPECT_DOUBLE_EQ(digits[0]->Y, 150);
  EXPECT_EQ(digits[0]->Image, &form.Find("Health_3"));
  EXPECT_DOUBLE_EQ(digits[0]->Scale, 1.5);
  EXPECT_DOUBLE_EQ(digits[1]->X, 545 + form.Find("Health_3").Width() / 1.5);
  EXPECT_DOUBLE_EQ(digits.back()->Y, 433);

  auto letters = Letters(game);
  ASSERT_EQ(letters.size(), 90u);  // ten times "Anonymous"
  EXPECT_DOUBLE_EQ(letters[0]->X, 225);
  EXPECT_DOUBLE_EQ(letters[9]->Y, 185);
  EXPECT_DOUBLE_EQ(letters[1]->X, 225 + form.Find("Bukva_A").Width() / 1.5);
}

TEST(LetterLine, CharactersWithoutAPictureAreSkipped) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scMainMenu);
  TMainForm& form = game.Form();
  form.Engine().Clear();
  form.DrawLetterLine("a-b c", 100, 50, 1);
  auto letters = Letters(game);
  ASSERT_EQ(letters.size(), 3u);
  EXPECT_EQ(letters[0]->Image, &form.Find("Bukva_A"));
  EXPECT_DOUBLE_EQ(letters[1]->X, 50 + form.Find("Bukva_A").Width());
  EXPECT_DOUBLE_EQ(letters[2]->X, letters[1]->X + form.Find("Bukva_B").Width());
}

TEST(DigitsOf, MostSignificantFirst) {
  struct TCase {
    int32_t N;
    const char* Digits;
  };
  for (const TCase& c :
       {TCase{0, "0"}, TCase{7, "7"}, TCase{10, "10"}, TCase{100, "100"}, TCase{2500, "2500"},
        TCase{1000000000, "1000000000"}, TCase{2147483647, "2147483647"}})
    EXPECT_EQ(DigitsOf(c.N), c.Digits) << c.N;
}

// On the game-over screen a score that stays out of the table may leave only once Timer1 has
// stopped, after a 200 ms pause; one that enters the table leaves only through a confirmed name.
TEST(GameOverScreen, LowScoreLeavesByKeyOrClickOnlyAfterTheWait) {
  for (int how = 0; how < 3; ++how) {
    SCOPED_TRACE(how);
    TGameHarness game;
    TScreenDriver driver(game);
    driver.GoTo(scGameOver, 100);  // equal to the tenth record: stays out
    TMainForm& form = game.Form();
    const auto leave = [&] {
      if (how == 0) game.Key(VK_ESCAPE);
      if (how == 1) game.Key(VK_RETURN);
      if (how == 2) game.Click(400, 300, TMouseButton::mbRight);
    };
    game.RunFor(4900);
    ASSERT_TRUE(form.Timer1->Enabled());
    leave();
    EXPECT_EQ(form.CurrentScreen, scGameOver);
    game.RunFor(200);
    ASSERT_FALSE(form.Timer1->Enabled());
    EXPECT_EQ(game.Count<TMenu>() + game.Count<Pricel>(), 0) << "no name panel";
    const uint32_t before = game.Clock().Milliseconds();
    leave();
    EXPECT_EQ(form.CurrentScreen, scMainMenu);
    EXPECT_GE(game.Clock().Milliseconds() - before, 200u);
  }
}

TEST(GameOverScreen, HighScoreStaysUntilANameIsConfirmed) {
  TGameHarness game;
  TScreenDriver driver(game);
  driver.GoTo(scGameOver, 2200);
  TMainForm& form = game.Form();
  game.RunFor(5100);
  game.Key(VK_ESCAPE);
  game.Click(10, 10);
  game.Key(VK_RETURN);  // no name yet
  EXPECT_EQ(form.CurrentScreen, scGameOver);
  game.Type("ZED");
  game.Frames(1);
  game.Key(VK_RETURN);
  EXPECT_EQ(form.CurrentScreen, scHighScores);
  EXPECT_EQ(form.HighScores[2].Name, "ZED");
  EXPECT_EQ(form.HighScores[2].Score, 2200);
}

}  // namespace
