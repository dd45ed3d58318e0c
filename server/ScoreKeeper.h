#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "server/ScoreStore.h"
#include "server/ServerClock.h"
#include "server/TokenMaker.h"

// What the server sends back for one request.
struct TReply {
  int Status = 200;
  std::string ContentType = "text/plain; charset=utf-8";
  std::string Body;
};

// Answers the game's script address "/cgi/version.pl": the version query that hands out a token,
// the score submission, and the online table. Free of HTTP plumbing so tests and the fuzzer drive it.
// Everything it remembers is in the store, so any number of keepers may share one.
class TScoreKeeper {
 public:
  static constexpr std::string_view ServerVersion = "1.0";
  static constexpr std::string_view OldestClient = "1.0";
  static constexpr int32_t TableSize = 100;
  // The one answer to every refused submission: which field was wrong is for the log only.
  static constexpr std::string_view RefusedReply = "ERROR|score refused";

  // Receives one line (no newline) for the server's log: why a submission was refused, why the
  // store failed.
  using TLogSink = std::function<void(const std::string&)>;

  // A game that could not send its score asks for a new token next time, so an address may make a
  // few version queries per submission.
  static constexpr int32_t VersionQueriesPerSubmission = 3;

  // rateLimitPerMinute: submissions one address may make in any 60 s (and VersionQueriesPerSubmission
  // times as many version queries); 0 for no limit.
  TScoreKeeper(TScoreStore& store, const TServerClock& clock, char key, int32_t rateLimitPerMinute,
               TLogSink log = {});

  // target: the raw request target ("/cgi/version.pl?..."); clientAddress counts for the rate limit.
  TReply HandleScript(std::string_view target, const std::string& clientAddress);

  TReply Version(const std::string& clientAddress);
  TReply Submit(const std::string* coded, const std::string& clientAddress);
  TReply Table();

 private:
  TReply Refused(const std::string& clientAddress, const std::string& reason) const;
  TReply Unavailable(const EScoreStoreError& error) const;
  // Expired tokens and old attempts go about once a minute.
  void ForgetNowAndThen(int64_t now);

  TScoreStore& FStore;
  const TServerClock& FClock;
  char FKey;
  int32_t FRateLimit;
  TLogSink FLog;
  TTokenMaker FTokens;
  std::atomic<int64_t> FLastForget{0};
};
