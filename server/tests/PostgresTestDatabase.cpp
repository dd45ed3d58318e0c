#include "server/tests/PostgresTestDatabase.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

std::string FirstLine(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string ServerAddress() {
  if (const char* given = std::getenv("ZARVOK_TEST_POSTGRES")) return given;
  return FirstLine(TPostgresTestDatabase::StateDir() + "/uri");
}

std::string Run(const std::string& address, const std::string& sql) {
  std::unique_ptr<PGconn, void (*)(PGconn*)> connection(PQconnectdb(address.c_str()), PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    ADD_FAILURE() << "cannot reach the test database: " << PQerrorMessage(connection.get());
    return {};
  }
  PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
  std::unique_ptr<PGresult, void (*)(PGresult*)> result(PQexec(connection.get(), sql.c_str()), PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result.get());
    return {};
  }
  return PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
}

}  // namespace

std::string TPostgresTestDatabase::StateDir() {
  if (const char* given = std::getenv("ZARVOK_TEST_POSTGRES_DIR")) return given;
  return ZARVOK_TEST_POSTGRES_DIR;
}

std::string TPostgresTestDatabase::SkipReason() {
  if (!ServerAddress().empty()) return {};
  const std::string reason = FirstLine(StateDir() + "/skip");
  if (!reason.empty()) return "no PostgreSQL for the tests: " + reason;
  return "no PostgreSQL for the tests: ctest starts one (fixture server_postgres), or set "
         "ZARVOK_TEST_POSTGRES to an address";
}

TPostgresTestDatabase::TPostgresTestDatabase() : FServer(ServerAddress()) {
  static std::atomic<int> Made{0};
  FSchema = "test_" + std::to_string(::getpid()) + "_" + std::to_string(Made++);
  Run(FServer, "DROP SCHEMA IF EXISTS " + FSchema + " CASCADE; CREATE SCHEMA " + FSchema);
  FAddress = FServer + (FServer.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + FSchema;
}

TPostgresTestDatabase::~TPostgresTestDatabase() { Run(FServer, "DROP SCHEMA IF EXISTS " + FSchema + " CASCADE"); }

std::string TPostgresTestDatabase::Sql(const std::string& sql) const { return Run(FAddress, sql); }
