#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/Application.h"
#include "app/MainForm.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/GameHarness.h"
#include "support/ScratchFolder.h"
#include "ui/ButtonRects.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The program on the headless platform in a scratch game folder.
struct RunGameFixture : ::testing::Test {
  TScratchFolder Folder;
  TPlatform Platform = MakeHeadlessPlatform(1000);

  void SetUp() override {
    Folder.CopyGameData(TGameHarness::BuiltGameDir());
    Window().GiveUpAtMs = 60000;
  }
  THeadlessWindow& Window() { return HeadlessWindow(Platform); }
  void PostClick(const TButtonRect& rect, uint32_t atMs) {
    TPlatformEvent event;
    event.X = (rect.X1 + rect.X2) / 2;
    event.Y = (rect.Y1 + rect.Y2) / 2;
    event.Kind = TPlatformEvent::TKind::MouseMove;
    Window().PostEvent(event, atMs);
    event.Kind = TPlatformEvent::TKind::MouseDown;
    Window().PostEvent(event, atMs);
    event.Kind = TPlatformEvent::TKind::MouseUp;
    Window().PostEvent(event, atMs);
  }
  // Closes the window on the splash and answers the exit question with Yes.
  void PostQuit() {
    TPlatformEvent close;
    close.Kind = TPlatformEvent::TKind::CloseRequest;
    Window().PostEvent(close, 3000);
    PostClick(ButtonRects::ExitGameYes, 4000);
  }
};

TEST_F(RunGameFixture, QuitsThroughTheExitQuestionAndOpensPlayUrl) {
  WriteFile("play.url", "[InternetShortcut]\r\nURL=http://zarvok.example/play\r\n");
  PostQuit();
  EXPECT_EQ(RunGame(Platform), 0);
  EXPECT_TRUE(Window().Messages().empty());
  EXPECT_GT(Window().PresentCount(), 30) << "frames ran for the three seconds";
  EXPECT_EQ(HeadlessDesktop(Platform).Opened(), std::vector<std::string>{"http://zarvok.example/play"});
}

TEST_F(RunGameFixture, WithoutPlayUrlNothingIsOpened) {
  PostQuit();
  EXPECT_EQ(RunGame(Platform), 0);
  EXPECT_TRUE(HeadlessDesktop(Platform).Opened().empty());
}

TEST_F(RunGameFixture, AMissingPictureArchiveIsShownAndEndsWithAFailure) {
  std::filesystem::remove("Data/Graphic.dxg");
  EXPECT_EQ(RunGame(Platform), 1);
  ASSERT_EQ(Window().Messages().size(), 1u);
  EXPECT_NE(Window().Messages()[0].Text.find("Data/Graphic.dxg"), std::string::npos) << Window().Messages()[0].Text;
  EXPECT_EQ(Window().PresentCount(), 0);
  EXPECT_TRUE(HeadlessDesktop(Platform).Opened().empty());
}

TEST_F(RunGameFixture, ATruncatedPictureArchiveIsShownAndEndsWithAFailure) {
  const auto size = std::filesystem::file_size("Data/Graphic.dxg");
  std::filesystem::resize_file("Data/Graphic.dxg", size / 3);
  EXPECT_EQ(RunGame(Platform), 1);
  ASSERT_EQ(Window().Messages().size(), 1u);
  EXPECT_FALSE(Window().Messages()[0].Text.empty());
}

TEST_F(RunGameFixture, AMissingWaveArchiveIsShownAndEndsWithAFailure) {
  std::filesystem::remove("Data/Music.dxw");
  EXPECT_EQ(RunGame(Platform), 1);
  ASSERT_EQ(Window().Messages().size(), 1u);
  EXPECT_NE(Window().Messages()[0].Text.find("Music.dxw"), std::string::npos) << Window().Messages()[0].Text;
}

TEST(GoToLink, OpensTheAddressOrTheFileOrNothing) {
  struct Case {
    const char* Content;  // null: no play.url
    std::string Opened;   // "" = nothing; "FILE" = the file itself
  };
  const Case cases[] = {
      {nullptr, ""},
      {"[InternetShortcut]\r\nURL=https://a.example/x?y=1\r\n", "https://a.example/x?y=1"},
      {"[InternetShortcut]\nurl=http://b.example\n", "http://b.example"},
      {"just some text\r\n", "FILE"},
      {"", "FILE"},
  };
  for (const Case& c : cases) {
    TScratchFolder folder;
    if (c.Content) WriteFile("play.url", c.Content);
    THeadlessDesktop desktop;
    GoToLink(desktop);
    if (c.Opened.empty()) {
      EXPECT_TRUE(desktop.Opened().empty());
    } else {
      ASSERT_EQ(desktop.Opened().size(), 1u);
      const std::string expected =
          c.Opened == "FILE" ? std::filesystem::absolute("play.url").string() : c.Opened;
      EXPECT_EQ(desktop.Opened()[0], expected);
    }
  }
}

}  // namespace

namespace {

// The browser's way of running the game: no Run, only one Step per animation frame (60 a second,
// 16 or 17 ms apart), with the page's own clock moving between them.
TEST_F(RunGameFixture, StepsOnAnimationFramesPlayTheGameWithoutEverWaiting) {
  TMainForm form(Platform);
  form.ShowForm();
  TApplication application(form);
  THeadlessClock& clock = HeadlessClock(Platform);
  PostQuit();

  int steps = 0;
  while (!form.Terminated() && steps < 60 * 10) {
    const uint32_t before = clock.Milliseconds();
    application.StepWithoutWaiting();
    EXPECT_EQ(clock.Milliseconds(), before) << "a step waited, at step " << steps;
    clock.Advance(steps % 3 == 2 ? 16 : 17);
    ++steps;
  }
  EXPECT_TRUE(form.Terminated()) << "the close request ended the game";
  EXPECT_GE(clock.Milliseconds(), 3000u) << "the close request came at 3 s, not before";
  EXPECT_TRUE(Window().Messages().empty());
  // The frames came at the 30 ms frame timer's pace, one every second animation frame.
  const double seconds = (clock.Milliseconds() - 1000) / 1000.0;
  EXPECT_NEAR(Window().PresentCount() / seconds, 30.0, 3.0);
}

}  // namespace
