#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "scores/TextCoder.h"
#include "server/SqliteScoreStore.h"

namespace {

// The real server binary, killed with SIGKILL while clients keep submitting: every score it
// answered "OK" must still be in a database that passes SQLite's integrity check.
class ServerProcess {
 public:
  // Starts the server on a free port and reads the port from its first line.
  explicit ServerProcess(const std::filesystem::path& data) {
    int out[2];
    if (pipe(out) != 0) return;
    FPid = fork();
    if (FPid == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      const std::string dataText = data.string();
      execl(ZARVOK_SCORE_SERVER_BINARY, ZARVOK_SCORE_SERVER_BINARY, "--port", "0", "--data", dataText.c_str(),
            "--rate-limit", "0", "--quiet", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
    close(out[0]);
    // "Zarvok score server on http://127.0.0.1:PORT/ ..."
    const size_t colon = line.find(':', line.find("//"));
    if (colon != std::string::npos) FPort = std::atoi(line.c_str() + colon + 1);
  }
  ~ServerProcess() { Kill(); }
  int Port() const { return FPort; }
  void Kill() {
    if (FPid <= 0) return;
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
    FPid = -1;
  }

 private:
  pid_t FPid = -1;
  int FPort = 0;
};

std::string Submit(httplib::Client& client, const std::string& name) {
  auto version = client.Get("/cgi/version.pl?version&prg=Zarvok");
  if (!version || version->status != 200) return "";
  const std::string& body = version->body;
  size_t from = 0;
  for (int i = 0; i < 4; ++i) from = body.find('|', from) + 1;
  const std::string token = body.substr(from, body.find('|', from) - from);
  std::string record = "type=0|name=" + name + "|score=7|key=Z|p=" + token + "|add=|z=";
  while (record.size() % 5 != 0) record += '0';
  auto reply = client.Get(("/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record)).c_str());
  return reply ? reply->body : "";
}

// Names from a counter: letters only, as the server demands.
std::string NameOf(int n) {
  std::string name;
  do {
    name.push_back(static_cast<char>('A' + n % 26));
    n /= 26;
  } while (n > 0);
  return name;
}

TEST(ScoreServerCrash, AcknowledgedScoresSurviveKillNine) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-crash-" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  ServerProcess server(folder);
  const int port = server.Port();
  ASSERT_GT(port, 0) << "the server did not report its port";

  // Wait for the server to answer, then load it from four clients and kill it mid-stream.
  httplib::Client probe("127.0.0.1", port);
  bool up = false;
  for (int i = 0; i < 200 && !up; ++i) {
    up = static_cast<bool>(probe.Get("/site.css"));
    if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_TRUE(up) << "the server did not start on port " << port;

  std::mutex lock;
  std::set<std::string> acknowledged;
  std::atomic<int> counter{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", port);
      client.set_read_timeout(2);
      while (!stop) {
        const std::string name = NameOf(counter++);
        if (Submit(client, name) == "OK") {
          std::lock_guard guard(lock);
          acknowledged.insert(name);
        }
      }
    });
  }
  while (counter < 400) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  server.Kill();
  stop = true;
  for (std::thread& client : clients) client.join();
  ASSERT_GT(acknowledged.size(), 100u);

  const std::string file = (folder / "scores.sqlite").string();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);

  TSqliteScoreStore store(file);
  std::set<std::string> stored;
  for (const TScoreRow& row : store.Top(1'000'000)) stored.insert(row.Name);
  for (const std::string& name : acknowledged) EXPECT_EQ(stored.count(name), 1u) << name << " was lost";
  std::filesystem::remove_all(folder);
}

}  // namespace
