#include "server/HttpConnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "server/RequestHead.h"

THttpConnection::THttpConnection(int socket, std::string peer, int peerPort)
    : FSocket(socket), FPeer(std::move(peer)), FPeerPort(peerPort), FClient(FPeer) {}

THttpConnection::~THttpConnection() { ::close(FSocket); }

bool THttpConnection::is_readable() const { return FRead < FRequestEnd; }

bool THttpConnection::is_writable() const { return TClock::now() < FWriteDeadline; }

ssize_t THttpConnection::read(char* ptr, size_t size) {
  const size_t count = std::min(size, FRequestEnd - FRead);
  std::memcpy(ptr, FBuffer.data() + FRead, count);
  FRead += count;
  return static_cast<ssize_t>(count);
}

ssize_t THttpConnection::write(const char* ptr, size_t size) {
  size_t written = 0;
  while (written < size) {
    const ssize_t sent = ::send(FSocket, ptr + written, size - written, MSG_NOSIGNAL);
    if (sent > 0) {
      written += static_cast<size_t>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(FWriteDeadline - TClock::now());
    if (left.count() <= 0) return -1;
    pollfd wait{FSocket, POLLOUT, 0};
    if (::poll(&wait, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return -1;
  }
  return static_cast<ssize_t>(size);
}

void THttpConnection::get_remote_ip_and_port(std::string& ip, int& port) const {
  ip = FClient;
  port = FPeerPort;
}

void THttpConnection::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t size = sizeof address;
  port = 0;
  ip.clear();
  if (::getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &size) != 0) return;
  char printed[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    ip = inet_ntop(AF_INET, &v4.sin_addr, printed, sizeof printed);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    ip = NormalAddress(inet_ntop(AF_INET6, &v6.sin6_addr, printed, sizeof printed)).value_or("");
    port = ntohs(v6.sin6_port);
  }
}

THttpConnection::TFill THttpConnection::Fill(size_t limit) {
  TFill result = TFill::Nothing;
  while (FBuffer.size() - FAnswered < limit) {
    char chunk[16 * 1024];
    const size_t room = std::min(sizeof chunk, limit - (FBuffer.size() - FAnswered));
    const ssize_t got = ::recv(FSocket, chunk, room, 0);
    if (got > 0) {
      FBuffer.append(chunk, static_cast<size_t>(got));
      result = TFill::Received;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return result;
    return TFill::Closed;
  }
  return result;
}

void THttpConnection::BeginRequest(size_t length, std::string client, TClock::time_point writeDeadline) {
  FClient = std::move(client);
  FRead = FAnswered;
  FRequestEnd = FAnswered + length;
  FWriteDeadline = writeDeadline;
}

void THttpConnection::EndRequest() {
  FAnswered = FRequestEnd;
  FRead = FRequestEnd;
  // Forget answered bytes once they are a good part of the buffer, not on every request.
  if (FAnswered > 0 && FAnswered * 2 >= FBuffer.size()) {
    FBuffer.erase(0, FAnswered);
    FRead -= FAnswered;
    FRequestEnd -= FAnswered;
    FAnswered = 0;
  }
}

void THttpConnection::SendNow(std::string_view bytes) {
  // Best effort: a refusal is small and fits the socket buffer of any client still listening.
  while (!bytes.empty()) {
    const ssize_t sent = ::send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
}
