#include "server/StoreSchema.h"

// Version 1: the scores table of the first server (kept as it was, so an existing file is taken
// over as it stands), the tokens handed out with the version reply, and the attempts the rate
// limits count.

const std::vector<TMigration>& SqliteMigrations() {
  static const std::vector<TMigration> Steps = {
      {1,
       "CREATE TABLE IF NOT EXISTS scores ("
       " id INTEGER PRIMARY KEY,"
       " type INTEGER NOT NULL,"
       " name TEXT NOT NULL,"
       " score INTEGER NOT NULL,"
       " additional TEXT NOT NULL,"
       " submitted INTEGER NOT NULL);"
       "CREATE INDEX IF NOT EXISTS scores_by_rank ON scores (type, score DESC, id);"
       "CREATE TABLE tokens (token TEXT PRIMARY KEY, expires INTEGER NOT NULL);"
       "CREATE INDEX tokens_by_expiry ON tokens (expires);"
       "CREATE TABLE attempts (kind TEXT NOT NULL, address TEXT NOT NULL, at INTEGER NOT NULL);"
       "CREATE INDEX attempts_by_address ON attempts (kind, address, at);"
       "CREATE INDEX attempts_by_time ON attempts (at);"},
  };
  return Steps;
}

// The attempt counter is a function so that it takes its lock before it counts: each statement of
// a volatile function sees what other instances committed up to then, which keeps the limit exact
// across instances.
const std::vector<TMigration>& PostgresMigrations() {
  static const std::vector<TMigration> Steps = {
      {1,
       "CREATE TABLE scores ("
       " id BIGSERIAL PRIMARY KEY,"
       " type INTEGER NOT NULL,"
       " name TEXT NOT NULL,"
       " score INTEGER NOT NULL,"
       " additional TEXT NOT NULL,"
       " submitted BIGINT NOT NULL);"
       "CREATE INDEX scores_by_rank ON scores (type, score DESC, id);"
       "CREATE TABLE tokens (token TEXT PRIMARY KEY, expires BIGINT NOT NULL);"
       "CREATE INDEX tokens_by_expiry ON tokens (expires);"
       "CREATE TABLE attempts (kind TEXT NOT NULL, address TEXT NOT NULL, at BIGINT NOT NULL);"
       "CREATE INDEX attempts_by_address ON attempts (kind, address, at);"
       "CREATE INDEX attempts_by_time ON attempts (at);"
       "CREATE FUNCTION count_attempt(p_kind TEXT, p_address TEXT, p_now BIGINT, p_limit INTEGER, p_window BIGINT)"
       " RETURNS BOOLEAN LANGUAGE plpgsql VOLATILE AS $$"
       " DECLARE recent BIGINT;"
       " BEGIN"
       "  PERFORM pg_advisory_xact_lock(hashtext(p_kind || ' ' || p_address));"
       "  SELECT count(*) INTO recent FROM attempts"
       "   WHERE kind = p_kind AND address = p_address AND at > p_now - p_window;"
       "  IF recent >= p_limit THEN RETURN FALSE; END IF;"
       "  INSERT INTO attempts (kind, address, at) VALUES (p_kind, p_address, p_now);"
       "  RETURN TRUE;"
       " END $$;"},
  };
  return Steps;
}
