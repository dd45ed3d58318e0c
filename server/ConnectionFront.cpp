#include "server/ConnectionFront.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

using TClock = std::chrono::steady_clock;

// The kernel trims this to its own maximum (net.core.somaxconn, 4096 on current systems).
constexpr int ListenBacklog = 4096;

std::string_view Reason(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    default: return "Service Unavailable";
  }
}

std::string RefusalText(int status) {
  const std::string body = "ERROR|" + std::string(Reason(status)) + "\n";
  std::string text = "HTTP/1.1 " + std::to_string(status) + " ";
  text += Reason(status);
  text += "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size());
  text += "\r\nConnection: close\r\nX-Content-Type-Options: nosniff\r\n";
  if (status == 429 || status == 503) text += "Retry-After: 10\r\n";
  text += "\r\n";
  text += body;
  return text;
}

std::string PeerText(const sockaddr_storage& address, int& port) {
  char printed[INET6_ADDRSTRLEN] = {};
  port = 0;
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    port = ntohs(v4.sin_port);
    return inet_ntop(AF_INET, &v4.sin_addr, printed, sizeof printed);
  }
  if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    port = ntohs(v6.sin6_port);
    return NormalAddress(inet_ntop(AF_INET6, &v6.sin6_addr, printed, sizeof printed)).value_or("?");
  }
  return "?";
}

}  // namespace

TConnectionFront::TConnectionFront(TFrontLimits limits, TServe serve, TRefusalLog log)
    : FLimits(std::move(limits)), FServe(std::move(serve)), FLog(std::move(log)) {
  // Refusing at the cap is better than failing to accept: keep room for the database and logs.
  rlimit files{};
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
    const auto room = static_cast<int64_t>(files.rlim_cur) - 64;
    FLimits.MaxConnections = static_cast<int>(std::max<int64_t>(16, std::min<int64_t>(FLimits.MaxConnections, room)));
  }
  FPoll = ::epoll_create1(EPOLL_CLOEXEC);
  FWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (FPoll < 0 || FWake < 0) throw std::runtime_error(std::string("cannot watch connections: ") + std::strerror(errno));
}

TConnectionFront::~TConnectionFront() {
  Stop();
  for (std::thread& worker : FWorkers) {
    if (worker.joinable()) worker.join();
  }
  if (FListener >= 0) ::close(FListener);
  ::close(FPoll);
  ::close(FWake);
}

int TConnectionFront::Bind(const std::string& address, int port) {
  const std::string where = address + ":" + std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int error = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found); error != 0) {
    throw std::runtime_error("cannot listen on " + where + ": " + ::gai_strerror(error));
  }
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
  const int listener = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, found->ai_protocol);
  if (listener < 0) throw std::runtime_error("cannot listen on " + where + ": " + std::strerror(errno));
  // Address reuse lets a restarted server take its port while old connections linger; port reuse
  // is not asked for, so a second server on a port that is in use fails here.
  const int on = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(listener, found->ai_addr, found->ai_addrlen) != 0 || ::listen(listener, ListenBacklog) != 0) {
    const int error = errno;
    ::close(listener);
    throw std::runtime_error("cannot listen on " + where + ": " + std::strerror(error));
  }
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &size);
  int boundPort = 0;
  PeerText(bound, boundPort);
  if (FListener >= 0) ::close(FListener);
  FListener = listener;
  return boundPort;
}

void TConnectionFront::Stop() {
  {
    std::lock_guard lock(FLock);
    FStopping = true;
  }
  FWorkReady.notify_all();
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(FWake, &one, sizeof one);
}

bool TConnectionFront::Run() {
  {
    std::lock_guard lock(FLock);
    if (FStopping) return true;
  }
  if (FListener < 0) return false;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = FListener;
  ::epoll_ctl(FPoll, EPOLL_CTL_ADD, FListener, &event);
  event.data.fd = FWake;
  ::epoll_ctl(FPoll, EPOLL_CTL_ADD, FWake, &event);
  for (int i = 0; i < FLimits.Workers; ++i) FWorkers.emplace_back([this] { Work(); });

  auto lastSweep = TClock::now();
  for (;;) {
    {
      std::lock_guard lock(FLock);
      if (FStopping) break;
    }
    epoll_event events[64];
    const int count = ::epoll_wait(FPoll, events, 64, 100);
    for (int i = 0; i < count; ++i) {
      const int socket = events[i].data.fd;
      if (socket == FListener) {
        Accept();
      } else if (socket == FWake) {
        uint64_t wakes = 0;
        [[maybe_unused]] const ssize_t read = ::read(FWake, &wakes, sizeof wakes);
        TakeBackFromWorkers();
      } else {
        Examine(socket);
      }
    }
    const auto now = TClock::now();
    if (now - lastSweep >= std::chrono::milliseconds(100)) {
      lastSweep = now;
      Sweep();
    }
    if (FAcceptPaused && now >= FAcceptPausedUntil) {
      FAcceptPaused = false;
      event.data.fd = FListener;
      ::epoll_ctl(FPoll, EPOLL_CTL_ADD, FListener, &event);
    }
  }

  // The request threads answer what has fully arrived, then end.
  FWorkReady.notify_all();
  for (std::thread& worker : FWorkers) worker.join();
  FWorkers.clear();
  TakeBackFromWorkers();
  while (!FWaiting.empty()) Forget(FWaiting.begin()->first);
  return true;
}

void TConnectionFront::Accept() {
  for (;;) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    const int socket =
        ::accept4(FListener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (socket < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of sockets: leave the rest in the backlog for a moment instead of spinning on them.
        ::epoll_ctl(FPoll, EPOLL_CTL_DEL, FListener, nullptr);
        FAcceptPaused = true;
        FAcceptPausedUntil = TClock::now() + std::chrono::milliseconds(100);
      }
      return;
    }
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    int port = 0;
    std::string peer = PeerText(address, port);
    auto connection = std::make_unique<THttpConnection>(socket, peer, port);
    int refusal = 0;
    {
      std::lock_guard lock(FCountLock);
      if (FOpen >= FLimits.MaxConnections) {
        refusal = 503;
      } else if (peer != FLimits.TrustedProxy && !Count(peer)) {
        refusal = 429;
      } else {
        if (peer != FLimits.TrustedProxy) connection->CountedAs = peer;
        ++FOpen;
      }
    }
    if (refusal != 0) {
      Refuse(*connection, refusal, "", "");
      continue;
    }
    Wait(std::move(connection));
  }
}

void TConnectionFront::Wait(TConnectionPtr connection) {
  const int socket = connection->socket();
  connection->WaitingSince = TClock::now();
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.fd = socket;
  ::epoll_ctl(FPoll, EPOLL_CTL_ADD, socket, &event);
  FWaiting[socket] = std::move(connection);
  // A pipelined request may already be here in full.
  Examine(socket);
}

void TConnectionFront::Examine(int socket) {
  const auto found = FWaiting.find(socket);
  if (found == FWaiting.end()) return;
  THttpConnection& connection = *found->second;
  const THttpConnection::TFill fill = connection.Fill(FLimits.Head.MaxHead + FLimits.Head.MaxBody);
  THeadCheck check = CheckRequest(connection.Unanswered(), FLimits.Head);
  if (check.State == THeadCheck::TState::Refused) {
    Refuse(connection, check.Status, check.Head.Method, check.Head.Target);
    Forget(socket);
    return;
  }
  if (check.State == THeadCheck::TState::NeedMore) {
    if (fill == THttpConnection::TFill::Closed) {
      Forget(socket);
    } else if (check.Head.Length > 0 && !connection.ContinueSent) {
      // A client that asks leaves its body until it hears it is wanted (curl waits 1 s otherwise).
      const std::string* expect = check.Head.Find("Expect");
      if (expect != nullptr && (*expect == "100-continue" || *expect == "100-Continue")) {
        connection.SendNow("HTTP/1.1 100 Continue\r\n\r\n");
        connection.ContinueSent = true;
      }
    }
    return;
  }
  connection.ContinueSent = false;
  const std::string client =
      ClientAddress(connection.Peer(), FLimits.TrustedProxy, check.Head.FindLast("X-Forwarded-For"));
  // Through the trusted proxy, one connection may carry requests of several players in turn; it
  // counts for the player whose request it carries.
  if (client != connection.CountedAs && client != FLimits.TrustedProxy) {
    std::unique_lock lock(FCountLock);
    if (!connection.CountedAs.empty()) Uncount(connection.CountedAs);
    connection.CountedAs.clear();
    const bool counted = Count(client);
    lock.unlock();
    if (!counted) {
      Refuse(connection, 429, check.Head.Method, check.Head.Target, &client);
      Forget(socket);
      return;
    }
    connection.CountedAs = client;
  }
  connection.BeginRequest(check.Head.Length + check.BodyLength, client, TClock::now() + FLimits.WriteTimeout);
  ::epoll_ctl(FPoll, EPOLL_CTL_DEL, socket, nullptr);
  TConnectionPtr ready = std::move(found->second);
  FWaiting.erase(found);
  {
    std::lock_guard lock(FLock);
    FReady.push_back(std::move(ready));
  }
  FWorkReady.notify_one();
}

void TConnectionFront::Refuse(THttpConnection& connection, int status, std::string_view method,
                              std::string_view target, const std::string* client) {
  const std::string refusal = RefusalText(status);
  connection.SendNow(refusal);
  // Closing with unread bytes would reset the connection and could take the refusal with it.
  ::shutdown(connection.socket(), SHUT_WR);
  connection.Fill(64 * 1024);
  if (FLog) FLog(client != nullptr ? *client : connection.Client(), method, target, status, refusal.size());
}

void TConnectionFront::Forget(int socket) {
  const auto found = FWaiting.find(socket);
  if (found == FWaiting.end()) return;
  ::epoll_ctl(FPoll, EPOLL_CTL_DEL, socket, nullptr);
  TConnectionPtr connection = std::move(found->second);
  FWaiting.erase(found);
  CloseConnection(std::move(connection));
}

void TConnectionFront::CloseConnection(TConnectionPtr connection) {
  std::lock_guard lock(FCountLock);
  if (!connection->CountedAs.empty()) Uncount(connection->CountedAs);
  --FOpen;
}

void TConnectionFront::Sweep() {
  const auto now = TClock::now();
  std::vector<int> expired;
  for (const auto& [socket, connection] : FWaiting) {
    const bool silent = connection->Unanswered().empty();
    if (now - connection->WaitingSince > (silent ? FLimits.IdleTimeout : FLimits.RequestTimeout)) {
      // A silent connection is simply closed; one stuck halfway through a request is told why.
      if (!silent) Refuse(*connection, 408, "", "");
      expired.push_back(socket);
    }
  }
  for (const int socket : expired) Forget(socket);
}

void TConnectionFront::TakeBackFromWorkers() {
  std::deque<TConnectionPtr> returned;
  {
    std::lock_guard lock(FLock);
    returned.swap(FReturned);
  }
  for (TConnectionPtr& connection : returned) Wait(std::move(connection));
}

void TConnectionFront::Work() {
  for (;;) {
    TConnectionPtr connection;
    bool stopping = false;
    {
      std::unique_lock lock(FLock);
      FWorkReady.wait(lock, [this] { return FStopping || !FReady.empty(); });
      if (FReady.empty()) return;
      connection = std::move(FReady.front());
      FReady.pop_front();
      stopping = FStopping;
    }
    ++connection->Requests;
    const bool last = stopping || connection->Requests >= FLimits.MaxRequestsPerConnection;
    bool keep = false;
    try {
      keep = FServe(*connection, last) && !last;
    } catch (...) {
      keep = false;  // the answer broke off; the client sees the connection close
    }
    connection->EndRequest();
    if (!keep) {
      // Closed here and now, so the address's count drops before its client can come back.
      CloseConnection(std::move(connection));
      continue;
    }
    {
      std::lock_guard lock(FLock);
      FReturned.push_back(std::move(connection));
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(FWake, &one, sizeof one);
  }
}

bool TConnectionFront::Count(const std::string& address) {
  int& open = FPerAddress[address];
  if (open >= FLimits.MaxPerAddress) {
    if (open == 0) FPerAddress.erase(address);
    return false;
  }
  ++open;
  return true;
}

void TConnectionFront::Uncount(const std::string& address) {
  const auto found = FPerAddress.find(address);
  if (found != FPerAddress.end() && --found->second <= 0) FPerAddress.erase(found);
}
