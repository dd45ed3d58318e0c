#pragma once

#include <httplib.h>

#include <chrono>
#include <string>
#include <string_view>

// One client's TCP connection as the front and the request threads share it: the socket, the bytes
// received but not yet answered (a pipelined next request waits here), and the address it counts
// for. To the HTTP library it is a stream that reads only the one request being answered and
// writes with a deadline, so a thread never waits on a slow client's reading or writing for long.
class THttpConnection final : public httplib::Stream {
 public:
  using TClock = std::chrono::steady_clock;

  THttpConnection(int socket, std::string peer, int peerPort);
  ~THttpConnection() override;
  THttpConnection(const THttpConnection&) = delete;
  THttpConnection& operator=(const THttpConnection&) = delete;

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return FSocket; }

  enum class TFill { Received, Nothing, Closed };
  // Takes what the socket holds without waiting, keeping at most limit unanswered bytes.
  TFill Fill(size_t limit);
  // The bytes not yet answered.
  std::string_view Unanswered() const { return std::string_view(FBuffer).substr(FAnswered); }

  // The first length unanswered bytes are the next request, from client; writes must be done by
  // the deadline.
  void BeginRequest(size_t length, std::string client, TClock::time_point writeDeadline);
  // Drops the request's bytes, read or not.
  void EndRequest();
  // Sends a short answer without waiting; for refusals from the front.
  void SendNow(std::string_view bytes);

  const std::string& Peer() const { return FPeer; }
  const std::string& Client() const { return FClient; }

  // Bookkeeping of the front.
  std::string CountedAs;             // the address whose connection count includes this one
  TClock::time_point WaitingSince;  // when it last began to wait for a request
  int Requests = 0;                  // answered on this connection
  bool ContinueSent = false;         // "100 Continue" already sent for the request arriving

 private:
  int FSocket;
  std::string FPeer;
  int FPeerPort;
  std::string FClient;
  std::string FBuffer;
  size_t FAnswered = 0;  // bytes of FBuffer already answered
  size_t FRead = 0;      // read position within FBuffer during a request
  size_t FRequestEnd = 0;
  TClock::time_point FWriteDeadline;
};
