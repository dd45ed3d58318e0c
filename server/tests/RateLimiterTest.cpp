#include "server/RateLimiter.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::seconds;

const TSteadyTime Start{std::chrono::hours(1)};

TEST(RateLimiter, AllowsTenAMinutePerAddress) {
  TRateLimiter limiter(10);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(limiter.Allow("10.0.0.1", Start + seconds(i)));
  EXPECT_FALSE(limiter.Allow("10.0.0.1", Start + seconds(30)));
  EXPECT_TRUE(limiter.Allow("10.0.0.2", Start + seconds(30))) << "another address has its own allowance";
  // The window slides: the first attempt leaves it at 60 s, the second at 61 s.
  EXPECT_FALSE(limiter.Allow("10.0.0.1", Start + seconds(59)));
  EXPECT_TRUE(limiter.Allow("10.0.0.1", Start + seconds(60)));
  EXPECT_FALSE(limiter.Allow("10.0.0.1", Start + seconds(60)));
  EXPECT_TRUE(limiter.Allow("10.0.0.1", Start + seconds(61)));
}

TEST(RateLimiter, RefusedAttemptsDoNotCount) {
  TRateLimiter limiter(1);
  EXPECT_TRUE(limiter.Allow("a", Start));
  for (int i = 1; i < 60; ++i) EXPECT_FALSE(limiter.Allow("a", Start + seconds(i)));
  EXPECT_TRUE(limiter.Allow("a", Start + seconds(60)));
}

TEST(RateLimiter, ZeroMeansNoLimit) {
  TRateLimiter limiter(0);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(limiter.Allow("a", Start));
}

}  // namespace
