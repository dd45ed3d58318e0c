#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "server/ScoreMigration.h"
#include "server/ScoreServer.h"
#include "server/SqliteScoreStore.h"

namespace {

// Copies a single server's SQLite table into the shared database.
int MigrateScores(const TServerOptions& options) {
  if (!IsPostgresAddress(options.Database)) {
    std::cerr << "zarvok-score-server: --migrate-from needs --database postgresql://...\n";
    return 2;
  }
  const TSqliteScoreStore source(options.MigrateFrom, false);
  const std::unique_ptr<TScoreStore> target = OpenScoreStore(options.Database, options.DataDir);
  const int64_t copied = CopyScores(source, *target);
  std::cout << "Copied " << copied << " scores from " << options.MigrateFrom << " to " << target->Where()
            << "; it now holds " << target->Count() << std::endl;
  return 0;
}

}  // namespace

// The score server's command line: parses the options, then serves until SIGINT or SIGTERM.
int main(int argc, char** argv) {
  TServerOptions options;
  try {
    options = ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const EServerOptionsError& error) {
    std::cerr << "zarvok-score-server: " << error.what() << "\n" << ServerUsage();
    return 2;
  }
  if (options.Help) {
    std::cout << ServerUsage();
    return 0;
  }
  if (!options.MigrateFrom.empty()) {
    try {
      return MigrateScores(options);
    } catch (const std::exception& error) {
      std::cerr << "zarvok-score-server: " << error.what() << "\n";
      return 1;
    }
  }

  // The signals are taken by one waiting thread instead of a handler, which would need a global.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    const TServerClock clock;
    TScoreServer server(options, &std::cout, clock);
    const int port = server.Bind();
    std::cout << "Zarvok score server on http://" << options.Address << ":" << port << "/ (data in "
              << server.Store().Where() << ", key " << options.Key << ", " << options.RateLimit
              << " submissions a minute per address)" << std::endl;
    std::thread([&server, stopSignals] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      server.Stop();
    }).detach();
    if (!server.Listen()) {
      std::cerr << "zarvok-score-server: serving failed\n";
      return 1;
    }
    std::cout << "Zarvok score server stopped" << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "zarvok-score-server: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
