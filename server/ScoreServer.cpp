#include "server/ScoreServer.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "server/Pages.h"
#include "server/PlayFiles.h"

namespace {

constexpr size_t MaxLoggedTarget = 300;

// Control bytes and non-ASCII are written as %XX, so a request cannot forge or break log lines.
std::string LogSafe(std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string result;
  for (const char c : text.substr(0, MaxLoggedTarget)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x21 || byte >= 0x7F) {
      result += '%';
      result += Hex[byte >> 4];
      result += Hex[byte & 15];
    } else {
      result.push_back(c);
    }
  }
  if (text.size() > MaxLoggedTarget) result += "...";
  return result;
}

std::vector<std::string> ListScreenshots(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "screenshots", error)) {
    if (entry.path().extension() == ".png" && entry.is_regular_file(error)) names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string DefaultStaticDir() { return ZARVOK_SERVER_STATIC_DIR; }

TScoreServer::TScoreServer(const TServerOptions& options, std::ostream* log, const TServerClock& clock)
    : FOptions(options), FLog(log) {
  if (FOptions.StaticDir.empty()) FOptions.StaticDir = DefaultStaticDir();
  std::filesystem::create_directories(FOptions.DataDir);
  FStore = std::make_unique<TScoreStore>((std::filesystem::path(FOptions.DataDir) / "scores.sqlite").string());
  FKeeper = std::make_unique<TScoreKeeper>(*FStore, clock, FOptions.Key, FOptions.RateLimit);
  FHttp = std::make_unique<httplib::Server>();
  const auto threads = static_cast<size_t>(FOptions.Threads);
  FHttp->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // Each open connection holds a worker thread, so an idle browser or game connection is let go
  // after 2 s instead of the library's 5.
  FHttp->set_keep_alive_max_count(10000);
  FHttp->set_keep_alive_timeout(2);
  FHttp->set_tcp_nodelay(true);
  FHttp->set_payload_max_length(64 * 1024);
  Route();
}

TScoreServer::~TScoreServer() { Stop(); }

int TScoreServer::Bind() {
  int port = FOptions.Port;
  if (port == 0) {
    port = FHttp->bind_to_any_port(FOptions.Address);
  } else if (!FHttp->bind_to_port(FOptions.Address, port)) {
    port = -1;
  }
  if (port < 0) {
    throw std::runtime_error("cannot listen on " + FOptions.Address + ":" + std::to_string(FOptions.Port));
  }
  return port;
}

bool TScoreServer::Listen() {
  {
    std::lock_guard lock(FRunLock);
    if (FStopRequested) return true;
    FListening = true;
  }
  const bool served = FHttp->listen_after_bind();
  {
    std::lock_guard lock(FRunLock);
    FListening = false;
  }
  FRunChanged.notify_all();
  return served;
}

// The library's stop() does nothing until its accept loop runs, so a stop that comes just after
// Listen() began waits for the loop to be up and stops it then, exactly once.
void TScoreServer::Stop() {
  std::unique_lock lock(FRunLock);
  FStopRequested = true;
  bool stopped = false;
  while (FListening) {
    if (!stopped && FHttp->is_running()) {
      FHttp->stop();
      stopped = true;
    }
    FRunChanged.wait_for(lock, std::chrono::milliseconds(5));
  }
}

void TScoreServer::Route() {
  httplib::Server& http = *FHttp;
  http.Get("/cgi/version.pl", [this](const httplib::Request& request, httplib::Response& response) {
    Answer(FKeeper->HandleScript(request.target, request.remote_addr), response);
  });
  http.Get("/", [this](const httplib::Request&, httplib::Response& response) {
    response.set_content(RenderSitePage(ListScreenshots(FOptions.StaticDir), !FOptions.PlayDir.empty()),
                         "text/html; charset=utf-8");
  });
  http.Get(std::string(StyleSheetPath), [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "max-age=3600");
    response.set_content(SiteStyleSheet(), "text/css; charset=utf-8");
  });
  http.set_mount_point("/static", FOptions.StaticDir);
  if (!FOptions.PlayDir.empty()) MountPlayFiles(http, FOptions.PlayDir);
  http.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return;
    const std::string message = response.status == 404 ? "Nothing here, soldier." : "That did not work.";
    response.set_content(RenderErrorPage(response.status, message), "text/html; charset=utf-8");
  });
  http.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    response.status = 500;
    response.set_content("ERROR|the server could not do that", "text/plain; charset=utf-8");
  });
  http.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
    LogRequest(request, response);
  });
}

void TScoreServer::Answer(const TReply& reply, httplib::Response& response) const {
  response.status = reply.Status;
  response.set_header("Cache-Control", "no-store");
  response.set_content(reply.Body, reply.ContentType.c_str());
}

void TScoreServer::LogRequest(const httplib::Request& request, const httplib::Response& response) {
  if (FLog == nullptr || !FOptions.Log) return;
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &parts);
  std::string line = std::string(stamp) + " " + LogSafe(request.remote_addr) + " " + LogSafe(request.method) + " " +
                     LogSafe(request.target) + " " + std::to_string(response.status) + " " +
                     std::to_string(response.body.size()) + "\n";
  std::lock_guard lock(FLogLock);
  *FLog << line << std::flush;
}
