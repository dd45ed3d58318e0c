#include "server/SubmissionRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TRecordCase {
  const char* Label;
  std::string Record;
  bool Good;
};

std::ostream& operator<<(std::ostream& out, const TRecordCase& c) { return out << c.Label; }

// Good records are exactly what the game builds: padded with "0" to a multiple of 5 characters.
const TRecordCase RecordCases[] = {
    {"typical", "type=0|name=ANNA|score=1234|key=Z|p=QWERTY2345678ASD|add=HELLO|z=", true},
    {"padded to a multiple of five", "type=0|name=ANNA|score=12345|key=Z|p=QWERTY|add=|z=0", true},
    {"four zeros of padding", "type=0|name=AB|score=0|key=Z|p=P|add=|z=0000", true},
    {"longest name and text, biggest score",
     "type=0|name=ABCDEFGHIJ|score=2147483647|key=Z|p=TOKEN|add=KLMNOPQRST|z=", true},
    {"one letter name", "type=0|name=X|score=5|key=Z|p=T|add=|z=", true},

    {"empty", "", false},
    {"wrong type", "type=1|name=ANNA|score=1|key=Z|p=T|add=|z=", false},
    {"empty name", "type=0|name=|score=1|key=Z|p=T|add=|z=", false},
    {"name of eleven letters", "type=0|name=ABCDEFGHIJK|score=1|key=Z|p=T|add=|z=", false},
    {"lower-case name", "type=0|name=Anna|score=1|key=Z|p=T|add=|z=", false},
    {"name with a digit", "type=0|name=R2D|score=1|key=Z|p=T|add=|z=", false},
    {"name with markup", "type=0|name=<B>|score=1|key=Z|p=T|add=|z=", false},
    {"negative score", "type=0|name=ANNA|score=-1|key=Z|p=T|add=|z=", false},
    {"score past 32 bits", "type=0|name=ANNA|score=2147483648|key=Z|p=T|add=|z=", false},
    {"score of eleven digits", "type=0|name=ANNA|score=99999999999|key=Z|p=T|add=|z=", false},
    {"score with leading zero", "type=0|name=ANNA|score=0123|key=Z|p=T|add=|z=", false},
    {"empty score", "type=0|name=ANNA|score=|key=Z|p=T|add=|z=", false},
    {"score with a space", "type=0|name=ANNA|score=1 2|key=Z|p=T|add=|z=", false},
    {"wrong key", "type=0|name=ANNA|score=1|key=Y|p=T|add=|z=", false},
    {"two-letter key", "type=0|name=ANNA|score=1|key=ZZ|p=T|add=|z=", false},
    {"empty token", "type=0|name=ANNA|score=1|key=Z|p=|add=|z=", false},
    {"token with a quote", "type=0|name=ANNA|score=1|key=Z|p=T'|add=|z=", false},
    {"additional text of eleven letters", "type=0|name=ANNA|score=1|key=Z|p=T|add=ABCDEFGHIJK|z=", false},
    {"additional text with a space", "type=0|name=ANNA|score=1|key=Z|p=T|add=GO GO|z=", false},
    {"no end mark", "type=0|name=ANNA|score=1|key=Z|p=T|add=", false},
    {"five zeros of padding", "type=0|name=ANNA|score=1|key=Z|p=T|add=|z=00000", false},
    {"something after the end mark", "type=0|name=ANNA|score=1|key=Z|p=T|add=|z=0X", false},
    {"extra field", "type=0|name=ANNA|score=1|key=Z|p=T|add=|z=|x=", false},
    {"fields swapped", "type=0|score=1|name=ANNA|key=Z|p=T|add=|z=", false},
    {"leading zero byte of an unpadded record", std::string("\0type=0|name=ANNA|score=1|key=Z|p=T|add=|z=", 42),
     false},
    {"field name without =", "type=0|name|score=1|key=Z|p=T|add=|z=", false},
};

class SubmissionRecordCheck : public ::testing::TestWithParam<TRecordCase> {};

TEST_P(SubmissionRecordCheck, AcceptsExactlyWhatTheGameSends) {
  const TSubmissionCheck check = ParseSubmissionRecord(GetParam().Record, 'Z');
  EXPECT_EQ(check.Ok(), GetParam().Good) << check.Error;
}

INSTANTIATE_TEST_SUITE_P(Table, SubmissionRecordCheck, ::testing::ValuesIn(RecordCases));

TEST(SubmissionRecord, TakesTheFieldsOfAGoodRecord) {
  const TSubmissionCheck check =
      ParseSubmissionRecord("type=0|name=ANNA|score=2147483647|key=K|p=AB12|add=HI|z=00", 'K');
  ASSERT_TRUE(check.Ok()) << check.Error;
  EXPECT_EQ(check.Submission.Name, "ANNA");
  EXPECT_EQ(check.Submission.Score, 2147483647);
  EXPECT_EQ(check.Submission.Key, 'K');
  EXPECT_EQ(check.Submission.P, "AB12");
  EXPECT_EQ(check.Submission.Additional, "HI");
}

TEST(SubmissionRecord, ChecksAgainstTheConfiguredKey) {
  const std::string record = "type=0|name=ANNA|score=1|key=Z|p=T|add=|z=";
  EXPECT_TRUE(ParseSubmissionRecord(record, 'Z').Ok());
  EXPECT_FALSE(ParseSubmissionRecord(record, 'Q').Ok());
}

}  // namespace
