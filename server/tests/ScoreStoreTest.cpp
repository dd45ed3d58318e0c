#include "server/ScoreStore.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

namespace {

TSubmission Result(const std::string& name, int32_t score, const std::string& additional = "") {
  TSubmission submission;
  submission.Name = name;
  submission.Score = score;
  submission.Additional = additional;
  return submission;
}

TEST(ScoreStore, RanksByScoreThenByArrival) {
  TScoreStore store(":memory:");
  store.Add(Result("LOW", 10), 100);
  store.Add(Result("FIRST", 500, "EARLY"), 200);
  store.Add(Result("SECOND", 500), 150);  // later arrival, even with an earlier date
  store.Add(Result("TOP", 2147483647), 300);
  const std::vector<TScoreRow> rows = store.Top(100);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Name, "TOP");
  EXPECT_EQ(rows[0].Score, 2147483647);
  EXPECT_EQ(rows[1].Name, "FIRST");
  EXPECT_EQ(rows[1].Additional, "EARLY");
  EXPECT_EQ(rows[1].Submitted, 200);
  EXPECT_EQ(rows[2].Name, "SECOND");
  EXPECT_EQ(rows[3].Name, "LOW");
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].Rank, static_cast<int32_t>(i) + 1);
  EXPECT_EQ(store.Top(2).size(), 2u);
  EXPECT_EQ(store.Count(), 4);
}

TEST(ScoreStore, StoresTextAsDataNotAsSql) {
  TScoreStore store(":memory:");
  store.Add(Result("X'); DROP TABLE scores; --", 1, "\"'%_\\"), 1);
  store.Add(Result("Y", 2), 2);
  const std::vector<TScoreRow> rows = store.Top(10);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].Name, "X'); DROP TABLE scores; --");
  EXPECT_EQ(rows[1].Additional, "\"'%_\\");
}

TEST(ScoreStore, KeepsScoresInAWriteAheadLoggedFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zarvok-store-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "scores.sqlite").string();
  {
    TScoreStore store(file);
    store.Add(Result("KEPT", 42), 7);
  }
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    sqlite3_close(db);
  }
  TScoreStore reopened(file);
  ASSERT_EQ(reopened.Count(), 1);
  EXPECT_EQ(reopened.Top(1)[0].Name, "KEPT");
  std::filesystem::remove_all(folder);
}

TEST(ScoreStore, RaisesWhenTheFileCannotBeOpened) {
  EXPECT_THROW(TScoreStore("/proc/no-such-folder/scores.sqlite"), EScoreStoreError);
}

}  // namespace
