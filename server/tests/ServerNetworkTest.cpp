// The server at the socket: slow, idle, crowded, broken and pipelined clients, ranges, static files,
// the headers every answer carries, and client addresses behind a proxy.

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "server/ScoreServer.h"
#include "server/tests/FakeServerClock.h"
#include "server/tests/RawClient.h"

namespace {

using namespace std::chrono_literals;

// Joins by appending, which also keeps GCC's overlap warning on "text" + string quiet.
template <typename... TParts>
std::string Join(const TParts&... parts) {
  std::string joined;
  ((joined += parts), ...);
  return joined;
}

std::string Request(std::string_view target, std::string_view extraHeaders = "") {
  return Join("GET ", target, " HTTP/1.1\r\nHost: zarvok\r\n", extraHeaders, "Connection: close\r\n\r\n");
}

int StatusOf(const std::string& response) {
  if (response.rfind("HTTP/1.1 ", 0) != 0 || response.size() < 12) return 0;
  return std::stoi(response.substr(9, 3));
}

size_t Count(const std::string& text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// A real server on a free loopback port with a small static folder: a 1000-byte picture, a link to
// it, and a link that leads out of the folder to a file beside the database.
class ServerNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = std::filesystem::temp_directory_path() /
             ("zarvok-net-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder / "static" / "screenshots");
    std::filesystem::create_directories(Folder / "outside");
    std::string picture;
    for (int i = 0; i < 1000; ++i) picture.push_back(static_cast<char>('a' + i % 26));
    std::ofstream(Folder / "static" / "a.png", std::ios::binary) << picture;
    std::ofstream(Folder / "outside" / "secret.png") << "the secret";
    std::filesystem::create_symlink(Folder / "static" / "a.png", Folder / "static" / "inside.png");
    std::filesystem::create_symlink(Folder / "outside" / "secret.png", Folder / "static" / "leak.png");
    std::filesystem::create_directory_symlink(Folder / "outside", Folder / "static" / "door");
    Options.Port = 0;
    Options.DataDir = (Folder / "data").string();
    Options.StaticDir = (Folder / "static").string();
    Options.Threads = 4;
  }
  void Start() {
    Server = std::make_unique<TScoreServer>(Options, &Log, Clock);
    Port = Server->Bind();
    Serving = std::thread([this] { Server->Listen(); });
  }
  void TearDown() override {
    StopServer();
    std::filesystem::remove_all(Folder);
  }
  // After this every request has been answered and logged.
  void StopServer() {
    if (Server) Server->Stop();
    if (Serving.joinable()) Serving.join();
    Server.reset();
  }
  // One request with Connection: close from the given address; the whole response.
  std::string Ask(const std::string& from, std::string_view target, std::string_view extraHeaders = "") {
    TRawClient client(from, Port);
    EXPECT_TRUE(client.Send(Request(target, extraHeaders)));
    return client.ReadUntilClosed(10s);
  }

  std::filesystem::path Folder;
  TServerOptions Options;
  TFakeServerClock Clock;
  std::ostringstream Log;
  std::unique_ptr<TScoreServer> Server;
  int Port = 0;
  std::thread Serving;
};

// Idle and trickling connections must not hold the request threads: a player arriving after 200
// silent connections and 16 that send a header byte now and then is answered at once, and the
// tricklers are cut off after a few seconds.
TEST_F(ServerNetworkTest, SlowAndIdleClientsDoNotStallOthers) {
  Start();
  std::vector<std::unique_ptr<TRawClient>> idle;
  for (int i = 0; i < 200; ++i) {
    idle.push_back(std::make_unique<TRawClient>(Join("127.1.", std::to_string(i / 8), ".1"), Port));
  }
  const std::string head = Request("/");
  std::atomic<int> cutOff{0};
  std::vector<std::thread> tricklers;
  for (int i = 0; i < 16; ++i) {
    tricklers.emplace_back([&, i] {
      TRawClient client(Join("127.2.0.", std::to_string(i + 1)), Port);
      for (size_t sent = 0; sent < 60; ++sent) {
        if (!client.Send(head.substr(sent % 10, 1)) || client.HeardFromServer()) {
          ++cutOff;
          return;
        }
        std::this_thread::sleep_for(500ms);
      }
    });
  }
  std::this_thread::sleep_for(1500ms);  // every trickler has sent a few bytes

  const auto asked = std::chrono::steady_clock::now();
  const std::string answer = Ask("127.0.0.2", "/cgi/version.pl?version&prg=Zarvok");
  const double latency = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
  std::cout << "normal client answered in " << latency << " ms beside 200 idle and 16 trickling connections\n";
  RecordProperty("normal_client_ms", std::to_string(latency));
  EXPECT_EQ(StatusOf(answer), 200) << answer;
  EXPECT_NE(answer.find("\r\n\r\nOK|"), std::string::npos) << answer;

  for (std::thread& trickler : tricklers) trickler.join();
  EXPECT_EQ(cutOff, 16) << "a request head that takes for ever is cut off";
}

// One address may hold only a few connections; the next is refused at once while other addresses
// are still served.
TEST_F(ServerNetworkTest, RefusesTooManyConnectionsFromOneAddress) {
  Options.MaxConnectionsPerAddress = 4;
  Start();
  std::vector<std::unique_ptr<TRawClient>> held;
  for (int i = 0; i < 4; ++i) held.push_back(std::make_unique<TRawClient>("127.0.0.4", Port));
  TRawClient oneTooMany("127.0.0.4", Port);
  const std::string refusal = oneTooMany.ReadUntilClosed(10s);
  EXPECT_EQ(StatusOf(refusal), 429) << refusal;
  EXPECT_NE(refusal.find("Retry-After: "), std::string::npos) << refusal;
  EXPECT_EQ(StatusOf(Ask("127.0.0.5", "/site.css")), 200);
  held.clear();
  // Closed connections no longer count.
  for (int attempt = 0; attempt < 50 && StatusOf(Ask("127.0.0.4", "/site.css")) != 200; ++attempt) {
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ(StatusOf(Ask("127.0.0.4", "/site.css")), 200);
}

// A crowd connecting at once is queued by the system while the server is busy, not dropped: the
// listen backlog is far more than a handful.
TEST_F(ServerNetworkTest, ACrowdConnectingAtOnceIsQueued) {
  Server = std::make_unique<TScoreServer>(Options, &Log, Clock);
  Port = Server->Bind();  // bound and listening, but nothing is accepted yet
  std::vector<std::unique_ptr<TRawClient>> crowd;
  for (int i = 0; i < 100; ++i) {
    crowd.push_back(std::make_unique<TRawClient>(Join("127.3.0.", std::to_string(i + 1)), Port, false));
  }
  int connected = 0;
  for (auto& client : crowd) connected += client->Connected(3s) ? 1 : 0;
  EXPECT_EQ(connected, 100);
}

TEST_F(ServerNetworkTest, ASecondServerOnTheSamePortRefusesToStart) {
  Start();
  TServerOptions second = Options;
  second.Port = Port;
  second.DataDir = (Folder / "second").string();
  TScoreServer other(second, nullptr, Clock);
  EXPECT_THROW(other.Bind(), std::runtime_error);
}

// Requests sent back to back on one connection are each answered, in order.
TEST_F(ServerNetworkTest, AnswersPipelinedRequests) {
  Start();
  TRawClient client("127.0.0.1", Port);
  ASSERT_TRUE(client.Send(Join("GET /site.css HTTP/1.1\r\nHost: zarvok\r\n\r\n",
                               "GET /cgi/version.pl?version&prg=Zarvok HTTP/1.1\r\nHost: zarvok\r\n\r\n",
                               Request("/nothing"))));
  const std::string answers = client.ReadUntilClosed(10s);
  EXPECT_EQ(Count(answers, "HTTP/1.1 "), 3u) << answers;
  const size_t style = answers.find("HTTP/1.1 200");
  const size_t version = answers.find("OK|");
  const size_t missing = answers.find("HTTP/1.1 404");
  EXPECT_LT(style, version);
  EXPECT_LT(version, missing);
  EXPECT_NE(missing, std::string::npos);
}

// A body is read by the front before a thread is given the request; a client that waits to be
// asked for it (as curl does for bodies over 1 KB) is asked at once.
TEST_F(ServerNetworkTest, WaitsForBodiesAndAsksForThemWhenTold) {
  Start();
  TRawClient client("127.0.0.1", Port);
  ASSERT_TRUE(client.Send("POST /nothing HTTP/1.1\r\nHost: zarvok\r\nContent-Length: 5\r\n"
                          "Expect: 100-continue\r\nConnection: close\r\n\r\n"));
  std::string heard;
  for (int wait = 0; wait < 100 && heard.find("\r\n\r\n") == std::string::npos; ++wait) {
    heard += client.ReadUntilClosed(100ms);
  }
  EXPECT_EQ(heard.rfind("HTTP/1.1 100 Continue\r\n\r\n", 0), 0u) << heard;
  ASSERT_TRUE(client.Send("ab"));
  ASSERT_TRUE(client.Send("cde"));
  const std::string answer = client.ReadUntilClosed(10s);
  EXPECT_NE(answer.find("HTTP/1.1 404"), std::string::npos) << answer;
}

TEST_F(ServerNetworkTest, LogsTheClientAddressOfBrokenRequests) {
  Start();
  for (const char* broken : {"NONSENSE\r\n\r\n", "GET /a b HTTP/1.1\r\n\r\n", "GET / HTTP/9\r\n\r\n"}) {
    TRawClient client("127.0.0.6", Port);
    ASSERT_TRUE(client.Send(broken));
    EXPECT_EQ(StatusOf(client.ReadUntilClosed(10s)), 400) << broken;
  }
  StopServer();
  const std::string log = Log.str();
  EXPECT_EQ(Count(log, " 127.0.0.6 "), 3u) << log;
  EXPECT_EQ(Count(log, " 400 "), 3u) << log;
}

// Ranges may pick a few distinct parts of a file; overlapping or many ranges would let a small
// request build a huge response and are refused.
TEST_F(ServerNetworkTest, RangesAreLimited) {
  Start();
  std::string thousand = "bytes=0-999";
  for (int i = 1; i < 1000; ++i) thousand += ",0-999";
  std::string ten = "bytes=0-0";
  for (int i = 1; i < 10; ++i) ten += Join(",", std::to_string(i * 10), "-", std::to_string(i * 10));
  struct TCase {
    std::string Range;
    int Status;
  };
  for (const TCase& test : std::vector<TCase>{{"bytes=0-99", 206},
                                              {"bytes=900-", 206},
                                              {"bytes=-10", 206},
                                              {"bytes=0-9,20-29", 206},
                                              {"bytes=0-9,5-15", 416},
                                              {"bytes=20-29,0-9", 416},
                                              {thousand, 416},
                                              {ten, 416},
                                              {"bytes=5000-", 416},
                                              {"bytes=5000-6000", 416}}) {
    const std::string answer = Ask("127.0.0.1", "/static/a.png", Join("Range: ", test.Range, "\r\n"));
    EXPECT_EQ(StatusOf(answer), test.Status) << test.Range.substr(0, 40);
    EXPECT_LT(answer.size(), 2000u) << test.Range.substr(0, 40);
  }
}

// Static paths that try to change the type of a file or leave the folder through a link find
// nothing; links that stay inside work.
TEST_F(ServerNetworkTest, StaticFilesStayInTheirFolderAndKeepTheirType) {
  Start();
  httplib::Client client("127.0.0.1", Port);
  struct TCase {
    std::string Target;
    int Status;
    std::string Type;
  };
  for (const TCase& test : std::vector<TCase>{{"/static/a.png", 200, "image/png"},
                                              {"/static/inside.png", 200, "image/png"},
                                              {"/static/a.png%00.txt", 404, ""},
                                              {"/static/a.png%00.html", 404, ""},
                                              {"/static/leak.png", 404, ""},
                                              {"/static/door/secret.png", 404, ""},
                                              {"/static/../outside/secret.png", 404, ""},
                                              {"/static/%2e%2e/outside/secret.png", 404, ""},
                                              {"/static/screenshots", 404, ""}}) {
    auto answer = client.Get(test.Target.c_str());
    ASSERT_TRUE(answer) << test.Target;
    EXPECT_EQ(answer->status, test.Status) << test.Target;
    if (!test.Type.empty()) {
      EXPECT_EQ(answer->get_header_value("Content-Type"), test.Type) << test.Target;
    }
    EXPECT_EQ(answer->body.find("secret"), std::string::npos) << test.Target;
  }
}

TEST_F(ServerNetworkTest, EveryAnswerCarriesTheSafetyHeaders) {
  Start();
  httplib::Client client("127.0.0.1", Port);
  for (const char* target : {"/", "/site.css", "/static/a.png", "/nothing", "/cgi/version.pl?version&prg=Zarvok"}) {
    auto answer = client.Get(target);
    ASSERT_TRUE(answer) << target;
    EXPECT_EQ(answer->get_header_value("X-Content-Type-Options"), "nosniff") << target;
    EXPECT_NE(answer->get_header_value("Content-Security-Policy").find("default-src 'self'"), std::string::npos)
        << target;
    EXPECT_EQ(answer->get_header_value("Referrer-Policy"), "no-referrer") << target;
    const std::string type = answer->get_header_value("Content-Type");
    if (type.rfind("text/", 0) == 0) {
      EXPECT_NE(type.find("; charset=utf-8"), std::string::npos) << target;
    }
  }
}

// Static files can be cached and checked again cheaply: a request naming the version the browser
// has gets an empty "not modified".
TEST_F(ServerNetworkTest, StaticFilesCanBeCached) {
  Start();
  httplib::Client client("127.0.0.1", Port);
  auto first = client.Get("/static/a.png");
  ASSERT_TRUE(first);
  const std::string tag = first->get_header_value("ETag");
  const std::string modified = first->get_header_value("Last-Modified");
  ASSERT_FALSE(tag.empty());
  ASSERT_NE(modified.find(" GMT"), std::string::npos) << modified;
  EXPECT_FALSE(first->get_header_value("Cache-Control").empty());

  auto same = client.Get("/static/a.png", {{"If-None-Match", tag}});
  ASSERT_TRUE(same);
  EXPECT_EQ(same->status, 304);
  EXPECT_TRUE(same->body.empty());
  auto sinceThen = client.Get("/static/a.png", {{"If-Modified-Since", modified}});
  ASSERT_TRUE(sinceThen);
  EXPECT_EQ(sinceThen->status, 304);
  auto other = client.Get("/static/a.png", {{"If-None-Match", "\"something-else\""}});
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 200);
  EXPECT_EQ(other->body.size(), 1000u);
}

TEST_F(ServerNetworkTest, ARateLimitedClientIsToldWhenToComeBack) {
  Options.RateLimit = 1;
  Start();
  httplib::Client client("127.0.0.1", Port);
  ASSERT_TRUE(client.Get("/cgi/version.pl?hs&prg=Zarvok&inf=Q"));
  auto limited = client.Get("/cgi/version.pl?hs&prg=Zarvok&inf=Q");
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->status, 429);
  EXPECT_GT(std::atoi(limited->get_header_value("Retry-After").c_str()), 0);
}

// Behind a proxy every player arrives from the proxy's address; the player's own address is the
// last one the proxy added to X-Forwarded-For. Only the named proxy is believed.
TEST_F(ServerNetworkTest, ForwardedAddressesCountOnlyFromTheTrustedProxy) {
  Options.RateLimit = 1;
  Options.TrustedProxy = "127.0.0.1";
  Start();
  const std::string submit = "/cgi/version.pl?hs&prg=Zarvok&inf=Q";
  auto via = [&](const std::string& from, const std::string& forwarded) {
    return StatusOf(Ask(from, submit, Join("X-Forwarded-For: ", forwarded, "\r\n")));
  };
  EXPECT_EQ(via("127.0.0.1", "10.0.0.1"), 400);
  EXPECT_EQ(via("127.0.0.1", "10.0.0.2"), 400) << "another player behind the proxy";
  EXPECT_EQ(via("127.0.0.1", "10.0.0.1"), 429);
  EXPECT_EQ(via("127.0.0.1", "10.0.0.3, 10.0.0.1"), 429) << "the entry the proxy added counts, not a forged one";

  EXPECT_EQ(via("127.0.0.2", "10.0.0.4"), 400);
  EXPECT_EQ(via("127.0.0.2", "10.0.0.5"), 429) << "a client that is not the proxy cannot pick its address";
  StopServer();
  EXPECT_NE(Log.str().find(" 10.0.0.2 GET "), std::string::npos) << Log.str();
  EXPECT_NE(Log.str().find(" 127.0.0.2 GET "), std::string::npos) << Log.str();
  EXPECT_EQ(Log.str().find("10.0.0.4"), std::string::npos) << Log.str();
}

}  // namespace
