#pragma once

#include <sys/types.h>

#include <mutex>

#include "server/ScoreStore.h"

struct sqlite3;
struct sqlite3_stmt;

// The store in one SQLite file, the embedded default: write-ahead log, so a killed server leaves a
// readable database, and every statement prepared once with bound values. Several processes may
// open the same file; each change is its own immediate transaction.
class TSqliteScoreStore : public TScoreStore {
 public:
  // file ":memory:" keeps everything in memory (tests, fuzzing). create false: the file must exist.
  explicit TSqliteScoreStore(const std::string& file, bool create = true);
  ~TSqliteScoreStore() override;
  TSqliteScoreStore(const TSqliteScoreStore&) = delete;
  TSqliteScoreStore& operator=(const TSqliteScoreStore&) = delete;

  std::vector<TScoreRow> Top(int32_t count) const override;
  int64_t Count() const override;
  std::vector<TScoreRow> AllScores() const override;
  void Import(const std::vector<TScoreRow>& rows) override;
  void AddToken(const std::string& token, int64_t expiresUnix) override;
  bool TokenValid(const std::string& token, int64_t nowUnix) const override;
  bool AddWithToken(const std::string& token, const TSubmission& submission, int64_t nowUnix) override;
  bool CountAttempt(std::string_view kind, const std::string& address, int64_t nowUnix, int32_t perMinute) override;
  void Forget(int64_t nowUnix) override;
  int32_t SchemaVersion() const override;
  std::optional<TReplayTarget> AddReplay(const std::string& token, const std::string& replay) override;
  void SetVerified(int64_t scoreId, bool verified) override;
  std::vector<TReplayTarget> TakeUncheckedReplays(int64_t nowUnix, int64_t olderThanUnix, int32_t count) override;
  std::optional<std::string> Replay(int64_t scoreId) const override;
  std::vector<TScoreRow> TopVerified(int32_t count) const override;
  std::string Where() const override { return FFile; }

 private:
  struct TCloseDatabase {
    void operator()(sqlite3* db) const;
  };
  struct TFinalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  using TStatement = std::unique_ptr<sqlite3_stmt, TFinalize>;
  class TTransaction;

  void Migrate();
  void Execute(const char* sql) const;
  TStatement Prepare(const char* sql);
  std::vector<TScoreRow> ReadRows(sqlite3_stmt* statement) const;  // caller holds FLock
  // A file deleted (with its folder) while the server runs would take every later score into an
  // unlinked inode: writes check that the file is still the one opened.
  void CheckFileIsThere() const;
  [[noreturn]] void Fail(const std::string& what) const;

  std::string FFile;
  bool FOnDisk = false;
  dev_t FDevice = 0;
  ino_t FInode = 0;
  mutable std::mutex FLock;  // one connection, used by one request at a time
  std::unique_ptr<sqlite3, TCloseDatabase> FDatabase;
  int32_t FSchemaVersion = 0;
  TStatement FInsert;
  TStatement FTop;
  TStatement FAll;
  TStatement FCount;
  TStatement FAddToken;
  TStatement FTokenValid;
  TStatement FUseToken;
  TStatement FCountAttempts;
  TStatement FAddAttempt;
  TStatement FForgetTokens;
  TStatement FForgetAttempts;
  TStatement FTopVerified;
  TStatement FReplayTarget;
  TStatement FAddReplay;
  TStatement FSetVerified;
  TStatement FSetChecked;
  TStatement FUnchecked;
  TStatement FTake;
  TStatement FReplay;
};
