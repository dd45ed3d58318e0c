#pragma once

#include <cstdint>
#include <vector>

// One step of a store's schema: applied once, in order of Version, inside one transaction, and
// recorded in the table schema_version. Steps are never edited once released; a change is a new one.
struct TMigration {
  int32_t Version = 0;
  const char* Sql = "";
};

const std::vector<TMigration>& SqliteMigrations();
const std::vector<TMigration>& PostgresMigrations();
