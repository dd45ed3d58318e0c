#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scores/HighScores.h"
#include "scores/TextCoder.h"
#include "support/GameHarness.h"
#include "ui/MenuSprites.h"

namespace {

std::string Padded(std::string text) {
  while (text.size() % 5 != 0) text += '%';
  return EncodeText(text);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The lines of a settings file; every line must end in CR LF.
std::vector<std::string> CrLfLines(const std::string& content) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    const size_t end = content.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "unterminated last line";
    if (end == std::string::npos) break;
    lines.push_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The file a first start leaves: window, music and sound on, no texts, the default table.
std::vector<std::string> DefaultLines() {
  std::vector<std::string> lines = {EncodeText("false"), EncodeText("true"), EncodeText("true"), "", ""};
  for (const TLocal_HighScores& record : DefaultHighScores) {
    lines.push_back(Padded(record.Name));
    lines.push_back(Padded(std::to_string(record.Score)));
  }
  return lines;
}

TGameHarness::TOptions WithConfig(const std::vector<std::string>& lines) {
  TGameHarness::TOptions options;
  options.WriteConfig = true;
  options.ConfigLines = lines;
  return options;
}

void ExpectDefaultTable(TMainForm& form) {
  for (size_t k = 0; k < 10; ++k) {
    EXPECT_EQ(form.HighScores[k].Name, "Anonymous") << "rank " << k + 1;
    EXPECT_EQ(form.HighScores[k].Score, DefaultHighScores[k].Score) << "rank " << k + 1;
  }
}

TEST(SettingsFile, FirstStartLeavesTheDefaultsBehindIn25CrLfLines) {
  TGameHarness game;
  const std::string content = ReadFile(game.Folder() / "Config.cfg");
  const std::vector<std::string> lines = CrLfLines(content);
  EXPECT_EQ(lines, DefaultLines());
  EXPECT_EQ(lines[5], EncodeText("Anonymous%"));
  EXPECT_EQ(lines[24], EncodeText("100%%"));
  EXPECT_FALSE(std::filesystem::exists(game.Folder() / "Config.cfg.tmp"));
}

TEST(SettingsFile, WhatIsWrittenReadsBackTheSame) {
  std::vector<std::string> written;
  {
    TGameHarness game;
    TMainForm& form = game.Form();
    form.GameSound.Checked = false;
    form.Edit1.Text = "AB";
    form.Edit2.Text = "";
    form.HighScores[2] = {"ABCDE", 2200};
    form.HighScores[4] = {"ABCDEF", 1000};
    form.HighScores[9] = {"Z", -7};
    form.SaveSettings();
    EXPECT_EQ(form.ExtraText, "AB") << "the padding goes into the file only";
    written = CrLfLines(ReadFile(game.Folder() / "Config.cfg"));
  }
  ASSERT_EQ(written.size(), 25u);
  EXPECT_EQ(written[3], EncodeText("AB%%%"));
  EXPECT_EQ(written[4], "") << "an empty name is an empty line";
  EXPECT_EQ(written[9], EncodeText("ABCDE")) << "five letters need no padding";
  EXPECT_EQ(written[13], EncodeText("ABCDEF%%%%"));
  EXPECT_EQ(written[24], EncodeText("-7%%%"));

  TGameHarness again(WithConfig(written));
  TMainForm& form = again.Form();
  EXPECT_FALSE(form.GameFullScreen.Checked);
  EXPECT_TRUE(form.GameMusic.Checked);
  EXPECT_FALSE(form.GameSound.Checked);
  EXPECT_EQ(form.Edit1.Text, "AB");
  EXPECT_EQ(form.ExtraText, "AB");
  EXPECT_EQ(form.Edit2.Text, "");
  EXPECT_EQ(form.PlayerName, "");
  EXPECT_EQ(form.HighScores[2].Name, "ABCDE");
  EXPECT_EQ(form.HighScores[2].Score, 2200);
  EXPECT_EQ(form.HighScores[4].Name, "ABCDEF");
  EXPECT_EQ(form.HighScores[9].Name, "Z");
  EXPECT_EQ(form.HighScores[9].Score, -7);
  EXPECT_EQ(form.HighScores[0].Name, "Anonymous");
  // Start-up wrote it straight back, unchanged.
  EXPECT_EQ(CrLfLines(ReadFile(again.Folder() / "Config.cfg")), written);
}

TEST(SettingsFile, TheSwitchLinesAreTestedOnlyAgainstFalse) {
  struct TCase {
    std::vector<std::string> Lines;
    bool FullScreen, Music, Sound;
  };
  const TCase cases[] = {
      {{EncodeText("false"), EncodeText("false"), EncodeText("false")}, false, false, false},
      {{EncodeText("true"), EncodeText("true"), EncodeText("true")}, true, true, true},
      // Anything but "false" on line 1 starts full screen; lines 2 and 3 then stay on.
      {{EncodeText("FALSE"), EncodeText("no"), ""}, true, true, true},
      // An empty file: the empty first line starts full screen, all else keeps its default.
      {{}, true, true, true},
      // A short file: the missing lines read as empty.
      {{EncodeText("false"), EncodeText("false")}, false, false, true},
  };
  for (const TCase& c : cases) {
    TGameHarness game(WithConfig(c.Lines));
    TMainForm& form = game.Form();
    EXPECT_EQ(form.GameFullScreen.Checked, c.FullScreen) << c.Lines.size();
    EXPECT_EQ(form.GameMusic.Checked, c.Music) << c.Lines.size();
    EXPECT_EQ(form.GameSound.Checked, c.Sound) << c.Lines.size();
    EXPECT_EQ(form.Edit1.Text, "");
    EXPECT_EQ(form.Edit2.Text, "");
    ExpectDefaultTable(form);
    EXPECT_EQ(CrLfLines(ReadFile(game.Folder() / "Config.cfg")).size(), 25u);
  }
}

TEST(SettingsFile, TextLinesLoseAllTrailingPercentAndLongTextsStayAsLoaded) {
  std::vector<std::string> lines = DefaultLines();
  lines[3] = EncodeText("%%%%%");
  lines[4] = Padded("ABCDEFGHIJKLM");
  lines[5] = EncodeText("%%%%%");  // a name line that decodes to "%" only: the name becomes empty
  lines[6] = "";                    // an empty score line keeps the default
  TGameHarness game(WithConfig(lines));
  TMainForm& form = game.Form();
  EXPECT_EQ(form.Edit1.Text, "");
  EXPECT_EQ(form.Edit2.Text, "ABCDEFGHIJKLM");
  EXPECT_EQ(form.PlayerName, "ABCDEFGHIJKLM");
  EXPECT_EQ(form.HighScores[0].Name, "");
  EXPECT_EQ(form.HighScores[0].Score, 3000);
}

TEST(SettingsFile, GarbageKeepsWhatWasThereAndTheScreensStillDraw) {
  std::vector<std::string> lines = DefaultLines();
  lines[0] = "this is not coded at all";  // no alphabet letters: decodes to nothing
  lines[3] = Padded("A B;C");               // no letter picture for " " or ";"
  lines[5] = "QQQQQQQZ";                    // name 1: decodes to control bytes
  lines[6] = Padded("12x4");                // score 1
  lines[8] = Padded("99999999999");         // score 2: beyond 32 bits
  lines[10] = Padded("0x10");               // score 3
  lines[12] = "";                           // score 4
  lines[14] = Padded("-");                  // score 5
  lines[16] = Padded("0400");               // score 6
  lines[17] = "Q!W?E#R";                    // name 7: three stray bytes
  lines[18] = Padded("+300");               // score 7
  TGameHarness game(WithConfig(lines));
  TMainForm& form = game.Form();
  EXPECT_TRUE(form.GameFullScreen.Checked);
  EXPECT_EQ(form.Edit1.Text, "");
  EXPECT_EQ(form.HighScores[0].Name, "Anonymous");
  EXPECT_EQ(form.HighScores[6].Name, "Anonymous");
  const int32_t scores[10] = {3000, 2500, 2000, 1500, 1000, 400, 300, 300, 200, 100};
  for (size_t k = 0; k < 10; ++k) EXPECT_EQ(form.HighScores[k].Score, scores[k]) << "rank " << k + 1;

  // The options and high-score screens draw the loaded texts every frame.
  game.SkipSplash();
  EXPECT_NO_THROW(form.SwitchScreen(scOptions));
  EXPECT_NO_THROW(game.Frames(3));
  EXPECT_NO_THROW(form.SwitchScreen(scHighScores));
  EXPECT_NO_THROW(game.Frames(3));
  EXPECT_TRUE(game.Messages().empty());
}

// A write that fails part-way (full disk) or cannot start leaves the old file whole.
TEST(SettingsFile, AFailedWriteIsReportedAndLeavesTheOldFile) {
  enum class TFault { DiskFull, CannotCreate };
  for (const TFault fault : {TFault::DiskFull, TFault::CannotCreate}) {
    TGameHarness game;
    TMainForm& form = game.Form();
    const std::filesystem::path config = game.Folder() / "Config.cfg";
    const std::filesystem::path temp = game.Folder() / "Config.cfg.tmp";
    const std::string before = ReadFile(config);
    if (fault == TFault::DiskFull) {
      std::filesystem::create_symlink("/dev/full", temp);
    } else {
      std::filesystem::create_directory(temp);
    }

    game.SkipSplash();
    form.SwitchScreen(scOptions);
    form.Edit1.Text = "LOST";
    const size_t messagesBefore = game.Messages().size();
    form.SwitchScreen(scMainMenu);  // leaving the options saves

    ASSERT_EQ(game.Messages().size(), messagesBefore + 1);
    const std::string text = game.Messages().back().Text;
    EXPECT_NE(text.find("Config.cfg"), std::string::npos) << text;
    EXPECT_NE(text.find(fault == TFault::DiskFull ? "No space left on device" : "Is a directory"),
              std::string::npos)
        << text;
    EXPECT_EQ(ReadFile(config), before);
    EXPECT_EQ(form.CurrentScreen, scMainMenu) << "the game goes on";
    game.Frames(2);

    // Once the disk has room again the next save goes through.
    std::filesystem::remove(temp);
    form.SwitchScreen(scOptions);
    form.SwitchScreen(scMainMenu);
    EXPECT_EQ(CrLfLines(ReadFile(config))[3], Padded("LOST"));
    EXPECT_EQ(game.Messages().size(), messagesBefore + 1);
  }
}

}  // namespace
