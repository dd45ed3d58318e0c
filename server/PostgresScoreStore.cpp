#include "server/PostgresScoreStore.h"

#include <libpq-fe.h>

#include <charconv>
#include <vector>

#include "server/StoreSchema.h"

namespace {

// Taken while the schema is created or migrated, so instances starting together do it once.
constexpr const char* MigrationLock = "7270042";

std::string Trimmed(const char* message) {
  std::string text = message == nullptr ? "" : message;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? "no reason given" : text;
}

int64_t Number(const char* text) {
  int64_t value = 0;
  const std::string_view view(text);
  std::from_chars(view.data(), view.data() + view.size(), value);
  return value;
}

}  // namespace

void TPostgresScoreStore::TFinish::operator()(pg_conn* connection) const { PQfinish(connection); }

void TPostgresScoreStore::TClear::operator()(pg_result* result) const { PQclear(result); }

TPostgresScoreStore::TPostgresScoreStore(const std::string& address, size_t poolSize)
    : FAddress(address), FPoolSize(poolSize == 0 ? 1 : poolSize) {
  TConnection first = Connect();
  FWhere = std::string("PostgreSQL database ") + PQdb(first.get()) + " on " + PQhost(first.get()) + ":" +
           PQport(first.get());
  ++FOpen;
  Release(std::move(first));
  Migrate();
  // The whole pool is opened now: a database connection takes a new server process on the other
  // side, and an instance started into a crowd would otherwise make its first players wait while
  // it opens them all at once. A database short of connections is no reason not to start: the rest
  // are opened when needed, as before.
  std::vector<TConnection> opened;
  try {
    while (FOpen + opened.size() < FPoolSize) opened.push_back(Connect());
  } catch (const EScoreStoreError&) {
  }
  std::lock_guard lock(FLock);
  FOpen += opened.size();
  for (TConnection& connection : opened) FIdle.push_back(std::move(connection));
}

TPostgresScoreStore::~TPostgresScoreStore() = default;

TPostgresScoreStore::TConnection TPostgresScoreStore::Connect() const {
  // The address comes last so that what it says wins over these defaults.
  const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
  const char* values[] = {"3", "zarvok-score-server", FAddress.c_str(), nullptr};
  TConnection connection(PQconnectdbParams(keywords, values, 1));
  if (!connection) throw EScoreStoreError("cannot reach the score database: out of memory");
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    throw EScoreStoreError("cannot reach the score database: " + Trimmed(PQerrorMessage(connection.get())));
  }
  // Notices (such as "table exists, skipping") would go to stderr line by line.
  PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
  return connection;
}

TPostgresScoreStore::TConnection TPostgresScoreStore::Acquire() const {
  {
    std::unique_lock lock(FLock);
    FReturned.wait(lock, [this] { return !FIdle.empty() || FOpen < FPoolSize; });
    if (!FIdle.empty()) {
      TConnection connection = std::move(FIdle.back());
      FIdle.pop_back();
      return connection;
    }
    ++FOpen;
  }
  try {
    return Connect();
  } catch (...) {
    {
      std::lock_guard lock(FLock);
      --FOpen;
    }
    FReturned.notify_one();
    throw;
  }
}

void TPostgresScoreStore::Release(TConnection connection) const {
  {
    std::lock_guard lock(FLock);
    if (connection && PQstatus(connection.get()) == CONNECTION_OK &&
        PQtransactionStatus(connection.get()) == PQTRANS_IDLE) {
      FIdle.push_back(std::move(connection));
    } else {
      --FOpen;
    }
  }
  connection.reset();
  FReturned.notify_one();
}

TPostgresScoreStore::TResult TPostgresScoreStore::RunOn(pg_conn* connection, const char* what, const char* sql,
                                                        TParameters parameters, bool binaryResult) {
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats;
  values.reserve(parameters.size());
  lengths.reserve(parameters.size());
  formats.reserve(parameters.size());
  for (const TParameter& parameter : parameters) {
    values.push_back(parameter.Value->c_str());
    lengths.push_back(static_cast<int>(parameter.Value->size()));
    formats.push_back(parameter.Binary ? 1 : 0);
  }
  TResult result(parameters.size() == 0 && !binaryResult
                     ? PQexec(connection, sql)
                     : PQexecParams(connection, sql, static_cast<int>(values.size()), nullptr, values.data(),
                                    lengths.data(), formats.data(), binaryResult ? 1 : 0));
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    const char* reason = result ? PQresultErrorMessage(result.get()) : PQerrorMessage(connection);
    throw EScoreStoreError(std::string(what) + ": " + Trimmed(reason));
  }
  return result;
}

TPostgresScoreStore::TResult TPostgresScoreStore::Run(const char* what, const char* sql, TParameters parameters,
                                                      bool binaryResult) const {
  for (int attempt = 0;; ++attempt) {
    TConnection connection = Acquire();
    try {
      TResult result = RunOn(connection.get(), what, sql, parameters, binaryResult);
      Release(std::move(connection));
      return result;
    } catch (const EScoreStoreError&) {
      // A pooled connection that the database dropped in the meantime fails at its first use;
      // one more try on a fresh connection spares the request. Each statement is whole or not at
      // all, so trying it again never doubles a change.
      const bool broken = PQstatus(connection.get()) != CONNECTION_OK;
      Release(std::move(connection));
      if (!broken || attempt > 0) throw;
    }
  }
}

void TPostgresScoreStore::Migrate() {
  TConnection connection = Acquire();
  RunOn(connection.get(), "cannot take the schema lock", (std::string("SELECT pg_advisory_lock(") + MigrationLock + ")").c_str(),
        {});
  try {
    RunOn(connection.get(), "cannot create the schema table",
          "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL)", {});
    const TResult current =
        RunOn(connection.get(), "cannot read the schema version", "SELECT COALESCE(MAX(version), 0) FROM schema_version", {});
    int32_t version = static_cast<int32_t>(Number(PQgetvalue(current.get(), 0, 0)));
    for (const TMigration& migration : PostgresMigrations()) {
      if (migration.Version <= version) continue;
      RunOn(connection.get(), "cannot migrate the schema", "BEGIN", {});
      try {
        RunOn(connection.get(), "cannot migrate the schema", migration.Sql, {});
        RunOn(connection.get(), "cannot record the schema version",
              "INSERT INTO schema_version (version, applied) VALUES ($1, extract(epoch from now())::bigint)",
              {std::to_string(migration.Version)});
        RunOn(connection.get(), "cannot migrate the schema", "COMMIT", {});
      } catch (...) {
        PQclear(PQexec(connection.get(), "ROLLBACK"));
        throw;
      }
      version = migration.Version;
    }
    FSchemaVersion = version;
  } catch (...) {
    PQclear(PQexec(connection.get(), (std::string("SELECT pg_advisory_unlock(") + MigrationLock + ")").c_str()));
    Release(std::move(connection));
    throw;
  }
  PQclear(PQexec(connection.get(), (std::string("SELECT pg_advisory_unlock(") + MigrationLock + ")").c_str()));
  Release(std::move(connection));
}

std::vector<TScoreRow> TPostgresScoreStore::ReadRows(const TResult& result) const {
  std::vector<TScoreRow> rows;
  const int count = PQntuples(result.get());
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TScoreRow row;
    row.Rank = i + 1;
    row.Name = PQgetvalue(result.get(), i, 0);
    row.Score = static_cast<int32_t>(Number(PQgetvalue(result.get(), i, 1)));
    row.Additional = PQgetvalue(result.get(), i, 2);
    row.Submitted = Number(PQgetvalue(result.get(), i, 3));
    if (PQnfields(result.get()) >= 6) {
      row.Id = Number(PQgetvalue(result.get(), i, 4));
      row.Verified = std::string_view(PQgetvalue(result.get(), i, 5)) == "t";
    }
    if (PQnfields(result.get()) >= 7) row.Token = PQgetvalue(result.get(), i, 6);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<TScoreRow> TPostgresScoreStore::Top(int32_t count) const {
  return ReadRows(Run("cannot read the scores",
                      "SELECT name, score, additional, submitted, id, verified FROM scores WHERE type = 0"
                      " ORDER BY score DESC, id LIMIT $1",
                      {std::to_string(count)}));
}

int64_t TPostgresScoreStore::Count() const {
  const TResult result = Run("cannot count the scores", "SELECT count(*) FROM scores", {});
  return Number(PQgetvalue(result.get(), 0, 0));
}

std::vector<TScoreRow> TPostgresScoreStore::AllScores() const {
  return ReadRows(Run("cannot read the scores",
                      "SELECT name, score, additional, submitted, id, verified, token FROM scores WHERE type = 0"
                      " ORDER BY id",
                      {}));
}

void TPostgresScoreStore::Import(const std::vector<TScoreRow>& rows) {
  TConnection connection = Acquire();
  try {
    RunOn(connection.get(), "cannot store the scores", "BEGIN", {});
    for (const TScoreRow& row : rows) {
      RunOn(connection.get(), "cannot store the scores",
            "INSERT INTO scores (type, name, score, additional, submitted, token, verified)"
            " VALUES (0, $1, $2, $3, $4, NULLIF($5, ''), $6::boolean)",
            {row.Name, std::to_string(row.Score), row.Additional, std::to_string(row.Submitted), row.Token,
             std::string(row.Verified ? "true" : "false")});
    }
    RunOn(connection.get(), "cannot store the scores", "COMMIT", {});
  } catch (...) {
    PQclear(PQexec(connection.get(), "ROLLBACK"));
    Release(std::move(connection));
    throw;
  }
  Release(std::move(connection));
}

void TPostgresScoreStore::AddToken(const std::string& token, int64_t expiresUnix) {
  // A token is committed without waiting for the disk: a database crash may forget the last
  // moments of them (the player then asks for a new one). Scores always wait.
  Run("cannot keep the token",
      "WITH quick AS (SELECT set_config('synchronous_commit', 'off', true))"
      " INSERT INTO tokens (token, expires) SELECT $1::text, $2::bigint FROM quick",
      {token, std::to_string(expiresUnix)});
}

bool TPostgresScoreStore::TokenValid(const std::string& token, int64_t nowUnix) const {
  const TResult result = Run("cannot look up the token", "SELECT 1 FROM tokens WHERE token = $1 AND expires > $2",
                             {token, std::to_string(nowUnix)});
  return PQntuples(result.get()) == 1;
}

// One statement: the token's row is locked by the first redemption, and a second one waits for it
// and then finds it gone, so a token stores at most one score whichever instance is asked.
bool TPostgresScoreStore::AddWithToken(const std::string& token, const TSubmission& submission, int64_t nowUnix) {
  const TResult result = Run(
      "cannot store the score",
      "WITH used AS (DELETE FROM tokens WHERE token = $1 AND expires > $2 RETURNING token)"
      " INSERT INTO scores (type, name, score, additional, submitted, token)"
      " SELECT 0, $3::text, $4::integer, $5::text, $2::bigint, token FROM used",
      {token, std::to_string(nowUnix), submission.Name, std::to_string(submission.Score), submission.Additional});
  return Number(PQcmdTuples(result.get())) == 1;
}

bool TPostgresScoreStore::CountAttempt(std::string_view kind, const std::string& address, int64_t nowUnix,
                                       int32_t perMinute) {
  if (perMinute <= 0) return true;
  const TResult result =
      Run("cannot count the attempt", "SELECT count_attempt($1::text, $2::text, $3::bigint, $4::integer, $5::bigint)",
          {std::string(kind), address, std::to_string(nowUnix), std::to_string(perMinute),
           std::to_string(RateWindowSeconds)});
  return std::string_view(PQgetvalue(result.get(), 0, 0)) == "t";
}

void TPostgresScoreStore::Forget(int64_t nowUnix) {
  Run("cannot forget old tokens", "DELETE FROM tokens WHERE expires <= $1", {std::to_string(nowUnix)});
  Run("cannot forget old attempts", "DELETE FROM attempts WHERE at <= $1",
      {std::to_string(nowUnix - RateWindowSeconds)});
}

std::vector<TScoreRow> TPostgresScoreStore::TopVerified(int32_t count) const {
  return ReadRows(Run("cannot read the scores",
                      "SELECT name, score, additional, submitted, id, verified FROM scores"
                      " WHERE type = 0 AND verified ORDER BY score DESC, id LIMIT $1",
                      {std::to_string(count)}));
}

// One statement: of two uploads for one score, at one instance or two, the second insert waits for
// the first one's row and then does nothing, so a score keeps the first replay it was sent.
std::optional<TReplayTarget> TPostgresScoreStore::AddReplay(const std::string& token, const std::string& replay) {
  const TResult result = Run("cannot store the replay",
                             "WITH target AS (SELECT s.id, s.score FROM scores s WHERE s.token = $1"
                             "  AND NOT EXISTS (SELECT 1 FROM replays r WHERE r.score_id = s.id)"
                             "  ORDER BY s.id LIMIT 1),"
                             " added AS (INSERT INTO replays (score_id, data) SELECT id, $2::bytea FROM target"
                             "  ON CONFLICT (score_id) DO NOTHING RETURNING score_id)"
                             " SELECT t.id, t.score FROM target t JOIN added a ON a.score_id = t.id",
                             {token, TParameter::Bytes(replay)});
  if (PQntuples(result.get()) != 1) return std::nullopt;
  TReplayTarget target;
  target.ScoreId = Number(PQgetvalue(result.get(), 0, 0));
  target.Score = static_cast<int32_t>(Number(PQgetvalue(result.get(), 0, 1)));
  return target;
}

void TPostgresScoreStore::SetVerified(int64_t scoreId, bool verified) {
  Run("cannot mark the score",
      "WITH marked AS (UPDATE scores SET verified = $2::boolean WHERE id = $1::bigint RETURNING id)"
      " UPDATE replays SET checked = TRUE WHERE score_id = $1::bigint",
      {std::to_string(scoreId), std::string(verified ? "true" : "false")});
}

// Instances sweeping at the same moment skip each other's rows instead of waiting for them, so
// each replay goes to one of them.
std::vector<TReplayTarget> TPostgresScoreStore::TakeUncheckedReplays(int64_t nowUnix, int64_t olderThanUnix,
                                                                     int32_t count) {
  const TResult result =
      Run("cannot take unchecked replays",
          "WITH due AS (SELECT r.score_id FROM replays r JOIN scores s ON s.id = r.score_id"
          "  WHERE NOT r.checked AND s.submitted <= $2::bigint AND (r.claimed IS NULL OR r.claimed <= $2::bigint)"
          "  ORDER BY r.score_id LIMIT $3::integer FOR UPDATE OF r SKIP LOCKED),"
          " taken AS (UPDATE replays SET claimed = $1::bigint WHERE score_id IN (SELECT score_id FROM due)"
          "  RETURNING score_id)"
          " SELECT t.score_id, s.score FROM taken t JOIN scores s ON s.id = t.score_id ORDER BY t.score_id",
          {std::to_string(nowUnix), std::to_string(olderThanUnix), std::to_string(count)});
  std::vector<TReplayTarget> taken;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    TReplayTarget target;
    target.ScoreId = Number(PQgetvalue(result.get(), row, 0));
    target.Score = static_cast<int32_t>(Number(PQgetvalue(result.get(), row, 1)));
    taken.push_back(target);
  }
  return taken;
}

std::optional<std::string> TPostgresScoreStore::Replay(int64_t scoreId) const {
  const TResult result = Run("cannot read the replay", "SELECT data FROM replays WHERE score_id = $1::bigint",
                             {std::to_string(scoreId)}, true);
  if (PQntuples(result.get()) != 1) return std::nullopt;
  return std::string(PQgetvalue(result.get(), 0, 0), static_cast<size_t>(PQgetlength(result.get(), 0, 0)));
}
