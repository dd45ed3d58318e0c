#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "faults/FaultFixtures.h"
#include "platform/sdl/XmpMusicLib.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

namespace {

namespace fs = std::filesystem;

// While it lives the process checks file rights as an ordinary user: root would write into a
// read-only folder regardless.
class TOrdinaryUserRights {
 public:
  TOrdinaryUserRights() : FWasRoot(geteuid() == 0) {
    if (FWasRoot && seteuid(65534) != 0) FWasRoot = false;
  }
  ~TOrdinaryUserRights() {
    if (FWasRoot && seteuid(0) != 0) std::abort();
  }
  TOrdinaryUserRights(const TOrdinaryUserRights&) = delete;
  TOrdinaryUserRights& operator=(const TOrdinaryUserRights&) = delete;

 private:
  bool FWasRoot;
};

// Makes a folder read-only for everyone while it lives.
class TReadOnlyFolder {
 public:
  explicit TReadOnlyFolder(fs::path path) : FPath(std::move(path)) { chmod(FPath.c_str(), 0555); }
  ~TReadOnlyFolder() { chmod(FPath.c_str(), 0755); }
  TReadOnlyFolder(const TReadOnlyFolder&) = delete;
  TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

 private:
  fs::path FPath;
};

TEST(UnwritableGameFolder, TheFailedSaveIsReportedTheOldFileStaysAndTheGameGoesOn) {
  TGameHarness game;
  TMainForm& form = game.Form();
  game.SkipSplash();
  const fs::path config = game.Folder() / "Config.cfg";
  const std::string before = ReadWholeFile(config);
  ASSERT_FALSE(before.empty()) << "every start leaves a settings file behind";
  const size_t messagesBefore = game.Messages().size();
  {
    const TReadOnlyFolder readOnly(game.Folder());
    const TOrdinaryUserRights user;
    if (faccessat(AT_FDCWD, game.Folder().c_str(), W_OK, AT_EACCESS) == 0)
      GTEST_SKIP() << "the folder stays writable here";

    form.SwitchScreen(scOptions);
    form.Edit1.Text = "LOST";
    form.SwitchScreen(scMainMenu);  // leaving the options saves

    ASSERT_EQ(game.Messages().size(), messagesBefore + 1);
    const std::string text = game.Messages().back().Text;
    EXPECT_NE(text.find("Config.cfg"), std::string::npos) << text;
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_EQ(ReadWholeFile(config), before);
    EXPECT_FALSE(fs::exists(game.Folder() / "Config.cfg.tmp"));

    // The game goes on: a game starts and runs for a while.
    ASSERT_TRUE(game.StartGameAndSkipIntro());
    game.RunFor(3000);
    EXPECT_EQ(form.CurrentScreen, scGame);
  }
  EXPECT_EQ(form.ExtraText, "LOST") << "what the player typed stays for the next save";
}

// A settings file that is there but cannot be read is never replaced in that run: the game plays
// on with the defaults and says once, at start-up, that the settings will not be saved.
struct TUnreadableSettingsCase {
  const char* Name;
  bool Folder;  // else a file the player cannot read
};

class UnreadableSettings : public ::testing::TestWithParam<TUnreadableSettingsCase> {};

TEST_P(UnreadableSettings, AreNeverReplacedAndTheGameSaysSoOnce) {
  const bool folder = GetParam().Folder;
  TScriptedRun run;
  const fs::path config = run.Folder.Path() / "Config.cfg";
  const std::string players = "the player's own table\r\n";
  // Anyone may write into the folder, so nothing but the game's own choice keeps the settings.
  chmod(run.Folder.Path().c_str(), 0777);
  if (folder) {
    fs::create_directory(config);
  } else {
    std::ofstream(config, std::ios::binary) << players;
    chmod(config.c_str(), 0);
  }
  run.PostKey(VK_RETURN, 2000);
  run.PostClick(ButtonRects::Options, 3000);
  run.PostClick(ButtonRects::OptionsBackClick, 4000);  // leaving the options saves
  run.PostClick(ButtonRects::HighScore, 4500);
  run.PostKey(VK_ESCAPE, 5000);  // so does leaving the table
  run.PostQuit(6000);
  {
    const TOrdinaryUserRights user;
    if (!folder && faccessat(AT_FDCWD, config.c_str(), R_OK, AT_EACCESS) == 0)
      GTEST_SKIP() << "the file stays readable here";
    EXPECT_EQ(run.Run(), 0);
  }
  EXPECT_GT(run.Window().PresentCount(), 60);
  ASSERT_EQ(run.Window().Messages().size(), 1u);
  const std::string text = run.Window().Messages()[0].Text;
  EXPECT_NE(text.find("Config.cfg"), std::string::npos) << text;
  EXPECT_NE(text.find("not be saved"), std::string::npos) << text;
  EXPECT_FALSE(run.Window().FullScreen()) << "the defaults keep the window";
  if (folder) {
    EXPECT_TRUE(fs::is_directory(config));
  } else {
    chmod(config.c_str(), 0644);
    EXPECT_EQ(ReadWholeFile(config), players);
  }
  EXPECT_FALSE(fs::exists(run.Folder.Path() / "Config.cfg.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableSettings,
                         ::testing::Values(TUnreadableSettingsCase{"AFolder", true},
                                           TUnreadableSettingsCase{"PermissionDenied", false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Found by fuzzing: a module whose header declares no channels loads, but every frame it plays
// is empty, so filling a mix buffer with it never ends and the sound thread hangs the game.
fs::path NoChannelsModule() {
  return fs::path(ZARVOK_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "xm_module_fuzz" / "hang-no-channels.xm";
}

TEST(DamagedModule, AModuleWithoutChannelsIsRefused) {
  TXmpMusicLib music;
  EXPECT_EQ(music.SongLoadFromFile(NoChannelsModule().string()), 0u);
}

// The real music library over a Music folder that is missing, empty or holds damaged modules:
// there is no music, nothing is shown, and the game plays.
TEST(MissingMusic, TheGameRunsWithoutMusic) {
  const std::string built = ReadWholeFile(TGameHarness::BuiltGameDir() / "Music" / "1.xm");
  ASSERT_GT(built.size(), 1000u);
  const std::string noChannels = ReadWholeFile(NoChannelsModule());
  ASSERT_FALSE(noChannels.empty());
  struct TCase {
    const char* What;
    std::vector<std::pair<std::string, std::string>> Modules;
  };
  const TCase cases[] = {
      {"no Music folder", {}},
      {"an empty module and no others", {{"1.xm", ""}}},
      {"garbage and a header alone", {{"1.xm", std::string(5000, '\x7f')}, {"2.xm", "Extended Module: "}}},
      {"modules cut short", {{"1.xm", built.substr(0, built.size() / 3)}, {"2.xm", built.substr(0, 400)}}},
      {"a module without channels", {{"1.xm", noChannels}, {"2.xm", noChannels}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TGameFolderWithoutMusic folder;
    for (const auto& [name, bytes] : c.Modules) folder.WriteModule(name, bytes);
    TGameHarness::TOptions options;
    options.GameDir = folder.Path();
    options.MakeMusic = [] { return std::make_unique<TXmpMusicLib>(); };
    TGameHarness game(options);
    game.Frames(5);
    game.Audio().Pull(2048);
    ASSERT_TRUE(game.StartGameAndSkipIntro());
    for (int second = 0; second < 5; ++second) {
      game.RunFor(1000);
      game.Audio().Pull(2048);
    }
    EXPECT_EQ(game.Form().CurrentScreen, scGame);
    EXPECT_TRUE(game.Messages().empty()) << game.Messages().front().Text;
  }
}

TEST(DamagedArchives, ATruncatedWaveArchiveOrAnEmptyPictureArchiveEndsWithAMessage) {
  for (const char* archive : {"Data/Music.dxw", "Data/Graphic.dxg"}) {
    for (const bool empty : {false, true}) {
      SCOPED_TRACE(std::string(archive) + (empty ? " empty" : " cut to a third"));
      TScriptedRun run;
      fs::resize_file(archive, empty ? 0 : fs::file_size(archive) / 3);
      EXPECT_EQ(run.Run(), 1);
      ASSERT_EQ(run.Window().Messages().size(), 1u);
      EXPECT_FALSE(run.Window().Messages()[0].Text.empty());
    }
  }
}

// The real program in a game folder with a broken archive, on SDL's dummy video driver: it must
// end by itself with a failure status and say why, not crash or hang.
TEST(DamagedArchives, TheProgramEndsWithAFailureStatus) {
  const fs::path program = TGameHarness::BuiltGameDir() / "zarvok";
  if (!fs::exists(program)) GTEST_SKIP() << "the game program is not built";
  struct TCase {
    const char* What;
    const char* Archive;    // damaged or removed; null: none
    bool Remove;
    const char* Arguments;  // to the program
  };
  const TCase cases[] = {
      {"missing pictures", "Data/Graphic.dxg", true, ""},
      {"truncated pictures", "Data/Graphic.dxg", false, ""},
      {"truncated waves", "Data/Music.dxw", false, ""},
      {"a data folder without archives", nullptr, false, "--data empty"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    // A portable folder: the program reads the archives beside it, whatever the working folder.
    TScratchFolder folder;
    folder.CopyGameData(TGameHarness::BuiltGameDir());
    fs::copy_file(program, folder.Path() / "zarvok");
    fs::create_directory("empty");
    if (c.Archive && c.Remove) fs::remove(c.Archive);
    if (c.Archive && !c.Remove) fs::resize_file(c.Archive, fs::file_size(c.Archive) / 3);
    const std::string command = "XDG_DATA_HOME='" + (folder.Path() / "home").string() +
                                "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 60 ./zarvok " +
                                c.Arguments + " > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 1) << ReadWholeFile("err.txt");
    const std::string said = ReadWholeFile("err.txt");
    EXPECT_FALSE(said.empty());
    if (c.Remove || !c.Archive) {
      EXPECT_NE(said.find("Graphic.dxg"), std::string::npos) << said;
    }
  }
}

}  // namespace
