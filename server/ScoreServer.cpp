#include "server/ScoreServer.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/replay/Replay.h"
#include "server/ConnectionFront.h"
#include "server/Pages.h"
#include "server/PlayFiles.h"
#include "server/StaticFolder.h"

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

std::string LogStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return stamp;
}

// Every answer may only be read as the type it says, may not be framed or run scripts from
// elsewhere, and does not tell other sites where the player came from. A route that needs more
// (a web build) sets its own policy.
constexpr std::string_view ContentSecurityPolicy =
    "default-src 'self'; img-src 'self' data:; object-src 'none'; base-uri 'none'; form-action 'self'; "
    "frame-ancestors 'none'";

void AddSafetyHeaders(httplib::Response& response) {
  if (!response.has_header("X-Content-Type-Options")) response.set_header("X-Content-Type-Options", "nosniff");
  if (!response.has_header("Content-Security-Policy")) {
    response.set_header("Content-Security-Policy", std::string(ContentSecurityPolicy));
  }
  if (!response.has_header("Referrer-Policy")) response.set_header("Referrer-Policy", "no-referrer");
}

}  // namespace

// The HTTP library's request handling, fed one whole request at a time by the connection front
// instead of reading sockets itself.
class THttpEngine : public httplib::Server {
 public:
  // False when the connection is to be closed afterwards.
  bool Answer(httplib::Stream& connection, bool lastOnConnection) {
    bool closed = false;
    const bool written = process_request(connection, lastOnConnection, closed, nullptr);
    return written && !closed && !lastOnConnection;
  }
};

std::string DefaultStaticDir() { return ZARVOK_SERVER_STATIC_DIR; }

TScoreServer::TScoreServer(const TServerOptions& options, std::ostream* log, const TServerClock& clock)
    : FOptions(options), FLog(log) {
  if (FOptions.StaticDir.empty()) FOptions.StaticDir = DefaultStaticDir();
  FStore = OpenScoreStore(FOptions.Database, FOptions.DataDir);
  if (!FOptions.GameData.empty()) {
    FVerifier = std::make_unique<TReplayVerifier>(
        *FStore, VerifyPaths(FOptions.GameData, FOptions.DataDir), static_cast<std::size_t>(FOptions.ReplayQueue),
        clock, [this](const std::string& line) { LogLine(line); });
  }
  FKeeper = std::make_unique<TScoreKeeper>(*FStore, clock, FOptions.Key, FOptions.RateLimit,
                                           [this](const std::string& line) { LogLine(line); });
  FStatic = std::make_unique<TStaticFolder>(FOptions.StaticDir);
  TFrontLimits limits;
  limits.Workers = FOptions.Threads;
  limits.MaxPerAddress = FOptions.MaxConnectionsPerAddress;
  limits.TrustedProxy = FOptions.TrustedProxy;
  // Replays come up to 1 MB (one byte more, so that a larger one is refused with its reason).
  limits.Head.UploadPath = "/cgi/replay";
  limits.Head.MaxUploadBody = MaxReplayBytes + 1;
  FHttp = std::make_unique<THttpEngine>();
  FHttp->set_payload_max_length(limits.Head.LargestBody());
  // Only the Keep-Alive header the library writes reads these; the front keeps them.
  FHttp->set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(limits.IdleTimeout).count());
  FHttp->set_keep_alive_max_count(static_cast<size_t>(limits.MaxRequestsPerConnection));
  Route();
  FFront = std::make_unique<TConnectionFront>(
      limits, [this](THttpConnection& connection, bool last) { return FHttp->Answer(connection, last); },
      [this](const std::string& client, std::string_view method, std::string_view target, int status,
             size_t bytes) { LogAnswer(client, method, target, status, bytes); });
}

TScoreServer::~TScoreServer() {
  Stop();
  FFront.reset();
}

int TScoreServer::Bind() { return FFront->Bind(FOptions.Address, FOptions.Port); }

bool TScoreServer::Listen() { return FFront->Run(); }

void TScoreServer::Stop() { FFront->Stop(); }

void TScoreServer::Route() {
  httplib::Server& http = *FHttp;
  http.Get("/cgi/version.pl", [this](const httplib::Request& request, httplib::Response& response) {
    Answer(FKeeper->HandleScript(request.target, request.remote_addr), response);
  });
  http.Post("/cgi/replay", [this](const httplib::Request& request, httplib::Response& response) {
    Answer(TakeReplay(request.get_param_value("p"), request.body), response);
  });
  http.Get(R"(/replay/(\d{1,18})\.zrp)", [this](const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> replay = FStore->Replay(std::stoll(request.matches[1]));
    if (!replay) {
      response.status = 404;
      return;
    }
    response.set_header("Content-Disposition", "attachment");
    response.set_content(*replay, "application/octet-stream");
  });
  http.Get("/", [this](const httplib::Request&, httplib::Response& response) {
    response.set_content(RenderSitePage(ListScreenshots(FOptions.StaticDir), !FOptions.PlayDir.empty()),
                         "text/html; charset=utf-8");
  });
  http.Get(std::string(StyleSheetPath), [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "max-age=3600");
    response.set_content(SiteStyleSheet(), "text/css; charset=utf-8");
  });
  http.Get("/static/(.*)", [this](const httplib::Request& request, httplib::Response& response) {
    FStatic->Serve(request.matches[1].str(), request, response);
  });
  http.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
    AddSafetyHeaders(response);
  });
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
  if (reply.Status == 429) response.set_header("Retry-After", "60");
  response.set_content(reply.Body, reply.ContentType.c_str());
}

void TScoreServer::LogLine(const std::string& text) {
  if (FLog == nullptr || !FOptions.Log) return;
  std::string line = LogStamp() + " ";
  // One line each, whatever a database message holds.
  for (const char c : text) line.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c);
  line += "\n";
  std::lock_guard lock(FLogLock);
  *FLog << line << std::flush;
}

void TScoreServer::LogRequest(const httplib::Request& request, const httplib::Response& response) {
  LogAnswer(request.remote_addr, request.method, request.target, response.status, response.body.size());
}

void TScoreServer::LogAnswer(const std::string& client, std::string_view method, std::string_view target, int status,
                           size_t bytes) {
  if (FLog == nullptr || !FOptions.Log) return;
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &parts);
  std::string line = stamp;
  for (const std::string_view part : {std::string_view(client), method, target}) {
    line += ' ';
    line += part.empty() ? std::string("-") : LogSafe(part);
  }
  line += ' ';
  line += std::to_string(status);
  line += ' ';
  line += std::to_string(bytes);
  line += '\n';
  std::lock_guard lock(FLogLock);
  *FLog << line << std::flush;
}

TReply TScoreServer::TakeReplay(const std::string& token, const std::string& body) {
  TReply reply;
  const auto refuse = [&reply](int status, const std::string& reason) {
    reply.Status = status;
    reply.Body = "ERROR|" + reason;
    return reply;
  };
  if (!FVerifier) return refuse(503, "this server does not check replays");
  if (body.size() > MaxReplayBytes) return refuse(413, "the replay is larger than 1 MB");
  try {
    ReadReplay(body);
  } catch (const EReplayError& error) {
    return refuse(400, error.what());
  }
  std::optional<TReplayTarget> target;
  try {
    target = FStore->AddReplay(token, body);
  } catch (const EScoreStoreError& error) {
    LogLine(std::string("score database: ") + error.what());
    return refuse(503, "the replay cannot be kept just now");
  }
  if (!target) return refuse(404, "no score without a replay came with this token");
  if (!FVerifier->Enqueue({target->ScoreId, target->Score, body}))
    return refuse(503, "too many replays wait for their check; this one is checked later");
  reply.Body = "OK|queued";
  return reply;
}
