#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "server/ScoreServer.h"

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
              << options.DataDir << ", key " << options.Key << ", " << options.RateLimit
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
