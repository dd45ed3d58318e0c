#include "server/PlayFiles.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "server/ScoreServer.h"
#include "server/tests/FakeServerClock.h"

namespace {

std::filesystem::path ScratchFolder(const char* what) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("zarvok-play-" + std::to_string(::getpid()) + "-" + what + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Gzip(const std::string& bytes) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A browser build in miniature: a page, code with a gzip copy, data without one.
class PlayFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = ScratchFolder("files");
    WriteFile(Folder / "index.html", "<canvas></canvas>");
    WriteFile(Folder / "zarvok.wasm", Wasm);
    WriteFile(Folder / "zarvok.wasm.gz", Gzip(Wasm));
    WriteFile(Folder / "zarvok.data", "pictures");
    WriteFile(Folder / "zarvok.js", Script);
    WriteFile(Folder / "zarvok.js.gz", Gzip(Script));
    WriteFile(Folder / "sub" / "page.html", "deeper");
    WriteFile(Folder / ".hidden", "secret");
    WriteFile(Folder.parent_path() / ("outside-" + Folder.filename().string()), "outside");
  }
  void TearDown() override {
    std::filesystem::remove_all(Folder);
    std::filesystem::remove(Folder.parent_path() / ("outside-" + Folder.filename().string()));
  }

  const std::string Wasm = std::string("\0asm\1\0\0\0", 8) + std::string(4000, 'x');
  const std::string Script = "var Module = {};" + std::string(3000, ';');
  std::filesystem::path Folder;
};

TEST_F(PlayFilesTest, FindsTheFileItsTypeAndTheGzipCopyWhenAccepted) {
  struct TCase {
    const char* Name;
    const char* AcceptEncoding;
    const char* File;  // relative to the folder
    const char* Type;
    bool Gzip;
  } cases[] = {
      {"", "", "index.html", "text/html; charset=utf-8", false},
      {"sub/", "", "sub/index.html", nullptr, false},  // a folder without an index
      {"sub/page.html", "gzip", "sub/page.html", "text/html; charset=utf-8", false},
      {"zarvok.wasm", "gzip, deflate, br", "zarvok.wasm.gz", "application/wasm", true},
      {"zarvok.wasm", "deflate, br", "zarvok.wasm", "application/wasm", false},
      {"zarvok.wasm", "GZIP;q=0.5", "zarvok.wasm.gz", "application/wasm", true},
      {"zarvok.wasm", "gzip;q=0", "zarvok.wasm", "application/wasm", false},
      {"zarvok.wasm", "*", "zarvok.wasm.gz", "application/wasm", true},
      {"zarvok.data", "gzip", "zarvok.data", "application/octet-stream", false},
      // The server compresses text itself; its gzip copy would be packed twice.
      {"zarvok.js", "gzip", "zarvok.js", "text/javascript; charset=utf-8", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + " / " + c.AcceptEncoding);
    const auto found = FindPlayFile(Folder, c.Name, c.AcceptEncoding);
    if (c.Type == nullptr) {
      EXPECT_FALSE(found);
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Path, Folder / c.File);
    EXPECT_EQ(found->ContentType, c.Type);
    EXPECT_EQ(found->Gzip, c.Gzip);
  }
}

TEST_F(PlayFilesTest, RefusesNamesOutsideTheFolderHiddenNamesAndTheGzipCopiesThemselves) {
  const std::string outside = "outside-" + Folder.filename().string();
  for (const std::string& name : {"../" + outside, "sub/../../" + outside, Folder.string() + "/index.html",
                                 std::string(".hidden"), std::string("sub/./page.html"),
                                 std::string("zarvok.wasm.gz"),
                                 std::string("missing.js"), std::string("..\\index.html")}) {
    EXPECT_FALSE(FindPlayFile(Folder, name, "gzip")) << name;
  }
}

TEST(PlayContentType, GivesTheBrowsersTypesByExtension) {
  EXPECT_EQ(PlayContentType("a/zarvok.wasm"), "application/wasm");
  EXPECT_EQ(PlayContentType("zarvok.JS"), "text/javascript; charset=utf-8");
  EXPECT_EQ(PlayContentType("zarvok.data"), "application/octet-stream");
  EXPECT_EQ(PlayContentType("noextension"), "application/octet-stream");
}

// The real server with --play: what a browser gets over the wire.
class PlayServerTest : public PlayFilesTest {
 protected:
  void SetUp() override {
    PlayFilesTest::SetUp();
    Data = ScratchFolder("data");
    TServerOptions options;
    options.Port = 0;
    options.DataDir = Data.string();
    options.StaticDir = Data.string();
    options.PlayDir = Folder.string();
    options.Threads = 2;
    Server = std::make_unique<TScoreServer>(options, nullptr, Clock);
    Port = Server->Bind();
    Serving = std::thread([this] { Server->Listen(); });
  }
  void TearDown() override {
    Server->Stop();
    if (Serving.joinable()) Serving.join();
    Server.reset();
    std::filesystem::remove_all(Data);
    PlayFilesTest::TearDown();
  }

  std::filesystem::path Data;
  TFakeServerClock Clock;
  std::unique_ptr<TScoreServer> Server;
  int Port = 0;
  std::thread Serving;
};

TEST_F(PlayServerTest, SendsTheGzipCopyWithItsEncodingAndThePlainFileToOthers) {
  httplib::Client raw("127.0.0.1", Port);
  raw.set_decompress(false);
  auto compressed = raw.Get("/play/zarvok.wasm", {{"Accept-Encoding", "gzip"}});
  ASSERT_TRUE(compressed);
  EXPECT_EQ(compressed->status, 200);
  EXPECT_EQ(compressed->get_header_value("Content-Type"), "application/wasm");
  EXPECT_EQ(compressed->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(compressed->body, Gzip(Wasm));

  auto plain = raw.Get("/play/zarvok.wasm", {{"Accept-Encoding", "identity"}});
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->has_header("Content-Encoding"));
  EXPECT_EQ(plain->body, Wasm);

  // A client that unpacks what it is sent gets the page and the code exactly.
  httplib::Client browser("127.0.0.1", Port);
  auto page = browser.Get("/play/", {{"Accept-Encoding", "gzip, br"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body, "<canvas></canvas>");
  auto code = browser.Get("/play/zarvok.wasm", {{"Accept-Encoding", "gzip, br"}});
  ASSERT_TRUE(code);
  EXPECT_EQ(code->body, Wasm);
  // Text is a type the HTTP library compresses on its own: a gzip copy must not be packed twice.
  auto script = browser.Get("/play/zarvok.js", {{"Accept-Encoding", "gzip, br"}});
  ASSERT_TRUE(script);
  EXPECT_EQ(script->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  EXPECT_EQ(script->body, Script);

  EXPECT_EQ(raw.Get("/play/../index.html")->status, 404);
  EXPECT_EQ(raw.Get("/play/missing.js")->status, 404);
  auto bare = raw.Get("/play");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->status, 302);
  EXPECT_EQ(bare->get_header_value("Location"), "/play/");
}

TEST_F(PlayServerTest, TheSitePageLinksToTheGameOnlyWhenItIsServed) {
  httplib::Client client("127.0.0.1", Port);
  auto site = client.Get("/");
  ASSERT_TRUE(site);
  EXPECT_NE(site->body.find("<a class=\"button\" href=\"/play/\">Play in your browser</a>"), std::string::npos);

  TServerOptions options;
  options.Port = 0;
  options.DataDir = (Data / "other").string();
  options.StaticDir = Data.string();
  options.Threads = 1;
  TScoreServer withoutPlay(options, nullptr, Clock);
  const int port = withoutPlay.Bind();
  std::thread serving([&] { withoutPlay.Listen(); });
  httplib::Client other("127.0.0.1", port);
  auto plainSite = other.Get("/");
  auto play = other.Get("/play/");
  withoutPlay.Stop();
  serving.join();
  ASSERT_TRUE(plainSite);
  EXPECT_EQ(plainSite->body.find("Play in your browser"), std::string::npos);
  ASSERT_TRUE(play);
  EXPECT_EQ(play->status, 404);
}

}  // namespace
