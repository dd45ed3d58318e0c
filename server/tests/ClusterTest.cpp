// Two server processes on one PostgreSQL database, under load from several clients, while one of
// them is killed or the database restarts: what was answered "OK" must be stored.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include "scores/TextCoder.h"
#include "server/PostgresScoreStore.h"
#include "server/tests/PostgresTestDatabase.h"

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// The server binary on a free port, its output in a file of its own.
class TServerInstance {
 public:
  TServerInstance(const std::string& database, const std::filesystem::path& log) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    FPid = fork();
    if (FPid == 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      execl(ZARVOK_SCORE_SERVER_BINARY, ZARVOK_SCORE_SERVER_BINARY, "--port", "0", "--database", database.c_str(),
            "--rate-limit", "0", "--threads", "8", "--quiet", static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(out);
    // "Zarvok score server on http://127.0.0.1:PORT/ ..." is the first line it writes.
    const TClock::time_point deadline = TClock::now() + 30s;
    while (FPort == 0 && TClock::now() < deadline && Alive()) {
      std::ifstream in(log);
      std::string line;
      while (std::getline(in, line)) {
        const size_t at = line.find("http://127.0.0.1:");
        if (at != std::string::npos) FPort = std::atoi(line.c_str() + at + 17);
      }
      if (FPort == 0) std::this_thread::sleep_for(20ms);
    }
  }
  ~TServerInstance() { Kill(); }
  TServerInstance(const TServerInstance&) = delete;
  TServerInstance& operator=(const TServerInstance&) = delete;

  int Port() const { return FPort; }
  bool Alive() {
    if (FPid <= 0) return false;
    if (waitpid(FPid, nullptr, WNOHANG) == FPid) FPid = -1;
    return FPid > 0;
  }
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

std::string TokenOf(const std::string& reply) {
  size_t from = 0;
  for (int i = 0; i < 4 && from != std::string::npos; ++i) {
    from = reply.find('|', from);
    if (from != std::string::npos) ++from;
  }
  return from == std::string::npos ? "" : reply.substr(from, reply.find('|', from) - from);
}

std::string Record(const std::string& name, const std::string& token) {
  std::string record = "type=0|name=" + name + "|score=7|key=Z|p=" + token + "|add=CLUSTER|z=";
  while (record.size() % 5 != 0) record += '0';
  return "/cgi/version.pl?hs&prg=Zarvok&inf=" + EncodeText(record);
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

// Clients that keep submitting, each spread over the instances the way a proxy does: a client whose
// instance does not answer at all goes on to the next one.
class TLoad {
 public:
  TLoad(std::vector<int> ports, int clients) : FPorts(std::move(ports)) {
    for (int c = 0; c < clients; ++c) FClients.emplace_back([this, c] { Run(c); });
  }
  ~TLoad() { Stop(); }

  void Stop() {
    FStop = true;
    for (std::thread& client : FClients) {
      if (client.joinable()) client.join();
    }
  }
  // Waits until count more submissions were acknowledged; false if that took beyond the deadline.
  bool WaitForAcknowledged(size_t more, std::chrono::seconds deadline) {
    const size_t target = Acknowledged().size() + more;
    const TClock::time_point end = TClock::now() + deadline;
    while (Acknowledged().size() < target) {
      if (TClock::now() > end) return false;
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }
  std::set<std::string> Acknowledged() const {
    std::lock_guard lock(FLock);
    return FAcknowledged;
  }
  int ServerErrors() const { return FServerErrors; }

 private:
  void Run(int c) {
    size_t port = static_cast<size_t>(c) % FPorts.size();
    auto client = std::make_unique<httplib::Client>("127.0.0.1", FPorts[port]);
    while (!FStop) {
      client->set_connection_timeout(2);
      client->set_read_timeout(5);
      const std::string name = NameOf(FCounter++);
      auto version = client->Get("/cgi/version.pl?version&prg=Zarvok");
      httplib::Result reply = version && version->status == 200 ? client->Get(Record(name, TokenOf(version->body)))
                                                                : std::move(version);
      if (!reply) {
        port = (port + 1) % FPorts.size();
        client = std::make_unique<httplib::Client>("127.0.0.1", FPorts[port]);
        std::this_thread::sleep_for(5ms);
        continue;
      }
      if (reply->status == 200 && reply->body == "OK") {
        std::lock_guard lock(FLock);
        FAcknowledged.insert(name);
      } else if (reply->status >= 500) {
        ++FServerErrors;
        std::this_thread::sleep_for(5ms);
      }
    }
  }

  std::vector<int> FPorts;
  std::atomic<bool> FStop{false};
  std::atomic<int> FCounter{0};
  std::atomic<int> FServerErrors{0};
  mutable std::mutex FLock;
  std::set<std::string> FAcknowledged;
  std::vector<std::thread> FClients;
};

class ClusterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string reason = TPostgresTestDatabase::SkipReason();
    if (!reason.empty()) GTEST_SKIP() << reason;
    Database = std::make_unique<TPostgresTestDatabase>();
    Folder = std::filesystem::temp_directory_path() / ("zarvok-cluster-" + std::to_string(getpid()));
    std::filesystem::create_directories(Folder);
    // The first instance creates the schema before the second starts.
    Start(0);
    Start(1);
  }
  void TearDown() override {
    Instances[0].reset();
    Instances[1].reset();
    Database.reset();
    std::filesystem::remove_all(Folder);
  }
  void Start(int n) {
    // A log of its own for each start: the port is read from its first line.
    const std::string log = "instance" + std::to_string(n) + "-" + std::to_string(++Starts) + ".log";
    Instances[n] = std::make_unique<TServerInstance>(Database->Address(), Folder / log);
    ASSERT_GT(Instances[n]->Port(), 0) << "instance " << n << " did not start: see " << Folder;
  }
  std::set<std::string> Stored() const {
    TPostgresScoreStore store(Database->Address(), 1);
    std::set<std::string> names;
    for (const TScoreRow& row : store.AllScores()) names.insert(row.Name);
    return names;
  }
  static int DatabaseServer(const char* action) {
    return std::system((std::string(ZARVOK_TEST_POSTGRES_SCRIPT) + " " + action + " " +
                        TPostgresTestDatabase::StateDir() + " >/dev/null 2>&1").c_str());
  }
  void ExpectAllStored(const std::set<std::string>& acknowledged) const {
    const std::set<std::string> stored = Stored();
    size_t lost = 0;
    for (const std::string& name : acknowledged) lost += stored.count(name) == 0;
    EXPECT_EQ(lost, 0u) << "of " << acknowledged.size() << " acknowledged scores";
  }

  std::unique_ptr<TPostgresTestDatabase> Database;
  std::filesystem::path Folder;
  std::unique_ptr<TServerInstance> Instances[2];
  int Starts = 0;
};

TEST_F(ClusterTest, ATokenFromOneInstanceIsRedeemedAtAnotherExactlyOnce) {
  httplib::Client first("127.0.0.1", Instances[0]->Port());
  httplib::Client second("127.0.0.1", Instances[1]->Port());
  constexpr int Tokens = 30;
  int stored = 0;
  for (int t = 0; t < Tokens; ++t) {
    auto version = (t % 2 == 0 ? first : second).Get("/cgi/version.pl?version&prg=Zarvok");
    ASSERT_TRUE(version && version->status == 200);
    const std::string target = Record(NameOf(t), TokenOf(version->body));
    // Both instances at once, each on a connection of its own.
    std::atomic<int> accepted{0};
    std::thread other([&] {
      httplib::Client client("127.0.0.1", Instances[1]->Port());
      auto reply = client.Get(target);
      if (reply && reply->body == "OK") ++accepted;
    });
    httplib::Client client("127.0.0.1", Instances[0]->Port());
    auto reply = client.Get(target);
    if (reply && reply->body == "OK") ++accepted;
    other.join();
    EXPECT_EQ(accepted.load(), 1) << "token " << t;
    stored += accepted.load();
  }
  EXPECT_EQ(Stored().size(), static_cast<size_t>(stored));

  // A token handed out before an instance is killed is good at the instance started after it.
  auto version = first.Get("/cgi/version.pl?version&prg=Zarvok");
  ASSERT_TRUE(version && version->status == 200);
  Instances[0]->Kill();
  Start(0);
  httplib::Client restarted("127.0.0.1", Instances[0]->Port());
  auto reply = restarted.Get(Record("AFTER", TokenOf(version->body)));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->body, "OK");
}

TEST_F(ClusterTest, KillingOneInstanceUnderLoadLosesNoAcknowledgedScore) {
  TLoad load({Instances[0]->Port(), Instances[1]->Port()}, 6);
  ASSERT_TRUE(load.WaitForAcknowledged(300, 60s));
  Instances[0]->Kill();
  EXPECT_TRUE(load.WaitForAcknowledged(300, 60s)) << "the other instance went on";
  load.Stop();
  EXPECT_TRUE(Instances[1]->Alive());
  ExpectAllStored(load.Acknowledged());
}

TEST_F(ClusterTest, ADatabaseRestartUnderLoadIsAnsweredWithErrorsThenRecovered) {
  TLoad load({Instances[0]->Port(), Instances[1]->Port()}, 6);
  ASSERT_TRUE(load.WaitForAcknowledged(200, 60s));
  ASSERT_EQ(DatabaseServer("down"), 0);
  std::this_thread::sleep_for(2s);
  const int errorsWhileDown = load.ServerErrors();
  const size_t acknowledgedWhileDown = load.Acknowledged().size();
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(load.Acknowledged().size(), acknowledgedWhileDown) << "nothing is acknowledged while the database is down";
  ASSERT_EQ(DatabaseServer("up"), 0);
  EXPECT_GT(errorsWhileDown, 0) << "the instances answer with errors while the database is down";
  EXPECT_TRUE(load.WaitForAcknowledged(200, 60s)) << "the instances recover by themselves";
  load.Stop();
  EXPECT_TRUE(Instances[0]->Alive());
  EXPECT_TRUE(Instances[1]->Alive());
  ExpectAllStored(load.Acknowledged());
}

}  // namespace
