#pragma once

#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string_view>

#include "server/ScoreStore.h"

struct pg_conn;
struct pg_result;

// The store in PostgreSQL, shared by any number of server instances. Each request borrows a
// connection from a small pool; a connection the database dropped (a restart, a network cut) is
// thrown away and the next request opens a new one, so the server recovers by itself once the
// database is back. Every change is one statement, so it is whole or not at all.
class TPostgresScoreStore : public TScoreStore {
 public:
  // address: a libpq connection address ("postgresql://user@host:port/db?..."). Connects, takes
  // the schema lock and migrates; raises EScoreStoreError when the database cannot be reached.
  TPostgresScoreStore(const std::string& address, size_t poolSize);
  ~TPostgresScoreStore() override;
  TPostgresScoreStore(const TPostgresScoreStore&) = delete;
  TPostgresScoreStore& operator=(const TPostgresScoreStore&) = delete;

  std::vector<TScoreRow> Top(int32_t count) const override;
  int64_t Count() const override;
  std::vector<TScoreRow> AllScores() const override;
  void Import(const std::vector<TScoreRow>& rows) override;
  void AddToken(const std::string& token, int64_t expiresUnix) override;
  bool TokenValid(const std::string& token, int64_t nowUnix) const override;
  bool AddWithToken(const std::string& token, const TSubmission& submission, int64_t nowUnix) override;
  bool CountAttempt(std::string_view kind, const std::string& address, int64_t nowUnix, int32_t perMinute) override;
  void Forget(int64_t nowUnix) override;
  std::optional<TReplayTarget> AddReplay(const std::string& token, const std::string& replay) override;
  void SetVerified(int64_t scoreId, bool verified) override;
  std::vector<TReplayTarget> TakeUncheckedReplays(int64_t nowUnix, int64_t olderThanUnix, int32_t count) override;
  std::optional<std::string> Replay(int64_t scoreId) const override;
  std::vector<TScoreRow> TopVerified(int32_t count) const override;
  int32_t SchemaVersion() const override { return FSchemaVersion; }
  std::string Where() const override { return FWhere; }

 private:
  struct TFinish {
    void operator()(pg_conn* connection) const;
  };
  struct TClear {
    void operator()(pg_result* result) const;
  };
  using TConnection = std::unique_ptr<pg_conn, TFinish>;
  using TResult = std::unique_ptr<pg_result, TClear>;
  // A statement parameter: text, or bytes passed as they are (a replay), never escaped.
  struct TParameter {
    TParameter(const std::string& value) : Value(&value) {}  // NOLINT: text is the usual case
    static TParameter Bytes(const std::string& value) {
      TParameter parameter(value);
      parameter.Binary = true;
      return parameter;
    }
    const std::string* Value;
    bool Binary = false;
  };
  using TParameters = std::initializer_list<TParameter>;

  TConnection Connect() const;
  TConnection Acquire() const;
  void Release(TConnection connection) const;
  // Runs one statement; its results come as text, or all as bytes when binaryResult. A connection
  // found broken is replaced and the statement tried once more on a fresh one.
  TResult Run(const char* what, const char* sql, TParameters parameters, bool binaryResult = false) const;
  // Runs statements on the given connection; raises with the database's reason.
  static TResult RunOn(pg_conn* connection, const char* what, const char* sql, TParameters parameters,
                       bool binaryResult = false);
  void Migrate();
  std::vector<TScoreRow> ReadRows(const TResult& result) const;

  std::string FAddress;
  std::string FWhere;
  int32_t FSchemaVersion = 0;
  size_t FPoolSize;
  mutable std::mutex FLock;
  mutable std::condition_variable FReturned;
  mutable std::vector<TConnection> FIdle;
  mutable size_t FOpen = 0;  // idle and borrowed
};
