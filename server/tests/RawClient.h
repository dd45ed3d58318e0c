#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

// A bare TCP client from a chosen loopback address (all of 127.0.0.0/8 is this machine), for what
// the library client cannot do: pick its own address, send broken or pipelined requests, trickle
// bytes, or just sit there.
class TRawClient {
 public:
  // blocking false: the connect is started and not waited for (see Connected()).
  TRawClient(const std::string& from, int port, bool blocking = true) {
    FSocket = ::socket(AF_INET, SOCK_STREAM | (blocking ? 0 : SOCK_NONBLOCK), 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    ::bind(FSocket, reinterpret_cast<sockaddr*>(&local), sizeof local);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    FConnected = ::connect(FSocket, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0;
  }
  ~TRawClient() {
    if (FSocket >= 0) ::close(FSocket);
  }
  TRawClient(const TRawClient&) = delete;
  TRawClient& operator=(const TRawClient&) = delete;

  // For a non-blocking connect: waits up to timeout for the handshake to finish.
  bool Connected(std::chrono::milliseconds timeout) {
    if (FConnected) return true;
    pollfd wait{FSocket, POLLOUT, 0};
    if (::poll(&wait, 1, static_cast<int>(timeout.count())) != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &error, &size);
    FConnected = error == 0;
    return FConnected;
  }

  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
  }

  // True when the server has closed the connection or written to it (a refusal), without waiting.
  bool HeardFromServer() {
    pollfd wait{FSocket, POLLIN, 0};
    return ::poll(&wait, 1, 0) == 1;
  }

  // Everything the server sends until it closes, or until timeout passes without it closing.
  std::string ReadUntilClosed(std::chrono::milliseconds timeout) {
    std::string received;
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd wait{FSocket, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) != 1) return received;
      char buffer[4096];
      const ssize_t got = ::recv(FSocket, buffer, sizeof buffer, 0);
      if (got <= 0) {
        FClosed = true;
        return received;
      }
      received.append(buffer, static_cast<size_t>(got));
    }
  }

  // Whether ReadUntilClosed ended because the server closed the connection.
  bool Closed() const { return FClosed; }

 private:
  int FSocket = -1;
  bool FConnected = false;
  bool FClosed = false;
};
