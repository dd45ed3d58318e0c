#include "server/Query.h"

#include <gtest/gtest.h>

namespace {

TEST(Query, ReadsTheGameRequests) {
  const TQuery version = TQuery::FromTarget("/cgi/version.pl?version&prg=Zarvok");
  EXPECT_TRUE(version.Has("version"));
  ASSERT_NE(version.Find("prg"), nullptr);
  EXPECT_EQ(*version.Find("prg"), "Zarvok");
  EXPECT_EQ(*version.Find("version"), "");

  const TQuery show = TQuery::FromTarget("/cgi/version.pl?prg=Zarvok&show&type=0#top");
  EXPECT_TRUE(show.Has("show"));
  EXPECT_EQ(*show.Find("type"), "0");
  EXPECT_EQ(show.Count(), 3u);
}

TEST(Query, DecodesEscapesAndKeepsBrokenOnes) {
  const TQuery query = TQuery::Parse("a=%41%62+c&b=%4&c=%zz&d=%&%66=x&&e==");
  EXPECT_EQ(*query.Find("a"), "Ab c");
  EXPECT_EQ(*query.Find("b"), "%4");
  EXPECT_EQ(*query.Find("c"), "%zz");
  EXPECT_EQ(*query.Find("d"), "%");
  EXPECT_EQ(*query.Find("e"), "=");
  EXPECT_EQ(*query.Find("f"), "x");
  EXPECT_EQ(query.Count(), 6u);
  EXPECT_EQ(query.Find("missing"), nullptr);
}

TEST(Query, FirstValueWinsAndNoQueryIsEmpty) {
  EXPECT_EQ(*TQuery::Parse("k=1&k=2").Find("k"), "1");
  EXPECT_EQ(TQuery::FromTarget("/cgi/version.pl").Count(), 0u);
  EXPECT_EQ(TQuery::FromTarget("/x#?a=1").Count(), 0u);
  EXPECT_EQ(PercentDecode("%00"), std::string(1, '\0'));
}

}  // namespace
