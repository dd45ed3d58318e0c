#include "server/ScoreKeeper.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <unistd.h>

#include "scores/TextCoder.h"
#include "server/SqliteScoreStore.h"
#include "server/tests/FakeServerClock.h"

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

// The record as the game builds it: fields in order, "0" until the length divides by 5, coded.
std::string CodedRecord(const std::string& name, const std::string& score, const std::string& p,
                        const std::string& additional = "", char key = 'Z') {
  std::string record = "type=0|name=" + name + "|score=" + score + "|key=" + key + "|p=" + p + "|add=" +
                       additional + "|z=";
  while (record.size() % 5 != 0) record += '0';
  return EncodeText(record);
}

// The game's way of reading P: five times, cut at the first "|".
std::string TokenOf(std::string reply) {
  std::string field;
  for (int pass = 0; pass < 5; ++pass) {
    const size_t bar = reply.find('|');
    if (bar == std::string::npos) {
      field.clear();
      continue;
    }
    field = reply.substr(0, bar);
    reply = reply.substr(bar + 1);
  }
  return field;
}

class ScoreKeeperTest : public ::testing::Test {
 protected:
  TReply Get(const std::string& target, const std::string& address = "127.0.0.1") {
    return Keeper.HandleScript(target, address);
  }
  std::string FreshToken() {
    const TReply reply = Get("/cgi/version.pl?version&prg=Zarvok");
    EXPECT_EQ(reply.Status, 200);
    return TokenOf(reply.Body);
  }
  TReply Submit(const std::string& coded, const std::string& address = "127.0.0.1") {
    return Get("/cgi/version.pl?hs&prg=Zarvok&inf=" + coded, address);
  }

  TFakeServerClock Clock;
  TSqliteScoreStore Store{":memory:"};
  TScoreKeeper Keeper{Store, Clock, 'Z', 10};
};

TEST_F(ScoreKeeperTest, VersionReplyCarriesAFreshTokenInTheFifthField) {
  const TReply reply = Get("/cgi/version.pl?version&prg=Zarvok");
  EXPECT_EQ(reply.Status, 200);
  EXPECT_EQ(reply.Body.substr(0, 3), "OK|");
  EXPECT_EQ(std::count(reply.Body.begin(), reply.Body.end(), '|'), 5);
  EXPECT_EQ(TokenOf(reply.Body).size(), TTokenMaker::TokenLength);
  EXPECT_NE(TokenOf(reply.Body), FreshToken());
}

TEST_F(ScoreKeeperTest, StoresAGoodSubmissionAndShowsItOnTheTable) {
  const TReply reply = Submit(CodedRecord("ANNA", "31337", FreshToken(), "GOOD"));
  EXPECT_EQ(reply.Status, 200);
  EXPECT_EQ(reply.Body, "OK");
  ASSERT_EQ(Store.Count(), 1);
  const TScoreRow row = Store.Top(1)[0];
  EXPECT_EQ(row.Name, "ANNA");
  EXPECT_EQ(row.Score, 31337);
  EXPECT_EQ(row.Additional, "GOOD");
  EXPECT_EQ(row.Submitted, Clock.UnixSeconds());

  const TReply table = Get("/cgi/version.pl?prg=Zarvok&show&type=0");
  EXPECT_EQ(table.Status, 200);
  EXPECT_NE(table.ContentType.find("text/html"), std::string::npos);
  EXPECT_NE(table.Body.find("ANNA"), std::string::npos);
  EXPECT_NE(table.Body.find("31337"), std::string::npos);
  EXPECT_NE(table.Body.find("2026-12-09"), std::string::npos);
}

TEST_F(ScoreKeeperTest, ATokenServesOneSubmissionOnly) {
  const std::string token = FreshToken();
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", token)).Status, 200);
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", token)).Status, 400);
  EXPECT_EQ(Submit(CodedRecord("BOB", "2", token)).Status, 400);
  EXPECT_EQ(Store.Count(), 1);
}

TEST_F(ScoreKeeperTest, RefusesTokensOlderThanTenMinutesAndInventedOnes) {
  const std::string stale = FreshToken();
  Clock.Advance(minutes(10));
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", stale)).Status, 400);
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", "QWERTYQWERTYQWER")).Status, 400);
  const std::string fresh = FreshToken();
  Clock.Advance(minutes(9));
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", fresh)).Status, 200);
  EXPECT_EQ(Store.Count(), 1);
}

TEST_F(ScoreKeeperTest, BadRecordsAreRefusedStoredNowhereAndKeepTheToken) {
  const std::string token = FreshToken();
  const std::string refused[] = {
      CodedRecord("anna", "1", token),
      CodedRecord("ANNA", "-5", token),
      CodedRecord("ANNA", "1", token, "", 'Q'),
      CodedRecord("ANNA", "1", token, "TOOLONGTEXTX"),
      EncodeText("type=0|name=ANNA|score=1|key=Z|p=" + token + "|add=|z="),  // unpadded: a zero byte in front
      "",
      "!!!",
      std::string(2000, 'Q'),
  };
  for (const std::string& coded : refused) {
    const TReply reply = Submit(coded, "10.0.0.9");
    EXPECT_EQ(reply.Status, 400) << DecodeText(coded);
    EXPECT_EQ(reply.Body.rfind("ERROR|", 0), 0u);
  }
  EXPECT_EQ(Get("/cgi/version.pl?hs&prg=Zarvok").Status, 400) << "no inf at all";
  EXPECT_EQ(Store.Count(), 0);
  EXPECT_EQ(Submit(CodedRecord("ANNA", "1", token)).Status, 200);
}

TEST_F(ScoreKeeperTest, LimitsSubmissionsPerAddress) {
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(Submit(CodedRecord("ANNA", std::to_string(i), FreshToken())).Status, 200);
  }
  const std::string token = FreshToken();
  EXPECT_EQ(Submit(CodedRecord("ANNA", "99", token)).Status, 429);
  EXPECT_EQ(Submit(CodedRecord("ANNA", "99", FreshToken()), "10.1.1.1").Status, 200);
  Clock.Advance(seconds(60));
  EXPECT_EQ(Submit(CodedRecord("ANNA", "99", token)).Status, 200) << "the refused attempt left its token";
  EXPECT_EQ(Store.Count(), 12);
}

TEST_F(ScoreKeeperTest, AnswersOnlyTheGamesRequests) {
  EXPECT_EQ(Get("/cgi/version.pl?version").Status, 400);
  EXPECT_EQ(Get("/cgi/version.pl?version&prg=Other").Status, 400);
  EXPECT_EQ(Get("/cgi/version.pl?prg=Zarvok").Status, 400);
  EXPECT_EQ(Get("/cgi/version.pl?version&hs&prg=Zarvok").Status, 400);
  EXPECT_EQ(Get("/cgi/version.pl?prg=Zarvok&show&type=7").Status, 404);
  EXPECT_EQ(Get("/cgi/version.pl?prg=Zarvok&show").Status, 200);
  EXPECT_EQ(Get("/cgi/version.pl?prg=%5Aarvok&version").Status, 200) << "escaped the same as plain";
}

TEST_F(ScoreKeeperTest, TableShowsTheBestHundredInOrder) {
  TScoreKeeper unlimited(Store, Clock, 'Z', 0);
  for (int i = 0; i < 120; ++i) {
    const std::string token = TokenOf(unlimited.Version("127.0.0.1").Body);
    const std::string name(1, static_cast<char>('A' + i % 26));
    ASSERT_EQ(unlimited.HandleScript("/cgi/version.pl?hs&prg=Zarvok&inf=" +
                                         CodedRecord(name, std::to_string(1000 + i), token),
                                     "127.0.0.1")
                  .Status,
              200);
  }
  const std::string page = Get("/cgi/version.pl?prg=Zarvok&show&type=0").Body;
  EXPECT_NE(page.find(">1119<"), std::string::npos);
  EXPECT_NE(page.find(">1020<"), std::string::npos);
  EXPECT_EQ(page.find(">1019<"), std::string::npos) << "rank 101 is not shown";
  EXPECT_LT(page.find(">1119<"), page.find(">1118<"));
  EXPECT_NE(page.find("<td class=\"rank\">100</td>"), std::string::npos);
}


TEST_F(ScoreKeeperTest, EveryRefusedSubmissionGetsTheSameAnswer) {
  // With an invented token, no key letter may answer differently from the others: that would give
  // the letter away in at most 26 requests.
  std::set<std::pair<int, std::string>> answers;
  for (char key = 'A'; key <= 'Z'; ++key) {
    const TReply reply = Submit(CodedRecord("ANNA", "1", "QWERTYQWERTYQWER", "", key), "10.9.0." + std::to_string(key));
    answers.emplace(reply.Status, reply.Body);
  }
  // Nor may a real token tell which field was wrong.
  const std::string token = FreshToken();
  for (const std::string& coded : {CodedRecord("anna", "1", token), CodedRecord("ANNA", "-1", token),
                                   CodedRecord("ANNA", "1", token, "", 'Q'), std::string("!!!")}) {
    const TReply reply = Submit(coded, "10.9.1.1");
    answers.emplace(reply.Status, reply.Body);
  }
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers.begin()->first, 400);
  EXPECT_EQ(answers.begin()->second.rfind("ERROR|", 0), 0u);
}

TEST_F(ScoreKeeperTest, TheLogKeepsWhyASubmissionWasRefused) {
  std::vector<std::string> log;
  TScoreKeeper logged(Store, Clock, 'Z', 0, [&log](const std::string& line) { log.push_back(line); });
  const std::string token = TokenOf(logged.Version("10.3.3.3").Body);
  const auto submit = [&logged](const std::string& coded) {
    return logged.HandleScript("/cgi/version.pl?hs&prg=Zarvok&inf=" + coded, "10.3.3.3");
  };
  EXPECT_EQ(submit(CodedRecord("ANNA", "1", token, "", 'Q')).Body, TScoreKeeper::RefusedReply);
  EXPECT_EQ(submit(CodedRecord("ANNA", "1", "QWERTYQWERTYQWER")).Body, TScoreKeeper::RefusedReply);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("10.3.3.3"), std::string::npos) << log[0];
  EXPECT_NE(log[0].find("wrong key"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("token"), std::string::npos) << log[1];
}

TEST_F(ScoreKeeperTest, LimitsVersionQueriesPerAddress) {
  // A flood of version queries from one address must not be free.
  for (int i = 0; i < 10 * TScoreKeeper::VersionQueriesPerSubmission; ++i) ASSERT_EQ(Get("/cgi/version.pl?version&prg=Zarvok", "10.2.2.2").Status, 200);
  EXPECT_EQ(Get("/cgi/version.pl?version&prg=Zarvok", "10.2.2.2").Status, 429);
  EXPECT_EQ(Get("/cgi/version.pl?version&prg=Zarvok", "10.2.2.3").Status, 200);
  Clock.Advance(seconds(60));
  EXPECT_EQ(Get("/cgi/version.pl?version&prg=Zarvok", "10.2.2.2").Status, 200);
}

// A keeper on a database file, to break the file underneath it.
class ScoreKeeperOnFileTest : public ::testing::Test {
 protected:
  ScoreKeeperOnFileTest() {
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    Store = std::make_unique<TSqliteScoreStore>((Folder / "scores.sqlite").string());
    Keeper = std::make_unique<TScoreKeeper>(*Store, Clock, 'Z', 0);
  }
  ~ScoreKeeperOnFileTest() override { std::filesystem::remove_all(Folder); }

  // The store's exception, if any, counts as a server error, as the HTTP layer answers it.
  TReply Submit(const std::string& coded) {
    try {
      return Keeper->HandleScript("/cgi/version.pl?hs&prg=Zarvok&inf=" + coded, "127.0.0.1");
    } catch (const std::exception&) {
      TReply reply;
      reply.Status = 500;
      return reply;
    }
  }
  std::string FreshToken() { return TokenOf(Keeper->Version("127.0.0.1").Body); }
  void Sql(const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((Folder / "scores.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("zarvok-keeper-" + std::to_string(::getpid()));
  TFakeServerClock Clock;
  std::unique_ptr<TScoreStore> Store;
  std::unique_ptr<TScoreKeeper> Keeper;
};

TEST_F(ScoreKeeperOnFileTest, AFailedStoreLeavesTheTokenUsable) {
  const std::string token = FreshToken();
  // A full disk, as the database sees it: every new score fails.
  Sql("CREATE TRIGGER full_disk BEFORE INSERT ON scores BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
  const TReply failed = Submit(CodedRecord("ANNA", "5", token));
  EXPECT_GE(failed.Status, 500);
  Sql("DROP TRIGGER full_disk");
  EXPECT_EQ(Submit(CodedRecord("ANNA", "5", token)).Status, 200);
  EXPECT_EQ(Store->Count(), 1);
}

TEST_F(ScoreKeeperOnFileTest, ADeletedDataFolderIsAnErrorNotAQuietLoss) {
  const std::string token = FreshToken();
  std::filesystem::remove_all(Folder);
  const TReply reply = Submit(CodedRecord("ANNA", "5", token));
  EXPECT_GE(reply.Status, 500);
}

}  // namespace
