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
