#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "server/HttpConnection.h"
#include "server/RequestHead.h"

struct TFrontLimits {
  int Workers = 16;
  int MaxPerAddress = 8;    // open connections one client address may hold
  int MaxConnections = 900;  // open connections in all; lowered to fit the process's open-file limit
  int MaxRequestsPerConnection = 10000;
  std::chrono::milliseconds IdleTimeout{2000};     // for the first byte of a request
  std::chrono::milliseconds RequestTimeout{5000};  // for a whole head and body, from the same start
  std::chrono::milliseconds WriteTimeout{10000};   // for one answer
  THeadLimits Head;
  std::string TrustedProxy;
};

// The server's door: one thread watches every open connection (epoll) and hands a connection to a
// request thread only once a whole request has arrived, so clients that are idle, slow or silent
// cost a socket and not a thread. It also keeps the per-address connection limit, cuts off
// requests that take too long to arrive, and refuses broken heads itself, logging their address.
class TConnectionFront {
 public:
  // Answers the one complete request at the start of the connection; false closes the connection.
  using TServe = std::function<bool(THttpConnection&, bool lastOnConnection)>;
  // A refusal made at the door: client address, method and target as far as known, status, bytes.
  using TRefusalLog = std::function<void(const std::string&, std::string_view, std::string_view, int, size_t)>;

  TConnectionFront(TFrontLimits limits, TServe serve, TRefusalLog log);
  ~TConnectionFront();
  TConnectionFront(const TConnectionFront&) = delete;
  TConnectionFront& operator=(const TConnectionFront&) = delete;

  // Listens on the address with a long backlog; returns the port. Raises std::runtime_error when the
  // port is taken or the address is wrong: two servers must never share a port.
  int Bind(const std::string& address, int port);
  // Serves until Stop(); the request threads finish the requests they hold before it returns.
  bool Run();
  // From any thread, before or during Run().
  void Stop();

 private:
  using TConnectionPtr = std::unique_ptr<THttpConnection>;

  void Accept();
  void Wait(TConnectionPtr connection);
  void Examine(int socket);
  // client: the address to log when it is not the connection's own.
  void Refuse(THttpConnection& connection, int status, std::string_view method, std::string_view target,
              const std::string* client = nullptr);
  void Forget(int socket);
  void CloseConnection(TConnectionPtr connection);
  void Sweep();
  void TakeBackFromWorkers();
  void Work();
  // Both with FCountLock held.
  bool Count(const std::string& address);
  void Uncount(const std::string& address);

  TFrontLimits FLimits;
  TServe FServe;
  TRefusalLog FLog;
  int FListener = -1;
  int FPoll = -1;
  int FWake = -1;
  std::map<int, TConnectionPtr> FWaiting;  // by socket

  // Counts of open connections, waiting or busy; request threads close connections too.
  std::mutex FCountLock;
  int FOpen = 0;
  std::map<std::string, int> FPerAddress;
  std::chrono::steady_clock::time_point FAcceptPausedUntil{};
  bool FAcceptPaused = false;

  // Shared with the request threads.
  std::mutex FLock;
  std::condition_variable FWorkReady;
  std::deque<TConnectionPtr> FReady;     // whole request arrived, waiting for a thread
  std::deque<TConnectionPtr> FReturned;  // answered, back to the front
  bool FStopping = false;
  std::vector<std::thread> FWorkers;
};
