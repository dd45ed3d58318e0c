#include "server/ScoreStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "server/PostgresScoreStore.h"
#include "server/ScoreMigration.h"
#include "server/SqliteScoreStore.h"
#include "server/StoreSchema.h"
#include "server/tests/PostgresTestDatabase.h"

namespace {

TSubmission Result(const std::string& name, int32_t score, const std::string& additional = "") {
  TSubmission submission;
  submission.Name = name;
  submission.Score = score;
  submission.Additional = additional;
  return submission;
}

TScoreRow Row(const std::string& name, int32_t score, int64_t submitted, const std::string& additional = "") {
  TScoreRow row;
  row.Name = name;
  row.Score = score;
  row.Submitted = submitted;
  row.Additional = additional;
  return row;
}

constexpr int64_t Now = 1796774400;

// The same cases run against each backend: an SQLite file of its own, or a schema of its own in
// the test PostgreSQL server. Open() may be called more than once: each call is another server
// instance (or the same one after a restart) on the same data.
class ScoreStoreTest : public ::testing::TestWithParam<std::string> {
 protected:
  int32_t LatestSchemaVersion() const {
    return (Postgres() ? PostgresMigrations() : SqliteMigrations()).back().Version;
  }
  void SetUp() override {
    if (Postgres()) {
      const std::string reason = TPostgresTestDatabase::SkipReason();
      if (!reason.empty()) GTEST_SKIP() << reason;
      FDatabase = std::make_unique<TPostgresTestDatabase>();
    } else {
      std::filesystem::remove_all(FFolder);
      std::filesystem::create_directories(FFolder);
    }
  }
  void TearDown() override {
    FDatabase.reset();
    std::filesystem::remove_all(FFolder);
  }

  bool Postgres() const { return GetParam() == "postgresql"; }
  std::unique_ptr<TScoreStore> Open() const {
    if (Postgres()) return std::make_unique<TPostgresScoreStore>(FDatabase->Address(), 4);
    return std::make_unique<TSqliteScoreStore>((FFolder / "scores.sqlite").string());
  }
  // SQL straight to the database, behind the store's back.
  void Sql(const std::string& statement) const {
    if (Postgres()) {
      FDatabase->Sql(statement);
      return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((FFolder / "scores.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  // Every new score fails, as on a full disk.
  void BreakInserts() const {
    if (Postgres()) {
      Sql("CREATE FUNCTION full_disk() RETURNS trigger LANGUAGE plpgsql AS "
          "$$ BEGIN RAISE EXCEPTION 'could not extend file: No space left on device'; END $$;"
          "CREATE TRIGGER full_disk BEFORE INSERT ON scores FOR EACH ROW EXECUTE FUNCTION full_disk()");
    } else {
      Sql("CREATE TRIGGER full_disk BEFORE INSERT ON scores BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    }
  }
  void MendInserts() const { Sql("DROP TRIGGER full_disk" + std::string(Postgres() ? " ON scores" : "")); }

  const std::filesystem::path FFolder =
      std::filesystem::temp_directory_path() / ("zarvok-store-" + std::to_string(::getpid()));
  std::unique_ptr<TPostgresTestDatabase> FDatabase;
};

INSTANTIATE_TEST_SUITE_P(Backends, ScoreStoreTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST_P(ScoreStoreTest, RanksByScoreThenByArrival) {
  const auto store = Open();
  store->Import({Row("LOW", 10, 100), Row("FIRST", 500, 200, "EARLY"), Row("SECOND", 500, 150),
                 Row("TOP", 2147483647, 300)});
  const std::vector<TScoreRow> rows = store->Top(100);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Name, "TOP");
  EXPECT_EQ(rows[0].Score, 2147483647);
  EXPECT_EQ(rows[1].Name, "FIRST");
  EXPECT_EQ(rows[1].Additional, "EARLY");
  EXPECT_EQ(rows[1].Submitted, 200);
  EXPECT_EQ(rows[2].Name, "SECOND") << "a later arrival, even with an earlier date";
  EXPECT_EQ(rows[3].Name, "LOW");
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].Rank, static_cast<int32_t>(i) + 1);
  EXPECT_EQ(store->Top(2).size(), 2u);
  EXPECT_EQ(store->Count(), 4);
  const std::vector<TScoreRow> all = store->AllScores();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[2].Name, "SECOND") << "in the order of arrival";
  EXPECT_EQ(all[2].Submitted, 150);
}

TEST_P(ScoreStoreTest, StoresTextAsDataNotAsSql) {
  const auto store = Open();
  store->AddToken("T1", Now + 600);
  ASSERT_TRUE(store->AddWithToken("T1", Result("X'); DROP TABLE scores; --", 1, "\"'%_\\$1"), Now));
  EXPECT_FALSE(store->AddWithToken("' OR '1'='1", Result("Y", 2), Now));
  const std::vector<TScoreRow> rows = store->Top(10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "X'); DROP TABLE scores; --");
  EXPECT_EQ(rows[0].Additional, "\"'%_\\$1");
  EXPECT_EQ(rows[0].Submitted, Now);
}

TEST_P(ScoreStoreTest, ATokenStoresOneScoreWithinItsLifetime) {
  const auto store = Open();
  store->AddToken("FRESH", Now + 600);
  store->AddToken("OLD", Now + 10);
  EXPECT_TRUE(store->TokenValid("FRESH", Now + 599));
  EXPECT_TRUE(store->TokenValid("FRESH", Now + 599)) << "looking does not use it up";
  EXPECT_FALSE(store->TokenValid("OLD", Now + 10));
  EXPECT_FALSE(store->TokenValid("NOTATOKEN", Now));
  EXPECT_FALSE(store->AddWithToken("OLD", Result("LATE", 1), Now + 10));
  EXPECT_FALSE(store->AddWithToken("", Result("NONE", 1), Now));
  EXPECT_TRUE(store->AddWithToken("FRESH", Result("ANNA", 7), Now + 599));
  EXPECT_FALSE(store->AddWithToken("FRESH", Result("AGAIN", 8), Now + 599));
  EXPECT_FALSE(store->TokenValid("FRESH", Now + 1));
  ASSERT_EQ(store->Count(), 1);
  EXPECT_EQ(store->Top(1)[0].Name, "ANNA");
}

TEST_P(ScoreStoreTest, OneTokenRedeemedAtTwoInstancesAtOnceStoresOnce) {
  const auto first = Open();
  const auto second = Open();
  constexpr int Tokens = 40;
  for (int t = 0; t < Tokens; ++t) first->AddToken("RACE" + std::to_string(t), Now + 600);
  std::atomic<int> stored{0};
  std::vector<std::thread> racers;
  for (int r = 0; r < 4; ++r) {
    TScoreStore& instance = r % 2 == 0 ? *first : *second;
    racers.emplace_back([&instance, &stored, r] {
      for (int t = 0; t < Tokens; ++t) {
        if (instance.AddWithToken("RACE" + std::to_string(t), Result("R", r), Now)) ++stored;
      }
    });
  }
  for (std::thread& racer : racers) racer.join();
  EXPECT_EQ(stored.load(), Tokens);
  EXPECT_EQ(first->Count(), Tokens);
}

TEST_P(ScoreStoreTest, InstancesStartingTogetherMigrateOnce) {
  std::unique_ptr<TScoreStore> stores[3];
  std::vector<std::thread> starters;
  for (auto& store : stores) starters.emplace_back([this, &store] { store = Open(); });
  for (std::thread& starter : starters) starter.join();
  for (const auto& store : stores) EXPECT_EQ(store->SchemaVersion(), LatestSchemaVersion());
}

TEST_P(ScoreStoreTest, AFailedStoreLeavesTheTokenUsable) {
  const auto store = Open();
  store->AddToken("KEEP", Now + 600);
  BreakInserts();
  EXPECT_THROW(store->AddWithToken("KEEP", Result("ANNA", 5), Now), EScoreStoreError);
  EXPECT_TRUE(store->TokenValid("KEEP", Now));
  MendInserts();
  EXPECT_TRUE(store->AddWithToken("KEEP", Result("ANNA", 5), Now));
  EXPECT_EQ(store->Count(), 1);
}

TEST_P(ScoreStoreTest, ARestartLosesNoTokenAndMigratesOnce) {
  {
    const auto store = Open();
    EXPECT_EQ(store->SchemaVersion(), LatestSchemaVersion());
    store->AddToken("SURVIVES", Now + 600);
    ASSERT_TRUE(store->CountAttempt("submit", "10.0.0.1", Now, 1));
  }
  const auto reopened = Open();
  EXPECT_EQ(reopened->SchemaVersion(), LatestSchemaVersion());
  EXPECT_FALSE(reopened->CountAttempt("submit", "10.0.0.1", Now + 1, 1)) << "the count survives too";
  EXPECT_TRUE(reopened->AddWithToken("SURVIVES", Result("ANNA", 1), Now + 1));
}

// Attempts one address makes, each at a second from the start, and whether each is let through.
struct TAttemptCase {
  const char* Name;
  int32_t PerMinute;
  std::vector<std::pair<int64_t, bool>> Attempts;
};

TEST_P(ScoreStoreTest, CountsAttemptsInASlidingMinute) {
  const TAttemptCase cases[] = {
      {"the window slides: the first attempt leaves it at 60 s, the second at 61 s",
       2,
       {{0, true}, {1, true}, {30, false}, {59, false}, {60, true}, {60, false}, {61, true}}},
      {"refused attempts do not count", 1, {{0, true}, {20, false}, {40, false}, {59, false}, {60, true}}},
      {"no limit", 0, {{0, true}, {0, true}, {0, true}, {0, true}}},
  };
  const auto store = Open();
  int address = 0;
  for (const TAttemptCase& c : cases) {
    const std::string who = "10.0.0." + std::to_string(++address);
    for (const auto& [at, allowed] : c.Attempts) {
      EXPECT_EQ(store->CountAttempt("submit", who, Now + at, c.PerMinute), allowed) << c.Name << ", at " << at;
    }
  }
  EXPECT_TRUE(store->CountAttempt("version", "10.0.0.2", Now + 30, 1)) << "each kind has its own count";
  EXPECT_TRUE(store->CountAttempt("submit", "10.9.9.9", Now + 30, 1)) << "each address has its own count";
}

TEST_P(ScoreStoreTest, ForgettingKeepsWhatStillCounts) {
  const auto store = Open();
  store->AddToken("GONE", Now + 100);
  store->AddToken("KEPT", Now + 200);
  ASSERT_TRUE(store->CountAttempt("submit", "a", Now + 100, 1));
  store->Forget(Now + 150);
  EXPECT_FALSE(store->CountAttempt("submit", "a", Now + 155, 1)) << "the attempt at 100 counts until 160";
  EXPECT_TRUE(store->AddWithToken("KEPT", Result("ANNA", 1), Now + 150));
  store->Forget(Now + 161);
  EXPECT_TRUE(store->CountAttempt("submit", "a", Now + 161, 1));
}

TEST_P(ScoreStoreTest, TakesInTheTableOfASingleServerOnce) {
  TSqliteScoreStore single(":memory:");
  single.Import({Row("FIRST", 10, 100, "OLD"), Row("SECOND", 10, 50), Row("BEST", 99, 300)});
  const auto store = Open();
  EXPECT_EQ(CopyScores(single, *store), 3);
  const std::vector<TScoreRow> rows = store->Top(10);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Name, "BEST");
  EXPECT_EQ(rows[1].Name, "FIRST") << "equal scores keep their order of arrival";
  EXPECT_EQ(rows[1].Additional, "OLD");
  EXPECT_EQ(rows[1].Submitted, 100);
  EXPECT_EQ(rows[2].Name, "SECOND");
  EXPECT_THROW(CopyScores(single, *store), EScoreStoreError) << "a second run would double the table";
  EXPECT_EQ(store->Count(), 3);
}

// Every byte value, a NUL among them, and a size near the largest replay the server takes.
std::string BinaryReplay(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) % 256);
  return bytes;
}

TEST_P(ScoreStoreTest, AReplayJoinsTheScoreOfItsTokenOnce) {
  const auto store = Open();
  store->Import({Row("IMPORTED", 900, 100)});
  store->AddToken("T1", Now + 600);
  store->AddToken("T2", Now + 600);
  ASSERT_TRUE(store->AddWithToken("T1", Result("ANNA", 500), Now));
  ASSERT_TRUE(store->AddWithToken("T2", Result("BERT", 40), Now));
  const std::vector<TScoreRow> rows = store->Top(10);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NE(rows[0].Id, rows[1].Id);
  for (const TScoreRow& row : rows) EXPECT_FALSE(row.Verified) << row.Name;
  const int64_t anna = rows[1].Id;

  const std::string replay = BinaryReplay(1024 * 1024);
  const std::optional<TReplayTarget> target = store->AddReplay("T1", replay);
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->ScoreId, anna);
  EXPECT_EQ(target->Score, 500);
  EXPECT_FALSE(store->AddReplay("T1", "a later one")) << "a score keeps its first replay";
  EXPECT_FALSE(store->AddReplay("NOSUCHTOKEN", replay));
  EXPECT_FALSE(store->AddReplay("", replay)) << "imported scores have no token";

  const std::optional<std::string> kept = store->Replay(anna);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->size(), replay.size());
  EXPECT_TRUE(*kept == replay) << "the bytes come back as they were sent";
  EXPECT_FALSE(store->Replay(rows[2].Id)) << "BERT sent none";
  EXPECT_FALSE(store->Replay(anna + 1000));

  // Another instance sees the replay, and the empty one of BERT is kept as it is.
  const auto other = Open();
  EXPECT_TRUE(other->Replay(anna) == replay);
  ASSERT_TRUE(other->AddReplay("T2", ""));
  EXPECT_EQ(store->Replay(rows[2].Id), std::string());
}

TEST_P(ScoreStoreTest, VerifiedScoresRankAmongThemselves) {
  const auto store = Open();
  const char* names[] = {"LOW", "HIGH", "MID", "TIED"};
  const int32_t scores[] = {10, 300, 200, 200};
  for (int i = 0; i < 4; ++i) {
    const std::string token = "V" + std::to_string(i);
    store->AddToken(token, Now + 600);
    ASSERT_TRUE(store->AddWithToken(token, Result(names[i], scores[i]), Now));
  }
  EXPECT_TRUE(store->TopVerified(10).empty());
  const std::vector<TScoreRow> all = store->Top(10);  // HIGH, MID, TIED, LOW
  for (const size_t i : {0u, 2u, 3u}) store->SetVerified(all[i].Id, true);
  store->SetVerified(all[0].Id, false);  // a later check that failed takes it back
  store->SetVerified(all[0].Id + 1000, true);  // a score gone meanwhile: nothing to mark

  const std::vector<TScoreRow> verified = store->TopVerified(10);
  ASSERT_EQ(verified.size(), 2u);
  EXPECT_EQ(verified[0].Name, "TIED");
  EXPECT_EQ(verified[0].Rank, 1) << "ranked among the verified scores";
  EXPECT_EQ(verified[0].Id, all[2].Id);
  EXPECT_EQ(verified[1].Name, "LOW");
  EXPECT_EQ(verified[1].Rank, 2);
  for (const TScoreRow& row : verified) EXPECT_TRUE(row.Verified);
  EXPECT_EQ(store->TopVerified(1).size(), 1u);

  const std::vector<TScoreRow> again = store->Top(10);
  ASSERT_EQ(again.size(), 4u);
  const bool expected[] = {false, false, true, true};
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].Verified, expected[i]) << again[i].Name;
}

TEST_P(ScoreStoreTest, OneReplayUploadedAtTwoInstancesAtOnceIsKeptOnce) {
  const auto first = Open();
  const auto second = Open();
  constexpr int Scores = 20;
  for (int t = 0; t < Scores; ++t) {
    const std::string token = "UP" + std::to_string(t);
    first->AddToken(token, Now + 600);
    ASSERT_TRUE(first->AddWithToken(token, Result("R", t), Now));
  }
  std::atomic<int> kept{0};
  std::atomic<int> failed{0};  // the loser must hear "has one already", not a store error
  std::vector<std::thread> uploaders;
  for (int r = 0; r < 4; ++r) {
    TScoreStore& instance = r % 2 == 0 ? *first : *second;
    uploaders.emplace_back([&instance, &kept, &failed, r] {
      for (int t = 0; t < Scores; ++t) {
        try {
          if (instance.AddReplay("UP" + std::to_string(t), "replay from uploader " + std::to_string(r))) ++kept;
        } catch (const EScoreStoreError&) {
          ++failed;
        }
      }
    });
  }
  for (std::thread& uploader : uploaders) uploader.join();
  EXPECT_EQ(kept.load(), Scores);
  EXPECT_EQ(failed.load(), 0);
  for (const TScoreRow& row : first->Top(Scores)) {
    const std::optional<std::string> replay = second->Replay(row.Id);
    ASSERT_TRUE(replay.has_value()) << row.Name << " " << row.Score;
    EXPECT_EQ(replay->rfind("replay from uploader ", 0), 0u) << *replay;
  }
}

// What a sweep may take: replays nobody checked, of scores older than the lease, not taken by
// another instance within it.
TEST_P(ScoreStoreTest, ASweepTakesOnlyReplaysLeftUnchecked) {
  const auto store = Open();
  struct TCase {
    const char* Name;
    int64_t Age;  // seconds before Now the score came
    bool Replay;
    bool Checked;
  };
  const TCase cases[] = {{"LEFT", 3600, true, false},
                         {"FRESH", 10, true, false},
                         {"CHECKED", 3600, true, true},
                         {"NOREPLAY", 3600, false, false}};
  std::map<std::string, int64_t> ids;
  for (const TCase& c : cases) {
    store->AddToken(c.Name, Now + 600);
    ASSERT_TRUE(store->AddWithToken(c.Name, Result(c.Name, 10), Now - c.Age));
    if (!c.Replay) continue;
    const std::optional<TReplayTarget> target = store->AddReplay(c.Name, "R");
    ASSERT_TRUE(target.has_value());
    ids[c.Name] = target->ScoreId;
    if (c.Checked) store->SetVerified(target->ScoreId, false);
  }
  constexpr int64_t Lease = 600;
  const auto take = [&](TScoreStore& from, int64_t now) {
    std::set<int64_t> taken;
    for (const TReplayTarget& t : from.TakeUncheckedReplays(now, now - Lease, 16))
      taken.insert(t.ScoreId);
    return taken;
  };
  EXPECT_EQ(take(*store, Now), std::set<int64_t>{ids["LEFT"]});
  const auto other = Open();
  EXPECT_TRUE(take(*other, Now + 10).empty()) << "taken by the first instance for the lease";
  EXPECT_EQ(take(*other, Now + Lease + 1), (std::set<int64_t>{ids["LEFT"], ids["FRESH"]}))
      << "the first instance did not finish within its lease";
  store->SetVerified(ids["LEFT"], true);
  EXPECT_EQ(take(*store, Now + 3 * Lease), std::set<int64_t>{ids["FRESH"]});
  EXPECT_EQ(store->TakeUncheckedReplays(Now + 5 * Lease, Now + 4 * Lease, 16).at(0).Score, 10);
}

// Two instances sweeping at the same moment share the replays out: each is taken once.
TEST_P(ScoreStoreTest, InstancesSweepingTogetherTakeEachReplayOnce) {
  const auto first = Open();
  const auto second = Open();
  constexpr int Replays = 40;
  for (int t = 0; t < Replays; ++t) {
    const std::string token = "SW" + std::to_string(t);
    first->AddToken(token, Now + 600);
    ASSERT_TRUE(first->AddWithToken(token, Result("S", t), Now - 3600));
    ASSERT_TRUE(first->AddReplay(token, "R"));
  }
  std::vector<TReplayTarget> taken[2];
  std::vector<std::thread> sweepers;
  for (int i = 0; i < 2; ++i) {
    sweepers.emplace_back([&, i] {
      TScoreStore& instance = i == 0 ? *first : *second;
      for (int round = 0; round < 4; ++round) {
        const std::vector<TReplayTarget> batch = instance.TakeUncheckedReplays(Now, Now - 600, 8);
        taken[i].insert(taken[i].end(), batch.begin(), batch.end());
      }
    });
  }
  for (std::thread& sweeper : sweepers) sweeper.join();
  std::set<int64_t> once;
  for (const auto& list : taken)
    for (const TReplayTarget& t : list) EXPECT_TRUE(once.insert(t.ScoreId).second) << "taken twice: " << t.ScoreId;
  EXPECT_EQ(once.size(), static_cast<size_t>(Replays));
}

// A table of the second version: replays of verified scores count as checked, the others get
// one more look.
TEST_P(ScoreStoreTest, ASecondVersionTableKnowsWhichReplaysWereChecked) {
  const auto& steps = Postgres() ? PostgresMigrations() : SqliteMigrations();
  const std::string truth = Postgres() ? "TRUE" : "1";
  const std::string untruth = Postgres() ? "FALSE" : "0";
  Sql(std::string("CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL);") +
      steps[0].Sql + steps[1].Sql + "INSERT INTO schema_version VALUES (1, 0); INSERT INTO schema_version VALUES (2, 0);"
      "INSERT INTO scores (id, type, name, score, additional, submitted, token, verified) VALUES"
      " (1, 0, 'GOOD', 30, '', 77, 'A', " + truth + "), (2, 0, 'PENDING', 20, '', 77, 'B', " + untruth + ");"
      "INSERT INTO replays (score_id, data) VALUES (1, 'R1'), (2, 'R2')");
  const auto store = Open();
  EXPECT_EQ(store->SchemaVersion(), LatestSchemaVersion());
  const std::vector<TReplayTarget> taken = store->TakeUncheckedReplays(Now, Now - 600, 16);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].ScoreId, 2);
  EXPECT_EQ(store->TopVerified(10).size(), 1u);
}

// A table written before replays existed: its scores stay, unverified and without a replay.
TEST_P(ScoreStoreTest, AFirstVersionTableGainsReplays) {
  const std::string firstVersion = (Postgres() ? PostgresMigrations() : SqliteMigrations()).front().Sql;
  Sql("CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL);" + firstVersion +
      "INSERT INTO schema_version VALUES (1, 0);"
      "INSERT INTO scores (type, name, score, additional, submitted) VALUES (0, 'OLDTIMER', 4242, 'KEPT', 77);"
      "INSERT INTO tokens VALUES ('PENDING', " + std::to_string(Now + 600) + ")");
  const auto store = Open();
  EXPECT_EQ(store->SchemaVersion(), LatestSchemaVersion());
  const std::vector<TScoreRow> rows = store->Top(10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "OLDTIMER");
  EXPECT_FALSE(rows[0].Verified);
  EXPECT_FALSE(store->Replay(rows[0].Id));
  EXPECT_TRUE(store->TopVerified(10).empty());
  ASSERT_TRUE(store->AddWithToken("PENDING", Result("NEWCOMER", 1), Now)) << "a token handed out before stays good";
  EXPECT_TRUE(store->AddReplay("PENDING", "R"));
}

// Moving a table to PostgreSQL (or another file) must not lose what the verifier found.
TEST_P(ScoreStoreTest, MovingATableKeepsItsReplaysAndVerifiedMarks) {
  TSqliteScoreStore single(":memory:");
  single.Import({Row("IMPORTED", 1, 50)});
  const char* names[] = {"CHECKED", "PENDING", "NOREPLAY"};
  for (int i = 0; i < 3; ++i) {
    const std::string token = "M" + std::to_string(i);
    single.AddToken(token, Now + 600);
    ASSERT_TRUE(single.AddWithToken(token, Result(names[i], 100 - i), Now));
  }
  const std::string checked = BinaryReplay(4096);
  const std::optional<TReplayTarget> first = single.AddReplay("M0", checked);
  ASSERT_TRUE(first.has_value());
  single.SetVerified(first->ScoreId, true);
  ASSERT_TRUE(single.AddReplay("M1", "not yet checked"));

  const auto store = Open();
  EXPECT_EQ(CopyScores(single, *store), 4);
  const std::vector<TScoreRow> verified = store->TopVerified(10);
  ASSERT_EQ(verified.size(), 1u);
  EXPECT_EQ(verified[0].Name, "CHECKED");
  EXPECT_TRUE(store->Replay(verified[0].Id) == checked);
  const std::vector<TScoreRow> rows = store->Top(10);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(store->Replay(rows[1].Id), std::optional<std::string>("not yet checked"));
  EXPECT_FALSE(store->Replay(rows[2].Id)) << rows[2].Name;
  EXPECT_FALSE(store->AddReplay("M0", "another")) << "the moved score keeps its replay";
  EXPECT_TRUE(store->AddReplay("M2", "late")) << "a replay still on its way finds its score";
  const std::vector<TReplayTarget> unchecked = store->TakeUncheckedReplays(Now + 7200, Now + 3600, 16);
  ASSERT_EQ(unchecked.size(), 2u) << "the verified one counts as checked";
  EXPECT_EQ(unchecked[0].ScoreId, rows[1].Id);
  EXPECT_EQ(unchecked[1].ScoreId, rows[2].Id);
}

// An instance opens its whole pool at start, so a crowd arriving at a fresh instance does not wait
// while it connects; a database with fewer connections to spare still lets it start and serve.
TEST(PostgresScoreStore, OpensItsPoolAtStartAsFarAsTheDatabaseAllows) {
  const std::string reason = TPostgresTestDatabase::SkipReason();
  if (!reason.empty()) GTEST_SKIP() << reason;
  struct TCase {
    const char* What;
    int Limit;  // connections the role may hold, -1 for no limit
    int Expected;
  };
  constexpr size_t Pool = 5;
  for (const TCase& c : {TCase{"plenty of connections", -1, 5}, TCase{"only two to spare", 2, 2}}) {
    SCOPED_TRACE(c.What);
    const TPostgresTestDatabase database;
    // The test server's own role is a superuser, to which no limit applies: a role of its own.
    const std::string role = "pool_" + std::to_string(::getpid());
    const std::string schema = database.Sql("SELECT current_schema()");
    database.Sql("DROP ROLE IF EXISTS " + role + "; CREATE ROLE " + role + " LOGIN CONNECTION LIMIT " +
                 std::to_string(c.Limit) + "; GRANT ALL ON SCHEMA " + schema + " TO " + role);
    {
      TPostgresScoreStore store(database.Address() + "&user=" + role + "&application_name=" + role, Pool);
      EXPECT_EQ(database.Sql("SELECT count(*) FROM pg_stat_activity WHERE application_name = '" + role + "'"),
                std::to_string(c.Expected));
      store.AddToken("POOL", Now + 600);
      EXPECT_TRUE(store.AddWithToken("POOL", Result("POOLED", 7), Now));
      EXPECT_EQ(store.Top(1).size(), 1u);
    }
    database.Sql("DROP OWNED BY " + role + "; DROP ROLE " + role);
  }
}

TEST(SqliteScoreStore, TakesOverTheTableOfTheFirstServer) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-oldstore-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "scores.sqlite").string();
  {
    // The first server's schema, without tokens, attempts or a version.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, type INTEGER NOT NULL, name TEXT NOT NULL,"
                           " score INTEGER NOT NULL, additional TEXT NOT NULL, submitted INTEGER NOT NULL);"
                           "CREATE INDEX scores_by_rank ON scores (type, score DESC, id);"
                           "INSERT INTO scores VALUES (1, 0, 'OLDTIMER', 4242, 'KEPT', 77)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  TSqliteScoreStore store(file);
  EXPECT_EQ(store.SchemaVersion(), SqliteMigrations().back().Version);
  ASSERT_EQ(store.Count(), 1);
  EXPECT_EQ(store.Top(1)[0].Name, "OLDTIMER");
  EXPECT_EQ(store.Top(1)[0].Submitted, 77);
  store.AddToken("NEW", Now + 600);
  EXPECT_TRUE(store.AddWithToken("NEW", Result("NEWCOMER", 1), Now));
  std::filesystem::remove_all(folder);
}

TEST(SqliteScoreStore, KeepsScoresInAWriteAheadLoggedFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-walstore-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "scores.sqlite").string();
  { TSqliteScoreStore store(file); }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
  sqlite3_finalize(statement);
  sqlite3_close(db);
  std::filesystem::remove_all(folder);
}

TEST(SqliteScoreStore, ADeletedFileIsAnErrorNotAQuietLoss) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-gonestore-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  TSqliteScoreStore store((folder / "scores.sqlite").string());
  store.AddToken("T", Now + 600);
  std::filesystem::remove_all(folder);
  EXPECT_THROW(store.AddWithToken("T", Result("LOST", 1), Now), EScoreStoreError);
  EXPECT_THROW(store.AddToken("U", Now + 600), EScoreStoreError);
}

TEST(ScoreStoreOpening, RaisesWhereThereIsNoDatabase) {
  EXPECT_THROW(TSqliteScoreStore("/proc/no-such-folder/scores.sqlite"), EScoreStoreError);
  EXPECT_THROW(TSqliteScoreStore("/tmp/zarvok-no-such-file.sqlite", false), EScoreStoreError);
  EXPECT_THROW(OpenScoreStore("mysql://somewhere/db", "unused"), EScoreStoreError);
  // Port 1 on loopback: nothing listens there.
  EXPECT_THROW(OpenScoreStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2", "unused"), EScoreStoreError);
}

}  // namespace
