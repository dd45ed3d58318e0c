#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "faults/FaultFixtures.h"
#include "platform/Display.h"
#include "platform/Places.h"
#include "scores/TextCoder.h"
#include "support/FakePlaces.h"
#include "support/GameHarness.h"

namespace {

namespace fs = std::filesystem;

// The whole program as a distribution installs it: the program in usr/games, its data in
// usr/share/zarvok, the player's folder not made yet. The working folder is elsewhere and holds
// no data.
struct InstalledGame : ::testing::Test {
  TScriptedRun Run;
  fs::path Root = Run.Folder.Path();
  fs::path Program = Root / "usr" / "games";
  fs::path Shared = Root / "usr" / "share" / "zarvok";
  fs::path User = Root / "home" / ".local" / "share" / "zarvok";
  fs::path Elsewhere = Root / "elsewhere";
  TFakePlaces* Places = nullptr;

  void SetUp() override {
    fs::create_directories(Program);
    fs::create_directories(Shared);
    fs::create_directories(Elsewhere);
    for (const char* folder : {"Data", "Music"}) fs::rename(Root / folder, Shared / folder);
    auto places = std::make_unique<TFakePlaces>();
    places->Executable = Program;
    places->User = User;
    Places = places.get();
    Run.Platform.Places = std::move(places);
    fs::current_path(Elsewhere);
    Run.PostQuit(3000);
  }
  void TearDown() override { fs::current_path(Root); }

  // Every file under the folder, relative to it.
  static std::vector<std::string> FilesUnder(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
  }
};

TEST_F(InstalledGame, RunsFromAnyFolderAndKeepsTheSettingsInTheUserFolder) {
  const std::vector<std::string> installed = FilesUnder(Root / "usr");
  std::ofstream(Elsewhere / "Config.cfg") << "not the game's";

  EXPECT_EQ(Run.Run(), 0);
  EXPECT_TRUE(Run.Window().Messages().empty());
  EXPECT_GT(Run.Window().PresentCount(), 30);
  const std::string saved = ReadWholeFile(User / "Config.cfg");
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 25) << "the first start's settings";
  EXPECT_EQ(saved.substr(0, saved.find("\r\n")), EncodeText("false"));
  EXPECT_EQ(FilesUnder(Root / "usr"), installed) << "nothing is written beside the program or its data";
  EXPECT_EQ(FilesUnder(Elsewhere), std::vector<std::string>{"Config.cfg"});
  EXPECT_EQ(ReadWholeFile(Elsewhere / "Config.cfg"), "not the game's");
}

TEST_F(InstalledGame, TheSettingsAndTheLinkAreTakenFromTheUserFolder) {
  fs::create_directories(User);
  std::ofstream(User / "play.url") << "[InternetShortcut]\r\nURL=http://zarvok.example/\r\n";
  {
    std::ofstream config(User / "Config.cfg", std::ios::binary);
    for (const char* line : {"false", "false", "true"}) config << EncodeText(line) << "\r\n";
  }
  EXPECT_EQ(Run.Run(), 0);
  EXPECT_EQ(HeadlessDesktop(Run.Platform).Opened(), std::vector<std::string>{"http://zarvok.example/"});
  const std::string saved = ReadWholeFile(User / "Config.cfg");
  EXPECT_EQ(saved.substr(0, saved.find("\r\n")), EncodeText("false"));
  EXPECT_EQ(saved.substr(saved.find("\r\n") + 2, EncodeText("false").size()), EncodeText("false"))
      << "the music stays off";
}

TEST_F(InstalledGame, AUserFolderThatCannotBeMadeIsAFailedSaveAndTheGamePlaysOn) {
  // A file stands where a folder should be: not even root can make the folder.
  fs::create_directories(User.parent_path().parent_path());
  std::ofstream(User.parent_path()) << "in the way";

  EXPECT_EQ(Run.Run(), 0);
  EXPECT_GT(Run.Window().PresentCount(), 30);
  ASSERT_FALSE(Run.Window().Messages().empty());
  for (const auto& message : Run.Window().Messages())
    EXPECT_EQ(message.Text.rfind("Cannot write " + (User / "Config.cfg").string() + ": ", 0), 0u) << message.Text;
}

TEST_F(InstalledGame, AMissingArchiveGivesTheArchivesOwnMessageAndStatusOne) {
  fs::remove(Shared / "Data" / "Graphic.dxg");
  EXPECT_EQ(Run.Run(), 1);
  ASSERT_EQ(Run.Window().Messages().size(), 1u);
  EXPECT_EQ(Run.Window().Messages()[0].Text.rfind("Cannot open file \"" + (Shared / "Data" / "Graphic.dxg").string(), 0),
            0u)
      << Run.Window().Messages()[0].Text;
}

TEST(PortableGame, KeepsTheSettingsBesideTheProgram) {
  TScriptedRun run;
  const fs::path folder = run.Folder.Path();
  auto places = std::make_unique<TFakePlaces>();
  places->Executable = folder;
  places->User = folder / "home";
  run.Platform.Places = std::move(places);
  fs::create_directories(folder / "elsewhere");
  fs::current_path(folder / "elsewhere");
  run.PostQuit(3000);
  EXPECT_EQ(run.Run(), 0);
  fs::current_path(folder);
  EXPECT_TRUE(fs::exists(folder / "Config.cfg"));
  EXPECT_FALSE(fs::exists(folder / "home"));
  EXPECT_FALSE(fs::exists(folder / "elsewhere" / "Config.cfg"));
}

// --window and --fullscreen overrule the saved mode, and the first save keeps their choice.
TEST(StartMode, TheCommandLineOverrulesTheSavedModeAndIsSaved) {
  struct TCase {
    std::optional<bool> Saved;  // none: no settings file
    std::optional<bool> Asked;  // none: neither option
    bool FullScreen;
  };
  const TCase cases[] = {
      {std::nullopt, std::nullopt, false}, {std::nullopt, true, true}, {true, std::nullopt, true},
      {true, false, false},                {false, true, true},       {false, false, false},
  };
  for (const TCase& c : cases) {
    TGameHarness::TOptions options;
    if (c.Saved) {
      options.WriteConfig = true;
      options.ConfigLines = {EncodeText(*c.Saved ? "true" : "false")};
    }
    options.CommandLine.FullScreen = c.Asked;
    TGameHarness game(options);
    const std::string what = std::string("saved ") + (c.Saved ? (*c.Saved ? "full" : "window") : "none") +
                             ", asked " + (c.Asked ? (*c.Asked ? "full" : "window") : "none");
    EXPECT_EQ(game.Form().GameFullScreen.Checked, c.FullScreen) << what;
    EXPECT_EQ(game.Window().FullScreen(), c.FullScreen) << what;
    const std::string saved = ReadWholeFile(game.Folder() / "Config.cfg");
    EXPECT_EQ(saved.substr(0, saved.find("\r\n")), EncodeText(c.FullScreen ? "true" : "false")) << what;
  }
}

}  // namespace
