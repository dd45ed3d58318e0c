#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/GamePaths.h"
#include "platform/sdl/SdlPlaces.h"
#include "support/FakePlaces.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

// A machine with the game installed under usr/, a portable copy, a third data folder and a
// player's home, all inside a scratch folder that is the working folder.
struct GamePathsFixture : ::testing::Test {
  TScratchFolder Scratch;
  fs::path Root = Scratch.Path();
  fs::path Installed = Root / "usr" / "games";
  fs::path Shared = Root / "usr" / "share" / "zarvok";
  fs::path Portable = Root / "portable";
  fs::path Other = Root / "other";
  fs::path Home = Root / "home" / ".local" / "share" / "zarvok";

  void SetUp() override {
    fs::create_directories(Installed);
    for (const fs::path& data : {Shared, Portable, Other}) {
      fs::create_directories(data / "Data");
      std::ofstream(data / TGamePaths::MarkerFile) << "archive";
    }
  }
  TFakePlaces Places(const fs::path& executable) {
    TFakePlaces places;
    places.Executable = executable;
    places.User = Home;
    return places;
  }
};

TEST_F(GamePathsFixture, TheDataFolderIsTheFirstPlaceInOrder) {
  struct TCase {
    const char* What;
    fs::path Executable;
    std::string Option;                  // --data
    std::optional<std::string> Variable;  // ZARVOK_DATA_DIR
    fs::path Data;
    fs::path User;
  };
  const TCase cases[] = {
      {"--data wins", Portable, Other.string(), Shared.string(), Other, Home},
      {"then the variable", Portable, "", Other.string(), Other, Home},
      {"an empty variable is none", Installed, "", std::string(), Shared, Home},
      {"then a portable folder, which keeps the settings", Portable, "", std::nullopt, Portable, Portable},
      {"then ../share/zarvok", Installed, "", std::nullopt, Shared, Home},
      {"the folder given wins even without archives", Portable, (Root / "empty").string(), std::nullopt,
       Root / "empty", Home},
      {"relative folders are made absolute", Installed, "other/../other", std::nullopt, Other, Home},
      {"--data on the program's own folder is portable too", Portable, "portable", std::nullopt, Portable, Portable},
  };
  for (const TCase& c : cases) {
    TFakePlaces places = Places(c.Executable);
    if (c.Variable) places.Variables["ZARVOK_DATA_DIR"] = *c.Variable;
    TCommandLineOptions options;
    options.DataDir = c.Option;
    const TGamePaths paths = TGamePaths::Resolve(options, places);
    EXPECT_EQ(paths.DataFolder(), c.Data) << c.What;
    EXPECT_EQ(paths.UserFolder(), c.User) << c.What;
  }
}

TEST_F(GamePathsFixture, AReadOnlyPortableFolderKeepsItsDataButNotTheSettings) {
  TFakePlaces places = Places(Portable);
  places.ReadOnly.insert(Portable);
  const TGamePaths paths = TGamePaths::Resolve({}, places);
  EXPECT_EQ(paths.DataFolder(), Portable);
  EXPECT_EQ(paths.UserFolder(), Home);
}

TEST_F(GamePathsFixture, WithoutArchivesAnywhereTheInstalledPlaceIsNamed) {
  fs::remove_all(Shared / "Data");
  EXPECT_EQ(TGamePaths::Resolve({}, Places(Installed)).DataFolder(), Shared) << "the share folder still exists";
  fs::remove_all(Shared);
  EXPECT_EQ(TGamePaths::Resolve({}, Places(Installed)).DataFolder(), Installed);
}

TEST_F(GamePathsFixture, TheWorkingFolderDoesNotMatter) {
  const TGamePaths before = TGamePaths::Resolve({}, Places(Installed));
  fs::current_path(Other);  // holds Data/ of its own
  const TGamePaths after = TGamePaths::Resolve({}, Places(Installed));
  fs::current_path(Root);
  EXPECT_EQ(after.DataFolder(), before.DataFolder());
  EXPECT_EQ(after.UserFolder(), before.UserFolder());
  EXPECT_TRUE(after.DataFolder().is_absolute());
}

TEST_F(GamePathsFixture, TheUserFolderIsMadeOnlyWhenAskedAndAFailureIsTold) {
  TGamePaths paths = TGamePaths::Resolve({}, Places(Installed));
  EXPECT_FALSE(fs::exists(Home)) << "resolving creates nothing";
  EXPECT_EQ(paths.MakeUserFolder(), "");
  EXPECT_TRUE(fs::is_directory(Home));

  // A file where a folder should be stops even root.
  std::ofstream(Root / "blocker") << "x";
  const TGamePaths blocked(Shared, Root / "blocker" / "zarvok");
  EXPECT_NE(blocked.MakeUserFolder(), "");
}

TEST(SdlPlaces, TheUserFolderFollowsTheXdgRules) {
  struct TCase {
    std::optional<std::string> DataHome;
    std::optional<std::string> Home;
    fs::path Folder;
  };
  const TCase cases[] = {
      {"/x/data", "/home/p", "/x/data/zarvok"},
      {std::nullopt, "/home/p", "/home/p/.local/share/zarvok"},
      {"", "/home/p", "/home/p/.local/share/zarvok"},
      {"relative/data", "/home/p", "/home/p/.local/share/zarvok"},
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "relative", ""},
  };
  for (const TCase& c : cases) {
    const fs::path folder = TSdlPlaces::XdgUserFolder([&](const std::string& name) -> std::optional<std::string> {
      if (name == "XDG_DATA_HOME") return c.DataHome;
      if (name == "HOME") return c.Home;
      return std::nullopt;
    });
    EXPECT_EQ(folder, c.Folder) << c.DataHome.value_or("(unset)") << " " << c.Home.value_or("(unset)");
  }
}

}  // namespace
