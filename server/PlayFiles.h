#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

// The browser build of the game, served under /play/ from a folder. Files that have a gzip copy
// beside them ("zarvok.wasm.gz") are sent as that copy with Content-Encoding when the browser
// accepts gzip, so the pictures and the code cross the wire compressed; text needs no copy, as
// the server compresses it as it sends it.
struct TPlayFile {
  std::filesystem::path Path;  // the file to send
  std::string ContentType;
  bool Gzip = false;  // Path is the gzip copy: send it with "Content-Encoding: gzip"
};

// The file for the part of the address after "/play/", or nothing for a name outside the folder,
// a hidden name or a missing file. An empty name is the folder's index.html.
std::optional<TPlayFile> FindPlayFile(const std::filesystem::path& folder, std::string_view name,
                                      std::string_view acceptEncoding);

// The MIME type by the file's extension; application/octet-stream for unknown ones.
std::string PlayContentType(const std::filesystem::path& file);

// Adds GET /play and /play/... to the server.
void MountPlayFiles(httplib::Server& http, const std::filesystem::path& folder);
