#pragma once

#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "server/ScoreKeeper.h"
#include "server/ScoreStore.h"
#include "server/ServerClock.h"
#include "server/ServerOptions.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

class TConnectionFront;
class THttpEngine;
class TStaticFolder;

// The score server: the game's script address, the web site, its style sheet and pictures over
// HTTP, with one log line per request. A connection front takes the connections and gives the
// HTTP engine only requests that have fully arrived.
class TScoreServer {
 public:
  // log may be null for no log. Opens (or creates) the store options.Database names, or SQLite in
  // options.DataDir.
  TScoreServer(const TServerOptions& options, std::ostream* log, const TServerClock& clock);
  ~TScoreServer();

  // Binds the listening socket and returns its port (useful with port 0); raises on failure,
  // also when another server already listens there.
  int Bind();
  // Serves until Stop(); returns false when serving failed. Bind first.
  bool Listen();
  // Ends Listen() and returns when it has ended, from any thread, before or while it serves.
  void Stop();

  TScoreStore& Store() { return *FStore; }

 private:
  void Route();
  void Answer(const TReply& reply, httplib::Response& response) const;
  void LogRequest(const httplib::Request& request, const httplib::Response& response);
  void LogLine(const std::string& text);
  void LogAnswer(const std::string& client, std::string_view method, std::string_view target, int status,
               size_t bytes);

  TServerOptions FOptions;
  std::ostream* FLog;
  std::mutex FLogLock;
  std::unique_ptr<TScoreStore> FStore;
  std::unique_ptr<TScoreKeeper> FKeeper;
  std::unique_ptr<TStaticFolder> FStatic;
  std::unique_ptr<THttpEngine> FHttp;
  std::unique_ptr<TConnectionFront> FFront;
};

// Where the site's pictures are looked for when no --static folder is given.
std::string DefaultStaticDir();
