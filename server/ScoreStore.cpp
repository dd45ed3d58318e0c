#include "server/ScoreStore.h"

#include <filesystem>

#include "server/PostgresScoreStore.h"
#include "server/SqliteScoreStore.h"

namespace {

// Enough for the request threads of one instance; PostgreSQL's default allows 100 connections.
constexpr size_t PostgresPoolSize = 16;

}  // namespace

bool IsPostgresAddress(std::string_view database) {
  return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& database, const std::string& dataDir) {
  if (database.empty()) {
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    if (error) throw EScoreStoreError("cannot make the data folder " + dataDir + ": " + error.message());
    return std::make_unique<TSqliteScoreStore>((std::filesystem::path(dataDir) / "scores.sqlite").string());
  }
  if (IsPostgresAddress(database)) return std::make_unique<TPostgresScoreStore>(database, PostgresPoolSize);
  throw EScoreStoreError("--database takes a postgresql:// address");
}

std::optional<TReplayTarget> TScoreStore::AddReplay(const std::string&, const std::string&) {
  throw EScoreStoreError("this store keeps no replays");
}

void TScoreStore::SetVerified(int64_t, bool) { throw EScoreStoreError("this store keeps no replays"); }

std::vector<TReplayTarget> TScoreStore::TakeUncheckedReplays(int64_t, int64_t, int32_t) { return {}; }

std::optional<std::string> TScoreStore::Replay(int64_t) const { return std::nullopt; }

std::vector<TScoreRow> TScoreStore::TopVerified(int32_t) const { return {}; }
