#include <gtest/gtest.h>

#include <string>

#include "platform/headless/HeadlessHttpTransport.h"
#include "platform/sdl/CurlHttpTransport.h"
#include "scores/HttpClient.h"
#include "scores/LoopbackHttpServer.h"

namespace {

TEST(EncodeUrlQuery, EscapesOnlyWhatAQueryCannotHold) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://h/cgi/version.pl?version&prg=Zarvok", "http://h/cgi/version.pl?version&prg=Zarvok"},
      {"http://h/a b?x=a b&y=\"q\"", "http://h/a b?x=a%20b&y=%22q%22"},
      {"http://h/?v=100%&w=%41", "http://h/?v=100%25&w=%41"},
      {"http://h/?n=\xC3\xA9<>", "http://h/?n=%C3%A9%3C%3E"},
      {"http://h/?a=1#frag ment", "http://h/?a=1#frag ment"},
      {"http://h/plain path", "http://h/plain path"},
  };
  for (const auto& [url, encoded] : cases) EXPECT_EQ(EncodeUrlQuery(url), encoded) << url;
}

TEST(HttpClient, SendsTheGameHeadersTheEncodedQueryAndItsTimeOut) {
  THeadlessHttpTransport transport;
  THttpClient client(&transport);
  transport.QueueBody("OK");
  EXPECT_EQ(client.Get("http://h/x?a=b c"), "OK");
  client.SetTimeout(250);
  transport.QueueFailure("refused");
  EXPECT_THROW(client.Get("http://h/y"), EHttpError);

  ASSERT_EQ(transport.Requests().size(), 2u);
  const THttpRequest& first = transport.Requests()[0];
  EXPECT_EQ(first.Url, "http://h/x?a=b%20c");
  EXPECT_EQ(first.Accept, "text/html, */*");
  EXPECT_EQ(first.UserAgent, "Mozilla/3.0 (compatible; Zarvok)");
  EXPECT_EQ(first.ContentType, "text/html");
  EXPECT_EQ(first.TimeoutMs, THttpClient::DefaultTimeoutMs);
  EXPECT_EQ(THttpClient::DefaultTimeoutMs, 10000u);
  EXPECT_EQ(transport.Requests()[1].TimeoutMs, 250u);
}

TEST(HttpClient, WithoutATransportEveryRequestFails) {
  THttpClient client(nullptr);
  EXPECT_THROW(client.Get("http://h/"), EHttpError);
}

// The real transport against a server on loopback.
class CurlTransport : public ::testing::Test {
 protected:
  THttpRequest Request(const std::string& target, uint32_t timeoutMs = 5000) {
    THttpRequest request;
    request.Url = Server.BaseAddress() + target;
    request.Accept = "text/html, */*";
    request.UserAgent = "Mozilla/3.0 (compatible; Zarvok)";
    request.ContentType = "text/html";
    request.TimeoutMs = timeoutMs;
    return request;
  }

  TLoopbackHttpServer Server;
  TCurlHttpTransport Transport;
};

TEST_F(CurlTransport, ReturnsTheBodyAndSendsTheHeaders) {
  Server.Queue({200, "OK|a|b|c|d|e", false, ""});
  EXPECT_EQ(Transport.Get(Request("/cgi/version.pl?version&prg=Zarvok")), "OK|a|b|c|d|e");

  const auto requests = Server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Method, "GET");
  EXPECT_EQ(requests[0].Target, "/cgi/version.pl?version&prg=Zarvok");
  EXPECT_EQ(requests[0].Headers.at("accept"), "text/html, */*");
  EXPECT_EQ(requests[0].Headers.at("user-agent"), "Mozilla/3.0 (compatible; Zarvok)");
  EXPECT_EQ(requests[0].Headers.at("content-type"), "text/html");
}

TEST_F(CurlTransport, ErrorStatusesAreFailures) {
  Server.Queue({500, "OK|but broken", false, ""});
  EXPECT_THROW(Transport.Get(Request("/a")), EHttpError);
  Server.Queue({404, "OK", false, ""});
  EXPECT_THROW(Transport.Get(Request("/b")), EHttpError);
}

TEST_F(CurlTransport, CookiesTheServerSetsAreSentBack) {
  Server.Queue({200, "OK|1|2|3|4|5", false, "Set-Cookie: session=abc; Path=/\r\n"});
  Server.Queue({200, "", false, ""});
  EXPECT_EQ(Transport.Get(Request("/cgi/version.pl?version&prg=Zarvok")), "OK|1|2|3|4|5");
  EXPECT_EQ(Transport.Get(Request("/cgi/version.pl?hs&prg=Zarvok&inf=QW")), "");
  const auto requests = Server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Headers.count("cookie"), 0u);
  EXPECT_EQ(requests[1].Headers.at("cookie"), "session=abc");
}

TEST_F(CurlTransport, AServerThatNeverAnswersTimesOut) {
  Server.Queue({200, "", true, ""});
  EXPECT_THROW(Transport.Get(Request("/silent", 300)), EHttpError);
}

TEST(CurlTransportRefused, NoConnectionIsAFailure) {
  TCurlHttpTransport transport;
  THttpRequest request;
  request.Url = "http://127.0.0.1:" + std::to_string(TLoopbackHttpServer::UnusedPort()) + "/";
  request.TimeoutMs = 5000;
  EXPECT_THROW(transport.Get(request), EHttpError);
}

}  // namespace
