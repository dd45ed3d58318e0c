#include "scores/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

int OpenLoopbackSocket(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    throw std::runtime_error("bind failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer() {
  FListener = OpenLoopbackSocket(FPort);
  if (listen(FListener, 8) != 0) {
    close(FListener);
    throw std::runtime_error("listen failed");
  }
  FThread = std::thread([this] { Serve(); });
}

TLoopbackHttpServer::~TLoopbackHttpServer() {
  FStop = true;
  FThread.join();
  for (const int client : FSilentClients) close(client);
  close(FListener);
}

void TLoopbackHttpServer::Queue(const TReply& reply) {
  std::lock_guard lock(FMutex);
  FReplies.push_back(reply);
}

std::string TLoopbackHttpServer::BaseAddress() const { return "http://127.0.0.1:" + std::to_string(FPort); }

std::vector<TLoopbackHttpServer::TRequest> TLoopbackHttpServer::Requests() const {
  std::lock_guard lock(FMutex);
  return FRequests;
}

uint16_t TLoopbackHttpServer::UnusedPort() {
  uint16_t port = 0;
  close(OpenLoopbackSocket(port));
  return port;
}

void TLoopbackHttpServer::Serve() {
  while (!FStop) {
    pollfd waiting{FListener, POLLIN, 0};
    if (poll(&waiting, 1, 20) <= 0) continue;
    const int client = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) Handle(client);
  }
}

void TLoopbackHttpServer::Handle(int client) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && !FStop) {
    pollfd waiting{client, POLLIN, 0};
    if (poll(&waiting, 1, 20) <= 0) continue;
    const ssize_t got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }

  TRequest request;
  size_t lineStart = 0;
  bool first = true;
  for (size_t end; (end = head.find("\r\n", lineStart)) != std::string::npos && end > lineStart;
       lineStart = end + 2) {
    const std::string line = head.substr(lineStart, end - lineStart);
    if (first) {
      const size_t space1 = line.find(' ');
      const size_t space2 = line.find(' ', space1 + 1);
      request.Method = line.substr(0, space1);
      request.Target = line.substr(space1 + 1, space2 - space1 - 1);
      first = false;
    } else if (const size_t colon = line.find(':'); colon != std::string::npos) {
      request.Headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
    }
  }

  TReply reply{404, "not found", false, ""};
  {
    std::lock_guard lock(FMutex);
    FRequests.push_back(request);
    if (!FReplies.empty()) {
      reply = FReplies.front();
      FReplies.pop_front();
    }
    if (reply.Silent) {
      FSilentClients.push_back(client);
      return;
    }
  }
  const std::string response = "HTTP/1.1 " + std::to_string(reply.Status) + " Scripted\r\n" +
                               "Content-Type: text/html\r\nContent-Length: " +
                               std::to_string(reply.Body.size()) + "\r\nConnection: close\r\n" +
                               reply.ExtraHeaders + "\r\n" +
                               reply.Body;
  size_t sent = 0;
  while (sent < response.size()) {
    const ssize_t done = send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
    if (done <= 0) break;
    sent += static_cast<size_t>(done);
  }
  close(client);
}
