#include "server/SqliteScoreStore.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

#include "server/StoreSchema.h"

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

void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
  sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

// An immediate transaction (it takes the write lock at once, so two processes never deadlock on
// an upgrade); rolled back unless committed.
class TSqliteScoreStore::TTransaction {
 public:
  explicit TTransaction(const TSqliteScoreStore& store) : FStore(store) { FStore.Execute("BEGIN IMMEDIATE"); }
  ~TTransaction() {
    if (!FDone) sqlite3_exec(FStore.FDatabase.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  void Commit() {
    FStore.Execute("COMMIT");
    FDone = true;
  }

 private:
  const TSqliteScoreStore& FStore;
  bool FDone = false;
};

void TSqliteScoreStore::TCloseDatabase::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void TSqliteScoreStore::TFinalize::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

TSqliteScoreStore::TSqliteScoreStore(const std::string& file, bool create) : FFile(file) {
  FOnDisk = file != ":memory:";
  if (!create && FOnDisk && !std::filesystem::is_regular_file(file)) {
    throw EScoreStoreError("there is no score database " + file);
  }
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  const int opened = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
  FDatabase.reset(db);
  if (opened != SQLITE_OK) Fail("cannot open the score database " + file);
  sqlite3_busy_timeout(db, 5000);
  // WAL: a process killed mid-write leaves every committed score readable. NORMAL syncs at
  // checkpoints only, which survives a killed process (not a power cut of the last moments).
  Execute("PRAGMA journal_mode=WAL");
  Execute("PRAGMA synchronous=NORMAL");
  Migrate();
  if (FOnDisk) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) Fail("cannot find the score database " + file);
    FDevice = status.st_dev;
    FInode = status.st_ino;
  }
  FInsert = Prepare(
      "INSERT INTO scores (type, name, score, additional, submitted, token, verified)"
      " VALUES (0, ?1, ?2, ?3, ?4, ?5, ?6)");
  FTop = Prepare(
      "SELECT name, score, additional, submitted, id, verified FROM scores WHERE type = 0"
      " ORDER BY score DESC, id LIMIT ?1");
  FTopVerified = Prepare(
      "SELECT name, score, additional, submitted, id, verified FROM scores WHERE type = 0 AND verified = 1"
      " ORDER BY score DESC, id LIMIT ?1");
  FReplayTarget = Prepare(
      "SELECT s.id, s.score FROM scores s WHERE s.token = ?1 AND s.token IS NOT NULL"
      " AND NOT EXISTS (SELECT 1 FROM replays r WHERE r.score_id = s.id)");
  FAddReplay = Prepare("INSERT INTO replays (score_id, data) VALUES (?1, ?2)");
  FSetVerified = Prepare("UPDATE scores SET verified = ?2 WHERE id = ?1");
  FSetChecked = Prepare("UPDATE replays SET checked = 1 WHERE score_id = ?1");
  FUnchecked = Prepare(
      "SELECT r.score_id, s.score FROM replays r JOIN scores s ON s.id = r.score_id"
      " WHERE r.checked = 0 AND s.submitted <= ?1 AND (r.claimed IS NULL OR r.claimed <= ?1)"
      " ORDER BY r.score_id LIMIT ?2");
  FTake = Prepare("UPDATE replays SET claimed = ?2 WHERE score_id = ?1");
  FReplay = Prepare("SELECT data FROM replays WHERE score_id = ?1");
  FAll = Prepare(
      "SELECT name, score, additional, submitted, id, verified, token FROM scores WHERE type = 0 ORDER BY id");
  FCount = Prepare("SELECT COUNT(*) FROM scores");
  FAddToken = Prepare("INSERT INTO tokens (token, expires) VALUES (?1, ?2)");
  FTokenValid = Prepare("SELECT 1 FROM tokens WHERE token = ?1 AND expires > ?2");
  FUseToken = Prepare("DELETE FROM tokens WHERE token = ?1 AND expires > ?2");
  FCountAttempts = Prepare("SELECT COUNT(*) FROM attempts WHERE kind = ?1 AND address = ?2 AND at > ?3");
  FAddAttempt = Prepare("INSERT INTO attempts (kind, address, at) VALUES (?1, ?2, ?3)");
  FForgetTokens = Prepare("DELETE FROM tokens WHERE expires <= ?1");
  FForgetAttempts = Prepare("DELETE FROM attempts WHERE at <= ?1");
}

TSqliteScoreStore::~TSqliteScoreStore() = default;

void TSqliteScoreStore::Migrate() {
  TTransaction transaction(*this);
  Execute("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, applied INTEGER NOT NULL)");
  TStatement current = Prepare("SELECT COALESCE(MAX(version), 0) FROM schema_version");
  if (sqlite3_step(current.get()) != SQLITE_ROW) Fail("cannot read the schema version");
  int32_t version = sqlite3_column_int(current.get(), 0);
  current.reset();
  for (const TMigration& migration : SqliteMigrations()) {
    if (migration.Version <= version) continue;
    Execute(migration.Sql);
    TStatement record =
        Prepare("INSERT INTO schema_version (version, applied) VALUES (?1, CAST(strftime('%s', 'now') AS INTEGER))");
    sqlite3_bind_int(record.get(), 1, migration.Version);
    if (sqlite3_step(record.get()) != SQLITE_DONE) Fail("cannot record the schema version");
    version = migration.Version;
  }
  transaction.Commit();
  FSchemaVersion = version;
}

std::vector<TScoreRow> TSqliteScoreStore::Top(int32_t count) const {
  std::lock_guard lock(FLock);
  TStatementUse use(FTop.get());
  sqlite3_bind_int(FTop.get(), 1, count);
  return ReadRows(FTop.get());
}

std::vector<TScoreRow> TSqliteScoreStore::AllScores() const {
  std::lock_guard lock(FLock);
  TStatementUse use(FAll.get());
  return ReadRows(FAll.get());
}

std::vector<TScoreRow> TSqliteScoreStore::ReadRows(sqlite3_stmt* statement) const {
  std::vector<TScoreRow> rows;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    TScoreRow row;
    row.Rank = static_cast<int32_t>(rows.size()) + 1;
    const auto text = [statement](int column) {
      const unsigned char* value = sqlite3_column_text(statement, column);
      return value == nullptr ? std::string()
                              : std::string(reinterpret_cast<const char*>(value),
                                            static_cast<size_t>(sqlite3_column_bytes(statement, column)));
    };
    row.Name = text(0);
    row.Score = sqlite3_column_int(statement, 1);
    row.Additional = text(2);
    row.Submitted = sqlite3_column_int64(statement, 3);
    if (sqlite3_column_count(statement) >= 6) {
      row.Id = sqlite3_column_int64(statement, 4);
      row.Verified = sqlite3_column_int(statement, 5) != 0;
    }
    if (sqlite3_column_count(statement) >= 7) row.Token = text(6);
    rows.push_back(std::move(row));
  }
  if (step != SQLITE_DONE) Fail("cannot read the scores");
  return rows;
}

int64_t TSqliteScoreStore::Count() const {
  std::lock_guard lock(FLock);
  TStatementUse use(FCount.get());
  if (sqlite3_step(FCount.get()) != SQLITE_ROW) Fail("cannot count the scores");
  return sqlite3_column_int64(FCount.get(), 0);
}

void TSqliteScoreStore::Import(const std::vector<TScoreRow>& rows) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  for (const TScoreRow& row : rows) {
    TStatementUse use(FInsert.get());
    BindText(FInsert.get(), 1, row.Name);
    sqlite3_bind_int(FInsert.get(), 2, row.Score);
    BindText(FInsert.get(), 3, row.Additional);
    sqlite3_bind_int64(FInsert.get(), 4, row.Submitted);
    if (!row.Token.empty()) BindText(FInsert.get(), 5, row.Token);
    sqlite3_bind_int(FInsert.get(), 6, row.Verified ? 1 : 0);
    if (sqlite3_step(FInsert.get()) != SQLITE_DONE) Fail("cannot store the scores");
  }
  transaction.Commit();
}

void TSqliteScoreStore::AddToken(const std::string& token, int64_t expiresUnix) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TStatementUse use(FAddToken.get());
  BindText(FAddToken.get(), 1, token);
  sqlite3_bind_int64(FAddToken.get(), 2, expiresUnix);
  if (sqlite3_step(FAddToken.get()) != SQLITE_DONE) Fail("cannot keep the token");
}

bool TSqliteScoreStore::TokenValid(const std::string& token, int64_t nowUnix) const {
  std::lock_guard lock(FLock);
  TStatementUse use(FTokenValid.get());
  BindText(FTokenValid.get(), 1, token);
  sqlite3_bind_int64(FTokenValid.get(), 2, nowUnix);
  const int step = sqlite3_step(FTokenValid.get());
  if (step != SQLITE_ROW && step != SQLITE_DONE) Fail("cannot look up the token");
  return step == SQLITE_ROW;
}

bool TSqliteScoreStore::AddWithToken(const std::string& token, const TSubmission& submission, int64_t nowUnix) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  {
    TStatementUse use(FUseToken.get());
    BindText(FUseToken.get(), 1, token);
    sqlite3_bind_int64(FUseToken.get(), 2, nowUnix);
    if (sqlite3_step(FUseToken.get()) != SQLITE_DONE) Fail("cannot use the token");
    if (sqlite3_changes(FDatabase.get()) != 1) return false;
  }
  {
    TStatementUse use(FInsert.get());
    BindText(FInsert.get(), 1, submission.Name);
    sqlite3_bind_int(FInsert.get(), 2, submission.Score);
    BindText(FInsert.get(), 3, submission.Additional);
    sqlite3_bind_int64(FInsert.get(), 4, nowUnix);
    BindText(FInsert.get(), 5, token);
    sqlite3_bind_int(FInsert.get(), 6, 0);
    if (sqlite3_step(FInsert.get()) != SQLITE_DONE) Fail("cannot store the score");
  }
  transaction.Commit();
  return true;
}

bool TSqliteScoreStore::CountAttempt(std::string_view kind, const std::string& address, int64_t nowUnix,
                                     int32_t perMinute) {
  if (perMinute <= 0) return true;
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  {
    TStatementUse use(FCountAttempts.get());
    BindText(FCountAttempts.get(), 1, kind);
    BindText(FCountAttempts.get(), 2, address);
    sqlite3_bind_int64(FCountAttempts.get(), 3, nowUnix - RateWindowSeconds);
    if (sqlite3_step(FCountAttempts.get()) != SQLITE_ROW) Fail("cannot count the attempts");
    if (sqlite3_column_int64(FCountAttempts.get(), 0) >= perMinute) return false;
  }
  {
    TStatementUse use(FAddAttempt.get());
    BindText(FAddAttempt.get(), 1, kind);
    BindText(FAddAttempt.get(), 2, address);
    sqlite3_bind_int64(FAddAttempt.get(), 3, nowUnix);
    if (sqlite3_step(FAddAttempt.get()) != SQLITE_DONE) Fail("cannot count the attempt");
  }
  transaction.Commit();
  return true;
}

void TSqliteScoreStore::Forget(int64_t nowUnix) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  for (const auto& [statement, before] :
       {std::pair{FForgetTokens.get(), nowUnix}, std::pair{FForgetAttempts.get(), nowUnix - RateWindowSeconds}}) {
    TStatementUse use(statement);
    sqlite3_bind_int64(statement, 1, before);
    if (sqlite3_step(statement) != SQLITE_DONE) Fail("cannot forget old tokens and attempts");
  }
  transaction.Commit();
}

int32_t TSqliteScoreStore::SchemaVersion() const { return FSchemaVersion; }

void TSqliteScoreStore::CheckFileIsThere() const {
  if (!FOnDisk) return;
  struct stat status {};
  if (::stat(FFile.c_str(), &status) != 0 || status.st_dev != FDevice || status.st_ino != FInode) {
    throw EScoreStoreError("the score database " + FFile + " was deleted or replaced while the server ran");
  }
}

void TSqliteScoreStore::Execute(const char* sql) const {
  if (sqlite3_exec(FDatabase.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

TSqliteScoreStore::TStatement TSqliteScoreStore::Prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(FDatabase.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
    Fail(sql);
  }
  return TStatement(statement);
}

void TSqliteScoreStore::Fail(const std::string& what) const {
  const char* reason = FDatabase ? sqlite3_errmsg(FDatabase.get()) : "out of memory";
  throw EScoreStoreError(what + ": " + reason);
}

std::vector<TScoreRow> TSqliteScoreStore::TopVerified(int32_t count) const {
  std::lock_guard lock(FLock);
  TStatementUse use(FTopVerified.get());
  sqlite3_bind_int(FTopVerified.get(), 1, count);
  return ReadRows(FTopVerified.get());
}

std::optional<TReplayTarget> TSqliteScoreStore::AddReplay(const std::string& token, const std::string& replay) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  TReplayTarget target;
  {
    TStatementUse use(FReplayTarget.get());
    BindText(FReplayTarget.get(), 1, token);
    const int step = sqlite3_step(FReplayTarget.get());
    if (step == SQLITE_DONE) return std::nullopt;
    if (step != SQLITE_ROW) Fail("cannot find the score of the replay");
    target.ScoreId = sqlite3_column_int64(FReplayTarget.get(), 0);
    target.Score = sqlite3_column_int(FReplayTarget.get(), 1);
  }
  {
    TStatementUse use(FAddReplay.get());
    sqlite3_bind_int64(FAddReplay.get(), 1, target.ScoreId);
    sqlite3_bind_blob(FAddReplay.get(), 2, replay.data(), static_cast<int>(replay.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(FAddReplay.get()) != SQLITE_DONE) Fail("cannot store the replay");
  }
  transaction.Commit();
  return target;
}

void TSqliteScoreStore::SetVerified(int64_t scoreId, bool verified) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  {
    TStatementUse use(FSetVerified.get());
    sqlite3_bind_int64(FSetVerified.get(), 1, scoreId);
    sqlite3_bind_int(FSetVerified.get(), 2, verified ? 1 : 0);
    if (sqlite3_step(FSetVerified.get()) != SQLITE_DONE) Fail("cannot mark the score");
  }
  {
    TStatementUse use(FSetChecked.get());
    sqlite3_bind_int64(FSetChecked.get(), 1, scoreId);
    if (sqlite3_step(FSetChecked.get()) != SQLITE_DONE) Fail("cannot mark the replay");
  }
  transaction.Commit();
}

std::vector<TReplayTarget> TSqliteScoreStore::TakeUncheckedReplays(int64_t nowUnix, int64_t olderThanUnix,
                                                                   int32_t count) {
  std::lock_guard lock(FLock);
  CheckFileIsThere();
  TTransaction transaction(*this);
  std::vector<TReplayTarget> taken;
  {
    TStatementUse use(FUnchecked.get());
    sqlite3_bind_int64(FUnchecked.get(), 1, olderThanUnix);
    sqlite3_bind_int(FUnchecked.get(), 2, count);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(FUnchecked.get())) == SQLITE_ROW) {
      TReplayTarget target;
      target.ScoreId = sqlite3_column_int64(FUnchecked.get(), 0);
      target.Score = sqlite3_column_int(FUnchecked.get(), 1);
      taken.push_back(target);
    }
    if (step != SQLITE_DONE) Fail("cannot look for unchecked replays");
  }
  for (const TReplayTarget& target : taken) {
    TStatementUse use(FTake.get());
    sqlite3_bind_int64(FTake.get(), 1, target.ScoreId);
    sqlite3_bind_int64(FTake.get(), 2, nowUnix);
    if (sqlite3_step(FTake.get()) != SQLITE_DONE) Fail("cannot take the replay");
  }
  transaction.Commit();
  return taken;
}

std::optional<std::string> TSqliteScoreStore::Replay(int64_t scoreId) const {
  std::lock_guard lock(FLock);
  TStatementUse use(FReplay.get());
  sqlite3_bind_int64(FReplay.get(), 1, scoreId);
  const int step = sqlite3_step(FReplay.get());
  if (step == SQLITE_DONE) return std::nullopt;
  if (step != SQLITE_ROW) Fail("cannot read the replay");
  const auto* data = static_cast<const char*>(sqlite3_column_blob(FReplay.get(), 0));
  return std::string(data == nullptr ? "" : data, static_cast<size_t>(sqlite3_column_bytes(FReplay.get(), 0)));
}
