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
      // Version 2: each score remembers its token, so the replay sent after it finds it; a
      // replay per score, and whether it reproduced the score.
      {2,
       "ALTER TABLE scores ADD COLUMN token TEXT;"
       "ALTER TABLE scores ADD COLUMN verified INTEGER NOT NULL DEFAULT 0;"
       "CREATE INDEX scores_by_token ON scores (token);"
       "CREATE INDEX scores_verified_by_rank ON scores (type, verified, score DESC, id);"
       "CREATE TABLE replays (score_id INTEGER PRIMARY KEY REFERENCES scores (id), data BLOB NOT NULL);"},
      // Version 3: whether a replay has been played again, and when an instance last took it to
      // do so, so that a replay its instance never got to (stopped, or too busy) is checked by
      // another. Replays of verified scores were checked; the others get one more look.
      {3,
       "ALTER TABLE replays ADD COLUMN checked INTEGER NOT NULL DEFAULT 0;"
       "ALTER TABLE replays ADD COLUMN claimed INTEGER;"
       "UPDATE replays SET checked = 1 WHERE score_id IN (SELECT id FROM scores WHERE verified);"
       "CREATE INDEX replays_unchecked ON replays (checked, score_id);"},
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
      // Version 2: as in SQLite, each score remembers its token and whether its replay reached it,
      // and the replays live beside the scores, so any instance can serve or check them.
      {2,
       "ALTER TABLE scores ADD COLUMN token TEXT;"
       "ALTER TABLE scores ADD COLUMN verified BOOLEAN NOT NULL DEFAULT FALSE;"
       "CREATE INDEX scores_by_token ON scores (token);"
       "CREATE INDEX scores_verified_by_rank ON scores (type, verified, score DESC, id);"
       "CREATE TABLE replays (score_id BIGINT PRIMARY KEY REFERENCES scores (id), data BYTEA NOT NULL);"},
      // Version 3: as in SQLite, whether a replay has been checked and when an instance took it.
      {3,
       "ALTER TABLE replays ADD COLUMN checked BOOLEAN NOT NULL DEFAULT FALSE;"
       "ALTER TABLE replays ADD COLUMN claimed BIGINT;"
       "UPDATE replays SET checked = TRUE WHERE score_id IN (SELECT id FROM scores WHERE verified);"
       "CREATE INDEX replays_unchecked ON replays (score_id) WHERE NOT checked;"},
  };
  return Steps;
}
