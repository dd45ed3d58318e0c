#include "server/ScoreServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "scores/TextCoder.h"
#include "server/tests/FakeServerClock.h"

namespace {

// A real server on a free loopback port, in a scratch data folder, logging into a string.
class ScoreServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = std::filesystem::temp_directory_path() /
             ("zarvok-server-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Folder);
    TServerOptions options;
    options.Port = 0;
    options.DataDir = (Folder / "data").string();
    options.StaticDir = (Folder / "static").string();
    options.Threads = 4;
    std::filesystem::create_directories(Folder / "static" / "screenshots");
    Server = std::make_unique<TScoreServer>(options, &Log, Clock);
    Port = Server->Bind();
    Serving = std::thread([this] { Server->Listen(); });
    Client = std::make_unique<httplib::Client>("127.0.0.1", Port);
  }
  void TearDown() override {
    StopServer();
    Server.reset();
    std::filesystem::remove_all(Folder);
  }
  // After this every request has been answered and logged.
  void StopServer() {
    Client.reset();
    Server->Stop();
    if (Serving.joinable()) Serving.join();
  }

  std::filesystem::path Folder;
  TFakeServerClock Clock;
  std::ostringstream Log;
  std::unique_ptr<TScoreServer> Server;
  int Port = 0;
  std::thread Serving;
  std::unique_ptr<httplib::Client> Client;
};

TEST_F(ScoreServerTest, TheGamesRoundTripOverHttp) {
  auto version = Client->Get("/cgi/version.pl?version&prg=Zarvok");
  ASSERT_TRUE(version);
  ASSERT_EQ(version->status, 200);
  const std::string& body = version->body;
  ASSERT_EQ(body.substr(0, 2), "OK");
  const size_t fourth = body.find('|', body.find('|', body.find('|', body.find('|') + 1) + 1) + 1);
  const std::string token = body.substr(fourth + 1, body.find('|', fourth + 1) - fourth - 1);

  std::string record = "type=0|name=ANNA|score=4242|key=Z|p=" + token + "|add=HI|z=";
  while (record.size() % 5 != 0) record += '0';
  auto submitted = Client->Get(("/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record)).c_str());
  ASSERT_TRUE(submitted);
  EXPECT_EQ(submitted->status, 200);
  EXPECT_EQ(submitted->body, "OK");

  auto again = Client->Get(("/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record)).c_str());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 400);

  auto table = Client->Get("/cgi/version.pl?prg=Zarvok&show&type=0&all");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->status, 200);
  EXPECT_EQ(table->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(table->body.find("<td class=\"score\">4242<span class=\"unverified\">unverified</span></td>"), std::string::npos);
  EXPECT_EQ(Server->Store().Count(), 1);
}

TEST_F(ScoreServerTest, ConcurrentClientsEachStoreEveryScoreOnce) {
  StopServer();
  Server.reset();
  TServerOptions options;
  options.Port = 0;
  options.DataDir = (Folder / "busy").string();
  options.RateLimit = 0;
  options.Threads = 4;
  Server = std::make_unique<TScoreServer>(options, &Log, Clock);
  Port = Server->Bind();
  Serving = std::thread([this] { Server->Listen(); });

  constexpr int Clients = 4;
  constexpr int Each = 40;
  std::atomic<int> accepted{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < Clients; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client("127.0.0.1", Port);
      for (int i = 0; i < Each; ++i) {
        auto version = client.Get("/cgi/version.pl?version&prg=Zarvok");
        if (!version) continue;
        const std::string& body = version->body;
        size_t from = 0;
        for (int f = 0; f < 4; ++f) from = body.find('|', from) + 1;
        std::string record = "type=0|name=" + std::string(1, static_cast<char>('A' + c)) + "|score=" +
                             std::to_string(c * 1000 + i) + "|key=Z|p=" +
                             body.substr(from, body.find('|', from) - from) + "|add=|z=";
        while (record.size() % 5 != 0) record += '0';
        auto reply = client.Get(("/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record)).c_str());
        if (reply && reply->body == "OK") ++accepted;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(accepted, Clients * Each);
  const std::vector<TScoreRow> rows = Server->Store().Top(1000);
  ASSERT_EQ(rows.size(), static_cast<size_t>(Clients * Each));
  std::set<int32_t> scores;
  for (const TScoreRow& row : rows) scores.insert(row.Score);
  EXPECT_EQ(scores.size(), rows.size()) << "every score stored exactly once";
}

// A stop that arrives as serving begins (a signal at start-up, a test's quick tear-down) must
// still end Listen().
TEST(ScoreServerStop, EndsListenHoweverEarlyItComes) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-server-stop-" + std::to_string(::getpid()));
  TServerOptions options;
  options.Port = 0;
  options.DataDir = folder.string();
  options.Threads = 1;
  const TServerClock clock;
  for (int round = 0; round < 30; ++round) {
    TScoreServer server(options, nullptr, clock);
    server.Bind();
    std::thread serving([&server] { server.Listen(); });
    if (round % 3 == 1) std::this_thread::yield();
    if (round % 3 == 2) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    server.Stop();
    serving.join();
  }
  TScoreServer neverServed(options, nullptr, clock);
  neverServed.Bind();
  neverServed.Stop();
  EXPECT_TRUE(neverServed.Listen()) << "a stopped server does not start serving";
  std::filesystem::remove_all(folder);
}

TEST_F(ScoreServerTest, ServesTheSiteItsStyleAndAnErrorPage) {
  auto site = Client->Get("/");
  ASSERT_TRUE(site);
  EXPECT_EQ(site->status, 200);
  EXPECT_EQ(site->body.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(site->body.find("href=\"/cgi/version.pl?prg=Zarvok&amp;show&amp;type=0\""), std::string::npos);
  EXPECT_NE(site->body.find("placeholder"), std::string::npos) << "no screenshots yet";

  auto style = Client->Get("/site.css");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->status, 200);
  EXPECT_EQ(style->get_header_value("Content-Type"), "text/css; charset=utf-8");

  auto missing = Client->Get("/nothing/here");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_NE(missing->body.find("<!DOCTYPE html>"), std::string::npos);

  auto escape = Client->Get("/static/../data/scores.sqlite");
  ASSERT_TRUE(escape);
  EXPECT_NE(escape->status, 200) << "the database is not served";
}

TEST_F(ScoreServerTest, ShowsScreenshotsFoundInTheStaticFolder) {
  for (const char* name : {"02-main-menu.png", "01-battle.png", "notes.txt"}) {
    std::ofstream(Folder / "static" / "screenshots" / name) << "x";
  }
  auto site = Client->Get("/");
  ASSERT_TRUE(site);
  const std::string& page = site->body;
  EXPECT_EQ(page.find("placeholder.svg"), std::string::npos);
  EXPECT_NE(page.find("/static/screenshots/01-battle.png"), std::string::npos);
  EXPECT_LT(page.find("01-battle.png"), page.find("02-main-menu.png"));
  EXPECT_NE(page.find("<figcaption>Main menu</figcaption>"), std::string::npos);
  EXPECT_EQ(page.find("notes.txt"), std::string::npos);
  auto picture = Client->Get("/static/screenshots/01-battle.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->status, 200);
}

TEST_F(ScoreServerTest, LogsOneSafeLinePerRequest) {
  ASSERT_TRUE(Client->Get("/"));
  ASSERT_TRUE(Client->Get("/cgi/version.pl?version&prg=Zarvok"));
  ASSERT_TRUE(Client->Get("/x%0Afake%20line"));
  StopServer();
  const std::string log = Log.str();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
  EXPECT_NE(log.find("127.0.0.1 GET /cgi/version.pl?version&prg=Zarvok 200"), std::string::npos) << log;
  EXPECT_NE(log.find(" 404 "), std::string::npos) << log;
}

}  // namespace
