#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "scores/HighScores.h"
#include "scores/TextCoder.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"

namespace {

TEST(HighScoreRank, BoundariesOnTheDefaultTable) {
  const std::pair<int32_t, int32_t> cases[] = {
      {100000, 1}, {3001, 1},
      {3000, 1},  // equal to rank 1: that record is replaced
      {2999, 2}, {2500, 2}, {2200, 3}, {2000, 3}, {1999, 4},
      {201, 9}, {200, 9}, {199, 10}, {101, 10},
  };
  for (const auto& [score, rank] : cases) EXPECT_EQ(HighScoreRank(DefaultHighScores, score), rank) << score;
  EXPECT_TRUE(EntersHighScores(DefaultHighScores, 101));
  EXPECT_FALSE(EntersHighScores(DefaultHighScores, 100)) << "equal to the tenth is not enough";
  EXPECT_FALSE(EntersHighScores(DefaultHighScores, -5));
}

class HighScoreTable : public ::testing::Test {
 protected:
  TMainForm& Form() { return Game.Form(); }
  std::vector<int32_t> Scores() {
    std::vector<int32_t> scores;
    for (const TLocal_HighScores& record : Form().HighScores) scores.push_back(record.Score);
    return scores;
  }

  TGameHarness Game;
};

TEST_F(HighScoreTable, ANewScoreReplacesTheRecordAtItsRankAndMovesNothing) {
  Form().InsertHighScore("AMY", 2200);
  EXPECT_EQ(Scores(), (std::vector<int32_t>{3000, 2500, 2200, 1500, 1000, 500, 400, 300, 200, 100}));
  EXPECT_EQ(Form().HighScores[2].Name, "AMY");
  EXPECT_EQ(Form().HighScores[3].Name, "Anonymous");

  // The same score again takes the same rank and replaces the first.
  Form().InsertHighScore("BEN", 2200);
  EXPECT_EQ(Form().HighScores[2].Name, "BEN");
  EXPECT_EQ(Scores()[3], 1500);

  Form().InsertHighScore("CID", 5000);
  EXPECT_EQ(Form().HighScores[0].Name, "CID");
  EXPECT_EQ(Form().HighScores[0].Score, 5000);
  EXPECT_EQ(Form().HighScores[1].Score, 2500) << "the old best is lost, rank 2 stays";

  Form().InsertHighScore("DAN", 101);
  EXPECT_EQ(Form().HighScores[9].Name, "DAN");
  EXPECT_EQ(Form().HighScores[9].Score, 101);
}

TEST_F(HighScoreTable, WhatDoesNotBeatTheTenthStaysOut) {
  const auto before = Form().HighScores;
  Form().InsertHighScore("EVE", 100);
  Form().InsertHighScore("EVE", 0);
  Form().InsertHighScore("", 9000);
  for (size_t k = 0; k < 10; ++k) {
    EXPECT_EQ(Form().HighScores[k].Name, before[k].Name);
    EXPECT_EQ(Form().HighScores[k].Score, before[k].Score);
  }
}

TEST_F(HighScoreTable, ClearQuestionNoKeepsTheTableYesResetsAndSaves) {
  Game.SkipSplash();
  Form().HighScores[0] = {"MAX", 9999};
  Form().SaveSettings();
  Game.Click(300, 320);  // High Score on the main menu
  ASSERT_EQ(Form().CurrentScreen, scHighScores);

  Game.Click(150, 500);  // Clear
  EXPECT_TRUE(Form().GameClearHighScore.Checked);
  EXPECT_EQ(Game.Count<TClearHighScore>(), 1);
  Game.Key(VK_ESCAPE);
  EXPECT_EQ(Form().CurrentScreen, scHighScores) << "Esc does nothing while the question is up";

  Game.Click(460, 340);  // No
  Game.Frames(1);
  EXPECT_FALSE(Form().GameClearHighScore.Checked);
  EXPECT_EQ(Game.Count<TClearHighScore>(), 0);
  EXPECT_EQ(Form().HighScores[0].Name, "MAX");

  Game.Click(150, 500);  // Clear
  Game.Click(290, 340);  // Yes
  Game.Frames(1);
  EXPECT_FALSE(Form().GameClearHighScore.Checked);
  EXPECT_EQ(Game.Count<TClearHighScore>(), 0);
  EXPECT_EQ(Form().CurrentScreen, scHighScores);
  EXPECT_EQ(Form().HighScores[0].Name, "Anonymous");
  EXPECT_EQ(Form().HighScores[0].Score, 3000);

  // Rebuilding the screen saved the reset table before the screen is left.
  std::ifstream file(Game.Folder() / "Config.cfg", std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  EXPECT_NE(content.str().find("\r\n" + EncodeText("3000%") + "\r\n"), std::string::npos);
  EXPECT_EQ(content.str().find(EncodeText("9999%")), std::string::npos);
}

}  // namespace
