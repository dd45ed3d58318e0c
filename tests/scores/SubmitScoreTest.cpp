#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BuildConfig.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "scores/HttpClient.h"
#include "scores/LoopbackHttpServer.h"
#include "scores/ScoreService.h"
#include "scores/TextCoder.h"
#include "support/GameHarness.h"

namespace {

// The real libcurl transport, with the configured score server swapped for the test's own.
class TRedirectedTransport : public THttpTransport {
 public:
  explicit TRedirectedTransport(std::string base) : FBase(std::move(base)) {}
  std::string Get(const THttpRequest& request) override {
    THttpRequest redirected = request;
    const std::string configured = ZarvokScoreServer;
    if (redirected.Url.compare(0, configured.size(), configured) == 0)
      redirected.Url = FBase + redirected.Url.substr(configured.size());
    return FCurl.Get(redirected);
  }

 private:
  std::string FBase;
  TCurlHttpTransport FCurl;
};

class SubmitScore : public ::testing::Test {
 protected:
  void Connect(const std::string& base, uint32_t timeoutMs = 5000) {
    Transport = std::make_unique<TRedirectedTransport>(base);
    Game.Form().HttpClient1 = std::make_unique<THttpClient>(Transport.get());
    Game.Form().HttpClient1->SetTimeout(timeoutMs);
    Game.Form().Edit2.Text = "ANN";
    Game.Form().Edit1.Text = "";
    Game.Form().Score = 1234;
  }

  // The submission record the server would decode from the second request.
  std::string SentRecord() {
    const auto requests = Server.Requests();
    const std::string prefix = "/cgi/version.pl?hs&prg=Zarvok&inf=";
    if (requests.size() < 2 || requests[1].Target.compare(0, prefix.size(), prefix) != 0) return "(none)";
    return DecodeText(requests[1].Target.substr(prefix.size()));
  }

  TLoopbackHttpServer Server;
  std::unique_ptr<TRedirectedTransport> Transport;
  TGameHarness Game;
};

TEST_F(SubmitScore, AFullReplySendsItsFifthFieldBack) {
  Connect(Server.BaseAddress());
  Server.Queue({200, "OK|a|b|c|d|e", false, ""});
  Server.Queue({200, "stored", false, ""});
  Game.Form().SubmitScore();

  const auto requests = Server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Target, "/cgi/version.pl?version&prg=Zarvok");
  for (const auto& request : requests) {
    EXPECT_EQ(request.Method, "GET");
    EXPECT_EQ(request.Headers.at("accept"), "text/html, */*");
    EXPECT_EQ(request.Headers.at("user-agent"), "Mozilla/3.0 (compatible; Zarvok)");
    EXPECT_EQ(request.Headers.at("content-type"), "text/html");
  }
  EXPECT_EQ(SentRecord(), std::string("type=0|name=ANN|score=1234|key=") + ZarvokScoreKey + "|p=d|add=|z=0");
  EXPECT_TRUE(Game.Messages().empty());
}

TEST_F(SubmitScore, AReplyOfOKAloneSendsAnEmptyP) {
  Connect(Server.BaseAddress());
  Game.Form().Edit1.Text = "XY";
  Server.Queue({200, "OK", false, ""});
  Server.Queue({500, "", false, ""});  // the submission's answer is never looked at
  Game.Form().SubmitScore();
  EXPECT_EQ(SentRecord(), std::string("type=0|name=ANN|score=1234|key=") + ZarvokScoreKey + "|p=|add=XY|z=");
  EXPECT_TRUE(Game.Messages().empty());
}

TEST_F(SubmitScore, AVersionQueryThatFailsShowsTheMessageAndSendsNothing) {
  struct TCase {
    const char* What;
    TLoopbackHttpServer::TReply Reply;
  };
  const TCase cases[] = {
      {"status 500", {500, "OK|a|b|c|d|e", false, ""}},
      {"no OK", {200, "Service closed", false, ""}},
      {"lower-case ok", {200, "ok|a|b|c|d|e", false, ""}},
      {"never answers", {200, "", true, ""}},
  };
  for (const TCase& c : cases) {
    TLoopbackHttpServer server;
    Connect(server.BaseAddress(), 300);
    server.Queue(c.Reply);
    const size_t before = Game.Messages().size();
    Game.Form().SubmitScore();
    ASSERT_EQ(Game.Messages().size(), before + 1) << c.What;
    EXPECT_EQ(Game.Messages().back().Text, "Can't connect to server!") << c.What;
    EXPECT_EQ(server.Requests().size(), 1u) << c.What;
  }
}

TEST_F(SubmitScore, NoServerAtAllShowsTheMessage) {
  Connect("http://127.0.0.1:" + std::to_string(TLoopbackHttpServer::UnusedPort()));
  Game.Form().SubmitScore();
  ASSERT_EQ(Game.Messages().size(), 1u);
  EXPECT_EQ(Game.Messages()[0].Text, "Can't connect to server!");
}

TEST_F(SubmitScore, ASubmissionThatIsNeverAnsweredIsDroppedSilently) {
  Connect(Server.BaseAddress(), 300);
  Server.Queue({200, "OK|1|2|3|4|5", false, ""});
  Server.Queue({200, "", true, ""});
  Game.Form().SubmitScore();
  EXPECT_EQ(Server.Requests().size(), 2u);
  EXPECT_TRUE(Game.Messages().empty());
}

TEST(ScoreClient, TheFormAsksWithATenSecondLimit) {
  TGameHarness game;
  ASSERT_TRUE(game.Form().HttpClient1);
  EXPECT_EQ(game.Form().HttpClient1->Timeout(), 10000u);
}

}  // namespace
