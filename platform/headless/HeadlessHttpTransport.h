#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/HttpTransport.h"

// A scripted stand-in for the network: each request takes the next queued answer (a body or a
// failure) and is recorded, so tests see exactly what the game asked for.
class THeadlessHttpTransport : public THttpTransport {
 public:
  std::string Get(const THttpRequest& request) override;

  void QueueBody(const std::string& body) { FAnswers.push_back({false, body}); }
  void QueueFailure(const std::string& reason = "Connection refused") { FAnswers.push_back({true, reason}); }

  const std::vector<THttpRequest>& Requests() const { return FRequests; }

 private:
  struct TAnswer {
    bool Failed;
    std::string Text;
  };
  // With nothing queued a request fails, as without a network.
  std::deque<TAnswer> FAnswers;
  std::vector<THttpRequest> FRequests;
};
