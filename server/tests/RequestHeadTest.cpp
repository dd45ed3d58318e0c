#include "server/RequestHead.h"

#include <gtest/gtest.h>

namespace {

using TState = THeadCheck::TState;

// What the front does with the bytes received so far: wait, hand over, or refuse at once.
TEST(RequestHead, DecidesWhenARequestIsCompleteOrRefused) {
  struct TCase {
    std::string Bytes;
    TState State;
    int Status;
  };
  const std::string bigHead = "GET / HTTP/1.1\r\nX: " + std::string(20000, 'a');
  const std::vector<TCase> cases = {
      {"", TState::NeedMore, 0},
      {"GET / HTTP/1.1\r\nHost: a\r\n", TState::NeedMore, 0},
      {"GET / HTTP/1.1\r\nHost: a\r\n\r\n", TState::Complete, 0},
      {"POST /up HTTP/1.1\r\nContent-Length: 5\r\n\r\nabc", TState::NeedMore, 0},
      {"POST /up HTTP/1.1\r\nContent-Length: 5\r\n\r\nabcde", TState::Complete, 0},
      {"POST /up HTTP/1.1\r\nContent-Length: 5\r\ncontent-length: 6\r\n\r\nabcdef", TState::Refused, 400},
      {"POST /up HTTP/1.1\r\nContent-Length: -1\r\n\r\n", TState::Refused, 400},
      {"POST /up HTTP/1.1\r\nContent-Length: 70000\r\n\r\n", TState::Refused, 413},
      {"POST /up HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", TState::Refused, 411},
      {"GET / HTTP/1.1\r\nno colon here\r\n\r\n", TState::Refused, 400},
      {"BREW /pot HTTP/1.1\r\n", TState::Refused, 400},  // refused before the head is over
      {"GET ?x HTTP/1.1\r\n\r\n", TState::Refused, 400},
      {"GET / HTTP/1.1\r\nRange: bytes=0-1,1-2\r\n\r\n", TState::Refused, 416},
      {bigHead, TState::Refused, 431},
      {"GET /" + std::string(9000, 'a') + " HTTP/1.1\r\n\r\n", TState::Refused, 414},
  };
  for (const TCase& test : cases) {
    const THeadCheck check = CheckRequest(test.Bytes, THeadLimits{});
    EXPECT_EQ(check.State, test.State) << test.Bytes.substr(0, 60);
    EXPECT_EQ(check.Status, test.Status) << test.Bytes.substr(0, 60);
  }
  const THeadCheck pipelined = CheckRequest("POST /a HTTP/1.1\r\nContent-Length: 2\r\n\r\nxyGET /b HTTP/1.1\r\n\r\n", {});
  ASSERT_EQ(pipelined.State, TState::Complete);
  EXPECT_EQ(pipelined.Head.Length + pipelined.BodyLength, 41u) << "the next request starts after the body";
}

TEST(RequestHead, BelievesForwardedAddressesOnlyFromTheProxy) {
  const std::string forwarded = "203.0.113.9, 198.51.100.7";
  const std::string garbage = "not-an-address";
  const std::string mapped = "::ffff:198.51.100.7";
  EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", &forwarded), "198.51.100.7");
  EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", &mapped), "198.51.100.7");
  EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", &garbage), "10.0.0.1");
  EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", nullptr), "10.0.0.1");
  EXPECT_EQ(ClientAddress("10.0.0.2", "10.0.0.1", &forwarded), "10.0.0.2");
  EXPECT_EQ(ClientAddress("10.0.0.2", "", &forwarded), "10.0.0.2");
}

}  // namespace
