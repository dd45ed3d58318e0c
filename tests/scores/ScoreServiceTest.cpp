#include <gtest/gtest.h>

#include <string>

#include "BuildConfig.h"
#include "scores/ScoreService.h"
#include "scores/TextCoder.h"

namespace {

struct TRecordCase {
  std::string Name;
  int32_t Score;
  std::string P;
  std::string Additional;
  std::string Expected;
};

TEST(SubmissionRecord, FieldsInOrderPaddedWithZerosToWholeCoderGroups) {
  const TRecordCase cases[] = {
      // 45 characters: already a multiple of 5, nothing appended.
      {"BOB", 1234, "d", "X", "type=0|name=BOB|score=1234|key=Z|p=d|add=X|z="},
      // Empty P and empty additional text: the markers follow each other directly.
      {"ANNA", 0, "", "", "type=0|name=ANNA|score=0|key=Z|p=|add=|z=0000"},
      {"AB", 5, "", "", "type=0|name=AB|score=5|key=Z|p=|add=|z=0"},
      {"A", 5, "", "", "type=0|name=A|score=5|key=Z|p=|add=|z=00"},
      {"", 5, "", "", "type=0|name=|score=5|key=Z|p=|add=|z=000"},
      {"", 100, "17", "HELLO", "type=0|name=|score=100|key=Z|p=17|add=HELLO|z=0000"},
  };
  for (const TRecordCase& c : cases) {
    const std::string record = SubmissionRecord(c.Name, c.Score, 'Z', c.P, c.Additional);
    EXPECT_EQ(record, c.Expected) << c.Name;
    EXPECT_EQ(DecodeText(EncodeText(record)), record) << "the server must get it back exactly";
  }
}

TEST(VersionReply, AcceptedOnlyWhenItStartsWithUpperCaseOK) {
  EXPECT_TRUE(VersionReplyAccepted("OK"));
  EXPECT_TRUE(VersionReplyAccepted("OK|1|2|3|4|5"));
  EXPECT_TRUE(VersionReplyAccepted("OKAY"));
  EXPECT_FALSE(VersionReplyAccepted(""));
  EXPECT_FALSE(VersionReplyAccepted("O"));
  EXPECT_FALSE(VersionReplyAccepted("ok|a|b|c|d|e"));
  EXPECT_FALSE(VersionReplyAccepted(" OK"));
  EXPECT_FALSE(VersionReplyAccepted("<html>OK</html>"));
}

TEST(VersionReply, ValueIsTheFifthFieldOfFiveCuts) {
  const std::pair<std::string, std::string> cases[] = {
      {"OK|a|b|c|d|e", "d"},
      {"OK|a|b|c|d|e|f|g", "d"},
      {"OK|1|2|3|734|", "734"},
      {"OK", ""},
      {"OK|a|b", ""},
      // Four separators: the fifth cut finds none, so the field is empty, not "d".
      {"OK|a|b|c|d", ""},
      {"OK||||", ""},
      {"OK||||x|", "x"},
  };
  for (const auto& [reply, p] : cases) EXPECT_EQ(VersionReplyValue(reply), p) << reply;
}

TEST(ScoreServerAddresses, PagesAndQueriesHangOffTheConfiguredServer) {
  const std::string base = ZarvokScoreServer;
  EXPECT_EQ(WebSiteAddress(), base + "/");
  EXPECT_EQ(OnlineHighScoresAddress(), base + "/cgi/version.pl?prg=Zarvok&show&type=0");
  EXPECT_EQ(ScoreServerAddress(VersionQueryPath), base + "/cgi/version.pl?version&prg=Zarvok");
  EXPECT_EQ(ScoreServerAddress(SubmissionPath), base + "/cgi/version.pl?hs&prg=Zarvok&inf=");
  EXPECT_TRUE(ZarvokScoreKey >= 'A' && ZarvokScoreKey <= 'Z');
}

}  // namespace
