#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "BuildConfig.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "scores/HttpClient.h"
#include "server/ScoreServer.h"
#include "support/GameHarness.h"
#include "support/RecordedGame.h"
#include "support/ScratchFolder.h"
#include "platform/replay/Replay.h"
#include "server/Pages.h"
#include "server/tests/PostgresTestDatabase.h"

namespace {

// The game's real libcurl transport, with the built-in server address turned to the test's server.
class TRedirectedTransport : public THttpTransport {
 public:
  explicit TRedirectedTransport(std::string base) : FBase(std::move(base)) {}
  std::string Get(const THttpRequest& request) override {
    THttpRequest redirected = request;
    const std::string configured = ZarvokScoreServer;
    if (redirected.Url.compare(0, configured.size(), configured) == 0) {
      redirected.Url = FBase + redirected.Url.substr(configured.size());
    }
    return FCurl.Get(redirected);
  }

 private:
  std::string FBase;
  TCurlHttpTransport FCurl;
};

// A player finishes a game, types a name and confirms it with sending on: the game's own
// SubmitScore talks to the real score server on loopback, and the score shows on its table page.
class GameSubmission : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = std::filesystem::temp_directory_path() / ("zarvok-game-server-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Folder);
    TServerOptions options;
    options.Port = 0;
    options.DataDir = Folder.string();
    options.Threads = 2;
    options.GameData = GameData;
    options.Database = Database;
    Server = std::make_unique<TScoreServer>(options, &Log, Clock);
    Port = Server->Bind();
    Serving = std::thread([this] { Server->Listen(); });
    Transport = std::make_unique<TRedirectedTransport>("http://127.0.0.1:" + std::to_string(Port));
    Game.Form().HttpClient1 = std::make_unique<THttpClient>(Transport.get());
  }
  void TearDown() override {
    if (!Server) return;  // skipped before it started
    StopServer();
    Server.reset();
    std::filesystem::remove_all(Folder);
  }

  // Ends serving; the log may be read after it, when no request thread writes to it any more.
  void StopServer() {
    if (!Serving.joinable()) return;
    // The game's connection goes first, so the server has no open connection to wait out.
    Game.Form().HttpClient1.reset();
    Transport.reset();
    Server->Stop();
    Serving.join();
  }

  // The verified scores, or with all every score.
  std::string TablePage(bool all = false) {
    httplib::Client client("127.0.0.1", Port);
    auto page = client.Get(std::string("/cgi/version.pl?prg=Zarvok&show&type=0") + (all ? "&all" : ""));
    return page && page->status == 200 ? page->body : "";
  }

  // Ends a game with score, waits for the name panel and enters name with Enter.
  void FinishGameAs(const std::string& name, int32_t score, const std::string& additional) {
    TMainForm& form = Game.Form();
    form.Edit1.Text = additional;
    Game.SkipSplash();
    form.Score = score;
    form.SwitchScreen(scGameOver);
    Game.RunFor(5100);
    ASSERT_TRUE(form.GameSendResult.Checked) << "sending starts checked";
    ASSERT_TRUE(form.GamegoEdit.Checked);
    Game.Type(name);
    Game.Frames(1);  // the frame copies the typed name into PlayerName
    Game.Key(VK_RETURN);
  }

  std::filesystem::path Folder;
  std::string GameData;  // the server checks no replays without it
  std::string Database;  // empty: SQLite in Folder
  TServerClock Clock;
  std::ostringstream Log;
  std::unique_ptr<TScoreServer> Server;
  int Port = 0;
  std::thread Serving;
  std::unique_ptr<TRedirectedTransport> Transport;
  TGameHarness Game;
};

TEST_F(GameSubmission, AConfirmedNameReachesTheOnlineTable) {
  FinishGameAs("VIPER", 987654, "HOLDFAST");
  EXPECT_EQ(Game.Form().CurrentScreen, scHighScores);
  EXPECT_TRUE(Game.Messages().empty()) << Game.Messages().front().Text;

  ASSERT_EQ(Server->Store().Count(), 1);
  const TScoreRow row = Server->Store().Top(1)[0];
  EXPECT_EQ(row.Name, "VIPER");
  EXPECT_EQ(row.Score, 987654);
  EXPECT_EQ(row.Additional, "HOLDFAST");

  // Sent without a replay (an older client, or a forged request), it is shown only among all
  // scores, marked unverified.
  EXPECT_FALSE(row.Verified);
  EXPECT_EQ(TablePage().find(">VIPER<"), std::string::npos);
  const std::string page = TablePage(true);
  EXPECT_NE(page.find(">VIPER<"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"score\">987654<span class=\"unverified\">unverified</span></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"add\">HOLDFAST</td>"), std::string::npos);
}

TEST_F(GameSubmission, AnAdditionalTextTheServerRefusesStoresNothingAndTheGameGoesOn) {
  // Config.cfg may hold any extra text; the server takes capital letters only.
  FinishGameAs("ANNA", 5000, "NO 1");
  EXPECT_EQ(Game.Form().CurrentScreen, scHighScores);
  EXPECT_TRUE(Game.Messages().empty()) << "a refused submission is dropped silently";
  EXPECT_EQ(Server->Store().Count(), 0);
  EXPECT_EQ(TablePage(true).find(">ANNA<"), std::string::npos);
}

// A game recorded as a player plays it, once for the tests below.
const TRecordedGame& RecordedGame() {
  static const TRecordedGame game = [] {
    TScratchFolder folder;
    folder.CopyGameData(ZARVOK_GAME_DIR);
    return RecordGame(ScriptedGame(20000));
  }();
  return game;
}

// The same, with a server that checks replays on the built game's data, keeping its scores and
// replays in SQLite or in a schema of its own in the test PostgreSQL server.
class VerifiedSubmission : public GameSubmission, public ::testing::WithParamInterface<std::string> {
 protected:
  VerifiedSubmission() { GameData = ZARVOK_GAME_DIR; }
  void SetUp() override {
    if (GetParam() == "postgresql") {
      const std::string reason = TPostgresTestDatabase::SkipReason();
      if (!reason.empty()) GTEST_SKIP() << reason;
      FDatabase = std::make_unique<TPostgresTestDatabase>();
      Database = FDatabase->Address();
    }
    GameSubmission::SetUp();
  }
  void TearDown() override {
    GameSubmission::TearDown();
    FDatabase.reset();
  }

  std::unique_ptr<TPostgresTestDatabase> FDatabase;
};

INSTANTIATE_TEST_SUITE_P(Backends, VerifiedSubmission, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST_P(VerifiedSubmission, AGamePlayedToItsScoreIsVerifiedAndLinksItsReplay) {
  const TRecordedGame& game = RecordedGame();
  ASSERT_TRUE(game.Ended);
  ASSERT_GT(game.Score, 0);
  const std::string replay = WriteReplay(game.Replay);
  Game.Form().LastGameReplay = [&replay] { return replay; };
  FinishGameAs("ACE", game.Score, "");
  ASSERT_NE(Server->Verifier(), nullptr);
  Server->Verifier()->WaitIdle();

  ASSERT_EQ(Server->Store().Count(), 1);
  const TScoreRow row = Server->Store().Top(1)[0];
  EXPECT_TRUE(row.Verified) << Log.str();
  const std::string page = TablePage();
  EXPECT_NE(page.find(">ACE<"), std::string::npos);
  const std::string link = "href=\"" + ReplayAddress(row.Id) + "\"";
  ASSERT_NE(page.find(link), std::string::npos);

  httplib::Client client("127.0.0.1", Port);
  const auto file = client.Get(ReplayAddress(row.Id));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->body, replay) << "the linked file is the replay as sent";
}

TEST_P(VerifiedSubmission, AReplayOfAnotherScoreLeavesTheScoreUnverified) {
  const TRecordedGame& game = RecordedGame();
  const std::string replay = WriteReplay(game.Replay);
  Game.Form().LastGameReplay = [&replay] { return replay; };
  FinishGameAs("LIAR", game.Score + 1000, "");
  Server->Verifier()->WaitIdle();
  ASSERT_EQ(Server->Store().Count(), 1);
  EXPECT_FALSE(Server->Store().Top(1)[0].Verified);
  EXPECT_EQ(TablePage().find(">LIAR<"), std::string::npos);
  EXPECT_NE(TablePage(true).find(">LIAR<"), std::string::npos);
  StopServer();
  EXPECT_NE(Log.str().find("the replay claims"), std::string::npos) << Log.str();
}

// A replay kept by an instance that stopped before checking it (or whose queue was full) is found
// by a later sweep of any instance, once its score is older than the lease; a fresh one is left to
// the instance it was sent to.
TEST_P(VerifiedSubmission, AReplayItsInstanceNeverCheckedIsCheckedByALaterSweep) {
  const TRecordedGame& game = RecordedGame();
  const std::string replay = WriteReplay(game.Replay);
  TScoreStore& store = Server->Store();
  Server->Verifier()->WaitIdle();
  const int64_t now = Clock.UnixSeconds();
  struct TCase {
    const char* Name;
    int64_t Age;
    bool Verified;
  };
  const TCase cases[] = {{"LEFT", 3600, true}, {"FRESH", 60, false}};
  for (const TCase& c : cases) {
    store.AddToken(c.Name, now + 600);
    TSubmission submission;
    submission.Name = c.Name;
    submission.Score = game.Score;
    ASSERT_TRUE(store.AddWithToken(c.Name, submission, now - c.Age));
    ASSERT_TRUE(store.AddReplay(c.Name, replay));
  }
  Server->Verifier()->Sweep();
  Server->Verifier()->WaitIdle();
  const std::vector<TScoreRow> rows = store.Top(10);
  ASSERT_EQ(rows.size(), 2u);
  for (const TCase& c : cases) {
    const auto row = std::find_if(rows.begin(), rows.end(), [&c](const TScoreRow& r) { return r.Name == c.Name; });
    ASSERT_NE(row, rows.end()) << c.Name;
    EXPECT_EQ(row->Verified, c.Verified) << c.Name << "\n" << Log.str();
  }
}

// What the replay address answers to what is not a good replay of a stored score.
TEST_P(VerifiedSubmission, HostileReplaysAreRefusedWithTheirReason) {
  httplib::Client client("127.0.0.1", Port);
  const std::string good = WriteReplay(RecordedGame().Replay);
  struct TCase {
    const char* Name;
    std::string Token;
    std::string Body;
    int Status;
    const char* Reason;
  };
  const TCase cases[] = {
      {"no score with the token", "NOSUCHTOKEN", good, 404, "no score without a replay"},
      {"cut short", "X", good.substr(0, good.size() / 2), 400, "truncated"},
      {"not a replay", "X", "hello", 400, "not a replay file"},
      // Larger bodies still are refused by the connection front before they arrive.
      {"over 1 MB", "X", good + std::string(MaxReplayBytes + 1 - good.size(), 'x'), 413, "larger than 1 MB"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto answer = client.Post("/cgi/replay?prg=Zarvok&p=" + c.Token, c.Body, "application/octet-stream");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, c.Status);
    EXPECT_NE(answer->body.find(c.Reason), std::string::npos) << answer->body;
  }
  EXPECT_EQ(Server->Store().Count(), 0);
}

}  // namespace
