#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildConfig.h"
#include "combat/Cifra.h"
#include "engine/PictureCollection.h"
#include "platform/headless/HeadlessHttpTransport.h"
#include "scores/ScoreService.h"
#include "scores/TextCoder.h"
#include "support/GameHarness.h"
#include "ui/NameEntry.h"

namespace {

class NameEntry : public ::testing::Test {
 protected:
  TMainForm& Form() { return Game.Form(); }

  // Ends a game with score and waits out the 5 s before the name panel.
  void GameOver(int32_t score, bool waitForPanel = true) {
    Game.SkipSplash();
    Form().Score = score;
    Form().SwitchScreen(scGameOver);
    if (waitForPanel) Game.RunFor(5100);
  }

  std::vector<Cifra*> Digits() {
    std::vector<Cifra*> digits;
    TSpriteEngine& engine = Form().Engine();
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (auto* digit = dynamic_cast<Cifra*>(&engine.Items(i)); digit && !digit->IsDead()) digits.push_back(digit);
    return digits;
  }

  TGameHarness Game;
};

TEST_F(NameEntry, PanelOpensAfterTheWaitWithTheScoreSendingOnAndEditingOnWithoutAName) {
  GameOver(2200, false);
  Game.RunFor(4900);
  EXPECT_EQ(Game.Count<TEnter_Name>(), 0);
  Game.RunFor(200);
  ASSERT_EQ(Game.Count<TEnter_Name>(), 1);
  EXPECT_TRUE(Form().GameEnterName.Checked);
  EXPECT_TRUE(Form().GameSendResult.Checked);
  EXPECT_TRUE(Form().GamegoEdit.Checked);
  ASSERT_EQ(Game.Count<TEnter_Name_Send>(), 1);
  const TEnter_Name_Send& marker = *Form().FindFirst<TEnter_Name_Send>();
  EXPECT_EQ(marker.X, 150);
  EXPECT_EQ(marker.Y, 377);

  // The score in "Health_" digits, centred on x 400 at y 197.
  const std::vector<Cifra*> digits = Digits();
  ASSERT_EQ(digits.size(), 4u);
  double width = 0;
  for (const char d : std::string("2200")) width += Form().Find(std::string("Health_") + d).Width();
  double pen = 400 - width / 2;
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(digits[i]->X, pen) << i;
    EXPECT_DOUBLE_EQ(digits[i]->Y, 197) << i;
    pen += Form().Find(std::string("Health_") + "2200"[i]).Width();
  }

  const TEnter_Name& panel = *Form().FindFirst<TEnter_Name>();
  EXPECT_EQ(panel.Z(), 0);
  EXPECT_DOUBLE_EQ(panel.X, (800 - panel.Width) / 2.0);
  EXPECT_DOUBLE_EQ(panel.Y, (600 - panel.Height) / 2.0);
}

TEST_F(NameEntry, KeysTypeUpToTenCapitalsAndEnterWantsAName) {
  GameOver(2200);
  Game.Key(VK_RETURN);
  Game.Frames(1);
  EXPECT_EQ(Form().CurrentScreen, scGameOver) << "no name yet";

  Game.Key(VK_BACK);
  EXPECT_EQ(Form().Edit2.Text, "");
  Game.Type("abcdefghijkl");
  EXPECT_EQ(Form().Edit2.Text, "ABCDEFGHIJ");
  for (const uint16_t key : {uint16_t{'1'}, uint16_t{' '}, uint16_t{186}, uint16_t{64}, uint16_t{91}}) Game.Key(key);
  Game.Key(VK_BACK);
  EXPECT_EQ(Form().Edit2.Text, "ABCDEFGHI");
  Game.Key('Q', {true, false, false});
  EXPECT_EQ(Form().Edit2.Text, "ABCDEFGHIQ");
  Game.Frames(1);
  EXPECT_EQ(Form().PlayerName, "ABCDEFGHIQ");
}

TEST_F(NameEntry, EnterSubmitsTheResultThenShowsTheTable) {
  Form().Edit1.Text = "HELLO";
  GameOver(2200);
  Game.Type("ANN");
  Game.Frames(1);
  Game.Http().QueueBody("OK|a|b|c|d|e");
  Game.Http().QueueBody("thanks");
  Game.Key(VK_RETURN);

  EXPECT_EQ(Form().CurrentScreen, scHighScores);
  EXPECT_EQ(Form().HighScores[2].Name, "ANN");
  EXPECT_EQ(Form().HighScores[2].Score, 2200);
  EXPECT_FALSE(Form().GameEnterName.Checked);
  EXPECT_FALSE(Form().GamegoEdit.Checked);
  EXPECT_FALSE(Form().GameSendResult.Checked);
  const auto& requests = Game.Http().Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Url, std::string(ZarvokScoreServer) + "/cgi/version.pl?version&prg=Zarvok");
  const std::string record = std::string("type=0|name=ANN|score=2200|key=") + ZarvokScoreKey + "|p=d|add=HELLO|z=0";
  ASSERT_EQ(record.size() % 5, 0u);
  EXPECT_EQ(requests[1].Url, std::string(ZarvokScoreServer) + "/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record));
  EXPECT_TRUE(Game.Messages().empty());
  // The name stays for the next game; the table was stored on the way out.
  EXPECT_EQ(Form().Edit2.Text, "ANN");
}

TEST_F(NameEntry, AVersionQueryThatFailsTellsThePlayerAndTheTableStillTakesTheScore) {
  GameOver(2200);
  Game.Type("ANN");
  Game.Frames(1);
  Game.Http().QueueFailure();
  Game.Key(VK_RETURN);
  ASSERT_EQ(Game.Messages().size(), 1u);
  EXPECT_EQ(Game.Messages()[0].Text, "Can't connect to server!");
  EXPECT_EQ(Game.Http().Requests().size(), 1u);
  EXPECT_EQ(Form().HighScores[2].Name, "ANN");
  EXPECT_EQ(Form().CurrentScreen, scHighScores);
}

TEST_F(NameEntry, TheSendSwitchTogglesItsSingleMarkerAndDecidesOnSending) {
  GameOver(2200);
  Game.Click(180, 400);
  Game.Click(200, 390);
  Game.Frames(1);
  EXPECT_TRUE(Form().GameSendResult.Checked);
  EXPECT_EQ(Game.Count<TEnter_Name_Send>(), 1);

  Game.Click(150, 420);
  Game.Frames(1);
  EXPECT_FALSE(Form().GameSendResult.Checked);
  EXPECT_EQ(Game.Count<TEnter_Name_Send>(), 0);
  EXPECT_EQ(Game.Count<TEnter_Name>(), 1) << "the panel is no TMenu";

  Game.Type("JO");
  Game.Frames(1);
  Game.Key(VK_RETURN);
  EXPECT_EQ(Form().CurrentScreen, scHighScores);
  EXPECT_TRUE(Game.Http().Requests().empty());
  EXPECT_EQ(Form().HighScores[2].Name, "JO");
}

TEST_F(NameEntry, AKeptNameIsOfferedWithoutEditingAndClicksToggleIt) {
  Form().Edit2.Text = "KIM";
  GameOver(2200);
  EXPECT_FALSE(Form().GamegoEdit.Checked);
  Game.Type("X");
  EXPECT_EQ(Form().Edit2.Text, "KIM");

  Game.Click(400, 350);  // the name line
  EXPECT_TRUE(Form().GamegoEdit.Checked);
  Game.Type("A");
  EXPECT_EQ(Form().Edit2.Text, "KIMA");
  Game.Click(700, 100);  // anywhere else ends editing of a name that is not empty
  EXPECT_FALSE(Form().GamegoEdit.Checked);
  Game.Click(400, 350);  // on the line: any click first ends editing, then the line toggles it on
  EXPECT_TRUE(Form().GamegoEdit.Checked);
  Game.Click(400, 350);
  EXPECT_TRUE(Form().GamegoEdit.Checked);
}

TEST_F(NameEntry, EnterBeforeThePanelUsesTheNameFromBefore) {
  Form().Edit2.Text = "KIM";
  Form().PlayerName = "KIM";
  GameOver(2200, false);
  Game.Http().QueueFailure();
  Game.Key(VK_RETURN);
  EXPECT_EQ(Form().CurrentScreen, scHighScores);
  EXPECT_EQ(Form().HighScores[2].Name, "KIM");
  EXPECT_TRUE(Game.Http().Requests().empty()) << "sending is switched on by the panel only";
}

TEST_F(NameEntry, AScoreThatDoesNotBeatTheTenthGetsNoPanel) {
  GameOver(100, false);
  Game.Key(VK_ESCAPE);
  EXPECT_EQ(Form().CurrentScreen, scGameOver) << "not before the 5 s are over";
  Game.RunFor(5100);
  EXPECT_EQ(Game.Count<TEnter_Name>(), 0);
  EXPECT_FALSE(Form().GameEnterName.Checked);
  Game.Type("AB");
  EXPECT_EQ(Form().Edit2.Text, "");
  Game.Key(VK_RETURN);
  EXPECT_EQ(Form().CurrentScreen, scMainMenu);
  EXPECT_EQ(Form().HighScores[9].Score, 100);
}

}  // namespace
