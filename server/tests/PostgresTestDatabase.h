#pragma once

#include <string>

// A scratch schema in the test PostgreSQL server that ctest starts (tools/ci/postgres-test-server.sh),
// dropped again at the end. Tests call SkipReason() first and skip with it when it is not empty.
class TPostgresTestDatabase {
 public:
  // Why there is no test server, or "" when there is one.
  static std::string SkipReason();
  // The folder of the test server's state (uri, state), for the fault tests that stop it.
  static std::string StateDir();

  TPostgresTestDatabase();
  ~TPostgresTestDatabase();
  TPostgresTestDatabase(const TPostgresTestDatabase&) = delete;
  TPostgresTestDatabase& operator=(const TPostgresTestDatabase&) = delete;

  // An address whose tables all live in this schema.
  const std::string& Address() const { return FAddress; }
  // Runs SQL in the schema on a connection of its own; returns the first value of the first row
  // ("" when none) and fails the test on an error.
  std::string Sql(const std::string& sql) const;

 private:
  std::string FServer;
  std::string FSchema;
  std::string FAddress;
};
