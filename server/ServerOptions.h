#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "BuildConfig.h"

class EServerOptionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How the score server is started; every field has a command-line option.
struct TServerOptions {
  std::string Address = "127.0.0.1";
  int32_t Port = 8642;
  char Key = ZarvokScoreKey;  // the letter the game is built with
  std::string DataDir = "score-data";
  std::string Database;     // empty: SQLite in DataDir; else a postgresql:// address
  std::string MigrateFrom;  // a SQLite file whose scores go into Database, then the server ends
  std::string StaticDir;  // empty: the static folder of the source tree
  int32_t RateLimit = 10;  // submissions per address and minute, 0 for none
  int32_t Threads = 16;
  int32_t MaxConnectionsPerAddress = 8;  // open connections one client address may hold
  std::string TrustedProxy;  // a reverse proxy whose X-Forwarded-For is believed; empty for none
  bool Log = true;
  bool Help = false;
};

// Reads "--port 9000" style options; raises EServerOptionsError on anything it does not know.
TServerOptions ParseServerOptions(const std::vector<std::string>& arguments);
std::string ServerUsage();
