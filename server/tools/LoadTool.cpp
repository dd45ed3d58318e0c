// A bounded load generator for the score server on this machine: a fixed rate of full submissions
// (version query, then the coded record) for a fixed time, reporting latency percentiles. With
// several --port options the connections are spread over those instances, and a connection whose
// instance does not answer moves on to the next, as a reverse proxy would. With --idle and --trickle
// it also keeps that many silent connections and connections that send a header byte every 4 s open
// beside the players, from other loopback addresses, to show what slow clients do to everybody else.
// It only talks to loopback addresses.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "scores/TextCoder.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TLoadOptions {
  std::string Host = "127.0.0.1";
  std::vector<int> Ports;  // 8642 when none is given
  std::string Tag = "LOAD";  // the additional text of every record, to find this run's scores
  std::string AcknowledgedFile;  // "name score" of each score answered OK
  bool Timeline = false;  // a line per second: requests answered OK and failed
  double Rate = 1000;  // submissions per second
  double Seconds = 30;
  int Connections = 8;
  char Key = 'Z';
  int Idle = 0;     // silent connections kept open
  int Trickle = 0;  // connections sending one header byte every 4 s
};

// A connection from the loopback address 127.a.b.c to the server, or -1.
int ConnectFrom(const std::string& from, const std::string& host, int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, host == "localhost" ? "127.0.0.1" : host.c_str(), &server.sin_addr);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(socket, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

// True when the server has closed the connection (or written its refusal).
bool Ended(int socket) {
  pollfd wait{socket, POLLIN, 0};
  return socket < 0 || ::poll(&wait, 1, 0) != 0;
}

// Keeps the idle and trickling connections open until done, reopening what the server closes;
// eight of them share a source address.
void HoldSlowClients(const TLoadOptions& options, const std::atomic<bool>& done, std::atomic<int64_t>& reopened) {
  std::vector<int> sockets(static_cast<size_t>(options.Idle + options.Trickle), -1);
  const std::string head = "GET / HTTP/1.1\r\nHost: zarvok\r\nUser-Agent: slow\r\n";
  size_t sent = 0;
  auto nextByte = std::chrono::steady_clock::now();
  while (!done) {
    for (size_t i = 0; i < sockets.size(); ++i) {
      if (!Ended(sockets[i])) continue;
      if (sockets[i] >= 0) {
        ::close(sockets[i]);
        ++reopened;
      }
      sockets[i] = ConnectFrom("127.1." + std::to_string(i / 8) + ".1", options.Host, options.Ports.front());
    }
    if (std::chrono::steady_clock::now() >= nextByte) {
      for (size_t i = static_cast<size_t>(options.Idle); i < sockets.size(); ++i) {
        if (sockets[i] >= 0) ::send(sockets[i], head.data() + sent % head.size(), 1, MSG_NOSIGNAL);
      }
      ++sent;
      nextByte += std::chrono::seconds(4);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (const int socket : sockets) {
    if (socket >= 0) ::close(socket);
  }
}

struct TSamples {
  std::vector<double> Version;     // ms, from sending to the reply
  std::vector<double> Submission;  // ms, from sending to the reply
  std::vector<double> Scheduled;   // ms, from the planned start of the pair to the last reply
  int64_t Failed = 0;
  std::vector<std::pair<std::string, int64_t>> Acknowledged;  // name and score
  struct TSecond {
    int64_t Acknowledged = 0;
    int64_t Failed = 0;
    double Slowest = 0;  // ms, the slowest single answer that ended in this second
  };
  std::map<int64_t, TSecond> PerSecond;  // by the second of the run a pair ended in
};

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

double Percentile(std::vector<double>& values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
  return values[index];
}

void Report(const char* what, std::vector<double>& values) {
  std::printf("%-26s n=%-7zu p50=%7.2f ms  p90=%7.2f ms  p99=%7.2f ms  max=%7.2f ms\n", what, values.size(),
              Percentile(values, 0.50), Percentile(values, 0.90), Percentile(values, 0.99),
              values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()));
}

// Each submission of a run has its own score, k, so the stored ones can be checked one by one.
std::string CodedRecord(std::mt19937& random, char key, const std::string& token, int64_t k, const std::string& tag,
                        std::string& name) {
  name.clear();
  const int length = 1 + static_cast<int>(random() % 10);
  for (int i = 0; i < length; ++i) name.push_back(static_cast<char>('A' + random() % 26));
  std::string record = "type=0|name=" + name + "|score=" + std::to_string(k) + "|key=" + key + "|p=" + token +
                       "|add=" + tag + "|z=";
  while (record.size() % 5 != 0) record += '0';
  return EncodeText(record);
}

}  // namespace

int main(int argc, char** argv) {
  TLoadOptions options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const std::string value = argv[i + 1];
    if (option == "--host") options.Host = value;
    else if (option == "--port") options.Ports.push_back(std::stoi(value));
    else if (option == "--tag") options.Tag = value;
    else if (option == "--acknowledged") options.AcknowledgedFile = value;
    else if (option == "--timeline") options.Timeline = value == "1";
    else if (option == "--rate") options.Rate = std::stod(value);
    else if (option == "--seconds") options.Seconds = std::stod(value);
    else if (option == "--connections") options.Connections = std::stoi(value);
    else if (option == "--key") options.Key = value.empty() ? 'Z' : value[0];
    else if (option == "--idle") options.Idle = std::stoi(value);
    else if (option == "--trickle") options.Trickle = std::stoi(value);
    else {
      std::cerr << "usage: zarvok-score-load [--host 127.0.0.1] [--port 8642]... [--rate 1000] [--seconds 30]"
                   " [--connections 8] [--key Z] [--tag LOAD] [--acknowledged FILE] [--timeline 1]"
                   " [--idle 0] [--trickle 0]\n";
      return 2;
    }
  }
  if (!IsLoopback(options.Host)) {
    std::cerr << "zarvok-score-load only loads a server on this machine (127.0.0.0/8, ::1, localhost)\n";
    return 2;
  }
  if (options.Ports.empty()) options.Ports.push_back(8642);
  if (options.Tag.empty() || options.Tag.size() > 10 ||
      options.Tag.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos) {
    std::cerr << "zarvok-score-load: --tag needs 1 to 10 capital letters\n";
    return 2;
  }
  if (options.Rate <= 0 || options.Seconds <= 0 || options.Seconds > 600 || options.Connections < 1 ||
      options.Connections > 256 || options.Idle < 0 || options.Trickle < 0 || options.Idle + options.Trickle > 800) {
    std::cerr << "zarvok-score-load: rate, seconds (at most 600), connections (1..256) or slow clients (at most "
                 "800) out of range\n";
    return 2;
  }
  std::atomic<bool> loadDone{false};
  std::atomic<int64_t> reopened{0};
  std::thread slowClients;
  if (options.Idle + options.Trickle > 0) {
    slowClients = std::thread([&] { HoldSlowClients(options, loadDone, reopened); });
    std::this_thread::sleep_for(std::chrono::seconds(1));  // all of them are open before the players come
  }

  const auto total = static_cast<int64_t>(options.Rate * options.Seconds);
  const TClock::time_point start = TClock::now() + std::chrono::milliseconds(200);
  std::vector<TSamples> samples(static_cast<size_t>(options.Connections));
  std::vector<std::thread> workers;
  for (int w = 0; w < options.Connections; ++w) {
    workers.emplace_back([&, w] {
      TSamples& mine = samples[static_cast<size_t>(w)];
      std::mt19937 random(static_cast<uint32_t>(w) * 7919u + 1u);
      size_t port = static_cast<size_t>(w) % options.Ports.size();
      const auto connect = [&] {
        auto client = std::make_unique<httplib::Client>(options.Host, options.Ports[port]);
        client->set_keep_alive(true);
        client->set_tcp_nodelay(true);
        client->set_connection_timeout(2);
        client->set_read_timeout(5);
        return client;
      };
      std::unique_ptr<httplib::Client> connection = connect();
      for (int64_t k = w; k < total; k += options.Connections) {
        // Open loop: each pair has a planned start; falling behind shows up in the scheduled latency.
        const TClock::time_point planned =
            start + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(double(k) / options.Rate));
        std::this_thread::sleep_until(planned);
        const TClock::time_point sent = TClock::now();
        httplib::Client& client = *connection;
        auto version = client.Get("/cgi/version.pl?version&prg=Zarvok");
        const TClock::time_point versioned = TClock::now();
        std::string token;
        if (version && version->status == 200) {
          const std::string& body = version->body;
          size_t from = 0;
          for (int field = 0; field < 4 && from != std::string::npos; ++field) {
            from = body.find('|', from);
            if (from != std::string::npos) ++from;
          }
          if (from != std::string::npos) token = body.substr(from, body.find('|', from) - from);
        }
        std::string name;
        httplib::Result submitted = (version && version->status == 200)
            ? client.Get(("/cgi/version.pl?hs&prg=Zarvok&inf=" +
                          CodedRecord(random, options.Key, token, k, options.Tag, name)).c_str())
            : std::move(version);
        const TClock::time_point done = TClock::now();
        const bool acknowledged = submitted && submitted->status == 200 && submitted->body == "OK";
        if (acknowledged) mine.Acknowledged.emplace_back(name, k);
        auto& second = mine.PerSecond[std::chrono::duration_cast<std::chrono::seconds>(done - start).count()];
        (acknowledged ? second.Acknowledged : second.Failed) += 1;
        if (!submitted) {
          // No answer at all: the instance is gone; go on at the next one.
          port = (port + 1) % options.Ports.size();
          connection = connect();
        }
        const auto ms = [](TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
        mine.Version.push_back(ms(versioned - sent));
        mine.Submission.push_back(ms(done - versioned));
        mine.Scheduled.push_back(ms(done - planned));
        second.Slowest = std::max({second.Slowest, ms(versioned - sent), ms(done - versioned)});
        if (!acknowledged) ++mine.Failed;
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  const double elapsed = std::chrono::duration<double>(TClock::now() - start).count();
  loadDone = true;
  if (slowClients.joinable()) {
    slowClients.join();
    std::printf("beside %d idle and %d trickling connections (%lld closed by the server and reopened)\n",
                options.Idle, options.Trickle, static_cast<long long>(reopened.load()));
  }

  TSamples all;
  for (TSamples& s : samples) {
    all.Version.insert(all.Version.end(), s.Version.begin(), s.Version.end());
    all.Submission.insert(all.Submission.end(), s.Submission.begin(), s.Submission.end());
    all.Scheduled.insert(all.Scheduled.end(), s.Scheduled.begin(), s.Scheduled.end());
    all.Failed += s.Failed;
    all.Acknowledged.insert(all.Acknowledged.end(), s.Acknowledged.begin(), s.Acknowledged.end());
    for (const auto& [second, counts] : s.PerSecond) {
      TSamples::TSecond& sum = all.PerSecond[second];
      sum.Acknowledged += counts.Acknowledged;
      sum.Failed += counts.Failed;
      sum.Slowest = std::max(sum.Slowest, counts.Slowest);
    }
  }
  if (!options.AcknowledgedFile.empty()) {
    std::ofstream out(options.AcknowledgedFile);
    for (const auto& [name, score] : all.Acknowledged) out << name << " " << score << "\n";
  }
  if (options.Timeline) {
    for (const auto& [second, counts] : all.PerSecond) {
      std::printf("second %3lld: %6lld acknowledged %6lld failed, slowest answer %8.2f ms\n",
                  static_cast<long long>(second), static_cast<long long>(counts.Acknowledged),
                  static_cast<long long>(counts.Failed), counts.Slowest);
    }
  }
  std::printf("%lld submissions in %.1f s (%.0f per second asked, %.0f achieved: %.0f requests per second), "
              "%lld acknowledged, %lld refused or failed\n",
              static_cast<long long>(total), elapsed, options.Rate, double(total) / elapsed,
              2.0 * double(total) / elapsed, static_cast<long long>(all.Acknowledged.size()),
              static_cast<long long>(all.Failed));
  Report("version query", all.Version);
  Report("submission", all.Submission);
  Report("pair from planned start", all.Scheduled);
  return all.Failed == 0 ? 0 : 1;
}
