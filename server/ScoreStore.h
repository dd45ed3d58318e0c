#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "server/SubmissionRecord.h"

// Raised when the database cannot do what was asked (unreachable, full, gone); the caller answers
// with an error and nothing is half done.
class EScoreStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One line of the online table.
struct TScoreRow {
  int32_t Rank = 0;
  std::string Name;
  int32_t Score = 0;
  std::string Additional;
  int64_t Submitted = 0;  // seconds since 1970-01-01 UTC
  int64_t Id = 0;         // the score's key in the store
  bool Verified = false;  // its game was played again from its replay and reached it
  std::string Token;      // the token it came with; read by AllScores only, for moving a table
};

// The score a replay was sent for.
struct TReplayTarget {
  int64_t ScoreId = 0;
  int32_t Score = 0;
};

// Everything the score server keeps: the scores, the one-time tokens with their expiry and the
// recent attempts the rate limits count. Several server instances may share one store, so nothing
// of this lives in a server's memory. Times are seconds since 1970-01-01 UTC.
class TScoreStore {
 public:
  static constexpr int64_t RateWindowSeconds = 60;

  virtual ~TScoreStore() = default;

  // Best first; equal scores in the order they arrived.
  virtual std::vector<TScoreRow> Top(int32_t count) const = 0;
  virtual int64_t Count() const = 0;
  // Every score in the order it arrived (Rank is that order), for moving a table elsewhere.
  virtual std::vector<TScoreRow> AllScores() const = 0;
  // Adds scores as they stand, dates, tokens and verified marks included, in one transaction.
  virtual void Import(const std::vector<TScoreRow>& rows) = 0;

  virtual void AddToken(const std::string& token, int64_t expiresUnix) = 0;
  // True for a token that is known and not expired; uses nothing up.
  virtual bool TokenValid(const std::string& token, int64_t nowUnix) const = 0;
  // Uses up the token and stores the score in one transaction. False when the token is unknown,
  // used or expired (nothing stored). Raises EScoreStoreError when storing fails; the token then
  // stays usable. Of two concurrent calls with one token, anywhere, one succeeds.
  virtual bool AddWithToken(const std::string& token, const TSubmission& submission, int64_t nowUnix) = 0;

  // Counts an attempt of a kind ("version", "submit") by an address when fewer than perMinute were
  // counted in the last RateWindowSeconds; false (and not counted) otherwise.
  virtual bool CountAttempt(std::string_view kind, const std::string& address, int64_t nowUnix,
                            int32_t perMinute) = 0;
  // Drops expired tokens and attempts older than the rate window.
  virtual void Forget(int64_t nowUnix) = 0;

  // Replays of the submitted games, kept beside their scores. A store that keeps none refuses
  // them (EScoreStoreError) and shows no score as verified.
  // Keeps the replay for the score submitted with this token when that score has none yet; the
  // score, or nothing when no score came with the token or it has a replay already.
  virtual std::optional<TReplayTarget> AddReplay(const std::string& token, const std::string& replay);
  // Marks the score verified (its replay reached it exactly) or not, and its replay checked.
  virtual void SetVerified(int64_t scoreId, bool verified);
  // Up to count replays not yet checked whose scores came at or before olderThanUnix and that no
  // instance took since then; each is marked taken at nowUnix, so instances sweeping together
  // share them out. The replay an instance was sent is its own to check for that long.
  virtual std::vector<TReplayTarget> TakeUncheckedReplays(int64_t nowUnix, int64_t olderThanUnix, int32_t count);
  // The replay kept for a score, if any.
  virtual std::optional<std::string> Replay(int64_t scoreId) const;
  // Top(count) among the verified scores only.
  virtual std::vector<TScoreRow> TopVerified(int32_t count) const;

  // The schema version the store runs on after its migrations.
  virtual int32_t SchemaVersion() const = 0;
  // Where the data lives, for the log (never a password).
  virtual std::string Where() const = 0;
};

// database: empty for SQLite in dataDir/scores.sqlite (the folder is made), or a
// "postgresql://" / "postgres://" address. Creates or migrates the schema; raises EScoreStoreError.
std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& database, const std::string& dataDir);
bool IsPostgresAddress(std::string_view database);
