#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/RateLimiter.h"
#include "server/ScoreStore.h"
#include "server/ServerClock.h"
#include "server/TokenBook.h"

// What the server sends back for one request.
struct TReply {
  int Status = 200;
  std::string ContentType = "text/plain; charset=utf-8";
  std::string Body;
};

// Answers the game's script address "/cgi/version.pl": the version query that hands out a token,
// the score submission, and the online table. Free of HTTP plumbing so tests and the fuzzer drive it.
class TScoreKeeper {
 public:
  static constexpr std::string_view ServerVersion = "1.0";
  static constexpr std::string_view OldestClient = "1.0";
  static constexpr int32_t TableSize = 100;

  // rateLimitPerMinute: submissions one address may make in any 60 s; 0 for no limit.
  TScoreKeeper(TScoreStore& store, const TServerClock& clock, char key, int32_t rateLimitPerMinute);

  // target: the raw request target ("/cgi/version.pl?..."); clientAddress counts for the rate limit.
  TReply HandleScript(std::string_view target, const std::string& clientAddress);

  TReply Version();
  TReply Submit(const std::string* coded, const std::string& clientAddress);
  TReply Table();

 private:
  TScoreStore& FStore;
  const TServerClock& FClock;
  char FKey;
  TTokenBook FTokens;
  TRateLimiter FLimiter;
};
