#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "BuildConfig.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "scores/HttpClient.h"
#include "server/ScoreServer.h"
#include "support/GameHarness.h"

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
    Server = std::make_unique<TScoreServer>(options, &Log, Clock);
    Port = Server->Bind();
    Serving = std::thread([this] { Server->Listen(); });
    Transport = std::make_unique<TRedirectedTransport>("http://127.0.0.1:" + std::to_string(Port));
    Game.Form().HttpClient1 = std::make_unique<THttpClient>(Transport.get());
  }
  void TearDown() override {
    // The game's connection goes first, so the server has no open connection to wait out.
    Game.Form().HttpClient1.reset();
    Transport.reset();
    Server->Stop();
    Serving.join();
    Server.reset();
    std::filesystem::remove_all(Folder);
  }

  std::string TablePage() {
    httplib::Client client("127.0.0.1", Port);
    auto page = client.Get("/cgi/version.pl?prg=Zarvok&show&type=0");
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

  const std::string page = TablePage();
  EXPECT_NE(page.find(">VIPER<"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"score\">987654</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"add\">HOLDFAST</td>"), std::string::npos);
}

TEST_F(GameSubmission, AnAdditionalTextTheServerRefusesStoresNothingAndTheGameGoesOn) {
  // Config.cfg may hold any extra text; the server takes capital letters only.
  FinishGameAs("ANNA", 5000, "NO 1");
  EXPECT_EQ(Game.Form().CurrentScreen, scHighScores);
  EXPECT_TRUE(Game.Messages().empty()) << "a refused submission is dropped silently";
  EXPECT_EQ(Server->Store().Count(), 0);
  EXPECT_EQ(TablePage().find(">ANNA<"), std::string::npos);
}

}  // namespace
