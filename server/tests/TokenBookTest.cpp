#include "server/TokenBook.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using std::chrono::minutes;
using std::chrono::seconds;

const TSteadyTime Start{std::chrono::hours(1)};

TEST(TokenBook, ATokenServesOnceWithinTenMinutes) {
  TTokenBook book;
  const std::string token = book.Issue(Start);
  EXPECT_EQ(token.size(), TTokenBook::TokenLength);
  EXPECT_EQ(token.find_first_not_of("QWERTYUPASDFGHJKLZXCVBNM23456789"), std::string::npos);
  EXPECT_TRUE(book.Redeem(token, Start + minutes(10) - seconds(1)));
  EXPECT_FALSE(book.Redeem(token, Start + minutes(10) - seconds(1)));
}

TEST(TokenBook, RefusesExpiredAndUnknownTokens) {
  TTokenBook book;
  const std::string expired = book.Issue(Start);
  const std::string fresh = book.Issue(Start + minutes(5));
  EXPECT_FALSE(book.Redeem(expired, Start + minutes(10)));
  EXPECT_FALSE(book.Redeem("NOTATOKEN", Start));
  EXPECT_FALSE(book.Redeem("", Start));
  EXPECT_TRUE(book.Redeem(fresh, Start + minutes(14)));
}

TEST(TokenBook, ForgetsExpiredTokensAndKeepsWithinCapacity) {
  TTokenBook book(100);
  for (int i = 0; i < 50; ++i) book.Issue(Start);
  EXPECT_EQ(book.Outstanding(), 50u);
  book.Issue(Start + minutes(11));
  EXPECT_EQ(book.Outstanding(), 1u);

  std::string first;
  for (int i = 0; i < 250; ++i) {
    const std::string token = book.Issue(Start + minutes(12));
    if (i == 0) first = token;
  }
  EXPECT_EQ(book.Outstanding(), 100u);
  EXPECT_FALSE(book.Redeem(first, Start + minutes(12)));
}

TEST(TokenBook, TokensDoNotRepeat) {
  TTokenBook book;
  std::set<std::string> seen;
  for (int i = 0; i < 10000; ++i) seen.insert(book.Issue(Start));
  EXPECT_EQ(seen.size(), 10000u);
}

}  // namespace
