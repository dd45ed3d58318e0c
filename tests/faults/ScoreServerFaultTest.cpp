#include <gtest/gtest.h>

#include <string>

#include "platform/headless/HeadlessHttpTransport.h"
#include "support/GameHarness.h"

namespace {

// Replies no server of ours sends: binary bytes, a version reply whose fifth field is huge or
// full of bytes the coder has no letter for, separators alone. Refusals, plain garbage and
// silence are tried in tests/scores. The game may say it cannot connect, but it sends at most the
// one submission, keeps the score in its table and goes on.
TEST(ScoreServerGarbage, OddRepliesNeverStopTheGame) {
  const std::string cases[] = {
      std::string("\0\xff\xfe|OK|||", 8),
      std::string("OK|") + std::string(4, '|') + std::string(100000, 'P'),
      std::string("OK|a|b|c|\0\x01\x02\xff|e", 15),
      "OK||||",
      std::string(300000, '|'),
  };
  for (const std::string& reply : cases) {
    SCOPED_TRACE(reply.substr(0, 16));
    TGameHarness game;
    TMainForm& form = game.Form();
    game.SkipSplash();
    form.Score = form.HighScores[0].Score + 10;
    form.SwitchScreen(scGameOver);
    game.RunFor(5100);
    game.Type("ANN");
    game.Frames(1);
    game.Http().QueueBody(reply);
    game.Http().QueueBody(reply);
    game.Key(VK_RETURN);

    EXPECT_LE(game.Http().Requests().size(), 2u);
    EXPECT_LE(game.Messages().size(), 1u);
    EXPECT_EQ(form.CurrentScreen, scHighScores);
    EXPECT_EQ(form.HighScores[0].Name, "ANN");
    game.Frames(10);
    if (game.Http().Requests().size() == 2) {
      // Whatever the server said goes back only as letters of the coder.
      const std::string& url = game.Http().Requests()[1].Url;
      const std::string coded = url.substr(url.find("inf=") + 4);
      EXPECT_EQ(coded.find_first_not_of("QWERTYUPASDFGHJKLZXCVBNM23456789"), std::string::npos) << coded.substr(0, 40);
    }
  }
}

}  // namespace
