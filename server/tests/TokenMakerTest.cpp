#include "server/TokenMaker.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(TokenMaker, TokensAreSixteenCoderLettersAndDoNotRepeat) {
  TTokenMaker maker;
  std::set<std::string> seen;
  for (int i = 0; i < 10000; ++i) {
    const std::string token = maker.Make();
    ASSERT_EQ(token.size(), TTokenMaker::TokenLength);
    ASSERT_EQ(token.find_first_not_of("QWERTYUPASDFGHJKLZXCVBNM23456789"), std::string::npos) << token;
    seen.insert(token);
  }
  EXPECT_EQ(seen.size(), 10000u);
}

}  // namespace
