#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A tiny HTTP server on 127.0.0.1 for the score-service tests: it records each request and
// answers from a queue of scripted replies, or takes the connection and never answers.
class TLoopbackHttpServer {
 public:
  struct TReply {
    int Status = 200;
    std::string Body;
    bool Silent = false;       // accept, read the request, never answer
    std::string ExtraHeaders;  // whole header lines, each ended by CR LF
  };
  struct TRequest {
    std::string Method;
    std::string Target;                          // path and query as sent
    std::map<std::string, std::string> Headers;  // names in lower case
  };

  TLoopbackHttpServer();
  ~TLoopbackHttpServer();
  TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
  TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

  // Replies are used in order; once they run out every request gets 404.
  void Queue(const TReply& reply);
  std::string BaseAddress() const;
  std::vector<TRequest> Requests() const;

  // A loopback port that nothing listens on (connections to it are refused).
  static uint16_t UnusedPort();

 private:
  void Serve();
  void Handle(int client);

  int FListener = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  mutable std::mutex FMutex;
  std::deque<TReply> FReplies;
  std::vector<TRequest> FRequests;
  std::vector<int> FSilentClients;
  std::thread FThread;
};
