#include "server/ScoreStore.h"

#include <sqlite3.h>

namespace {

// Resets a statement when a call leaves, however it leaves.
class TStatementUse {
 public:
  explicit TStatementUse(sqlite3_stmt* statement) : FStatement(statement) {}
  ~TStatementUse() {
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);
  }
  TStatementUse(const TStatementUse&) = delete;
  TStatementUse& operator=(const TStatementUse&) = delete;

 private:
  sqlite3_stmt* FStatement;
};

}  // namespace

void TScoreStore::TCloseDatabase::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void TScoreStore::TFinalize::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

TScoreStore::TScoreStore(const std::string& file) {
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  FDatabase.reset(db);
  if (opened != SQLITE_OK) Fail("cannot open the score database " + file);
  sqlite3_busy_timeout(db, 5000);
  // WAL: a process killed mid-write leaves every committed score readable. NORMAL syncs at
  // checkpoints only, which survives a killed process (not a power cut of the last moments).
  Execute("PRAGMA journal_mode=WAL");
  Execute("PRAGMA synchronous=NORMAL");
  Execute(
      "CREATE TABLE IF NOT EXISTS scores ("
      " id INTEGER PRIMARY KEY,"
      " type INTEGER NOT NULL,"
      " name TEXT NOT NULL,"
      " score INTEGER NOT NULL,"
      " additional TEXT NOT NULL,"
      " submitted INTEGER NOT NULL)");
  Execute("CREATE INDEX IF NOT EXISTS scores_by_rank ON scores (type, score DESC, id)");
  FInsert = Prepare("INSERT INTO scores (type, name, score, additional, submitted) VALUES (0, ?1, ?2, ?3, ?4)");
  FTop = Prepare(
      "SELECT name, score, additional, submitted FROM scores WHERE type = 0 ORDER BY score DESC, id LIMIT ?1");
  FCount = Prepare("SELECT COUNT(*) FROM scores");
}

TScoreStore::~TScoreStore() = default;

void TScoreStore::Add(const TSubmission& submission, int64_t submittedUnix) {
  std::lock_guard lock(FLock);
  sqlite3_stmt* insert = FInsert.get();
  TStatementUse use(insert);
  sqlite3_bind_text(insert, 1, submission.Name.data(), static_cast<int>(submission.Name.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(insert, 2, submission.Score);
  sqlite3_bind_text(insert, 3, submission.Additional.data(), static_cast<int>(submission.Additional.size()),
                    SQLITE_TRANSIENT);
  sqlite3_bind_int64(insert, 4, submittedUnix);
  if (sqlite3_step(insert) != SQLITE_DONE) Fail("cannot store the score");
}

std::vector<TScoreRow> TScoreStore::Top(int32_t count) const {
  std::lock_guard lock(FLock);
  sqlite3_stmt* top = FTop.get();
  TStatementUse use(top);
  sqlite3_bind_int(top, 1, count);
  std::vector<TScoreRow> rows;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(top)) == SQLITE_ROW) {
    TScoreRow row;
    row.Rank = static_cast<int32_t>(rows.size()) + 1;
    const auto text = [top](int column) {
      const unsigned char* value = sqlite3_column_text(top, column);
      return value == nullptr ? std::string()
                              : std::string(reinterpret_cast<const char*>(value),
                                            static_cast<size_t>(sqlite3_column_bytes(top, column)));
    };
    row.Name = text(0);
    row.Score = sqlite3_column_int(top, 1);
    row.Additional = text(2);
    row.Submitted = sqlite3_column_int64(top, 3);
    rows.push_back(std::move(row));
  }
  if (step != SQLITE_DONE) Fail("cannot read the scores");
  return rows;
}

int64_t TScoreStore::Count() const {
  std::lock_guard lock(FLock);
  sqlite3_stmt* count = FCount.get();
  TStatementUse use(count);
  if (sqlite3_step(count) != SQLITE_ROW) Fail("cannot count the scores");
  return sqlite3_column_int64(count, 0);
}

void TScoreStore::Execute(const char* sql) {
  if (sqlite3_exec(FDatabase.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

TScoreStore::TStatement TScoreStore::Prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(FDatabase.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
    Fail(sql);
  }
  return TStatement(statement);
}

void TScoreStore::Fail(const std::string& what) const {
  const char* reason = FDatabase ? sqlite3_errmsg(FDatabase.get()) : "out of memory";
  throw EScoreStoreError(what + ": " + reason);
}
