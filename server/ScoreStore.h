#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/SubmissionRecord.h"

struct sqlite3;
struct sqlite3_stmt;

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
};

// The scores kept in SQLite: write-ahead log, so a killed server leaves a readable database, and
// every statement prepared once with bound values.
class TScoreStore {
 public:
  // file ":memory:" keeps the scores in memory (tests, fuzzing).
  explicit TScoreStore(const std::string& file);
  ~TScoreStore();
  TScoreStore(const TScoreStore&) = delete;
  TScoreStore& operator=(const TScoreStore&) = delete;

  void Add(const TSubmission& submission, int64_t submittedUnix);
  // Best first; equal scores in the order they arrived.
  std::vector<TScoreRow> Top(int32_t count) const;
  int64_t Count() const;

 private:
  struct TCloseDatabase {
    void operator()(sqlite3* db) const;
  };
  struct TFinalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  using TStatement = std::unique_ptr<sqlite3_stmt, TFinalize>;

  void Execute(const char* sql);
  TStatement Prepare(const char* sql);
  [[noreturn]] void Fail(const std::string& what) const;

  mutable std::mutex FLock;  // one connection, used by one request at a time
  std::unique_ptr<sqlite3, TCloseDatabase> FDatabase;
  TStatement FInsert;
  TStatement FTop;
  TStatement FCount;
};
