#include "server/PlayFiles.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// "gzip" among the codings of an Accept-Encoding header, and not refused with q=0.
bool AcceptsGzip(std::string_view header) {
  const std::string lower = Lower(header);
  size_t start = 0;
  while (start <= lower.size()) {
    const size_t end = std::min(lower.find(',', start), lower.size());
    std::string item = lower.substr(start, end - start);
    item.erase(std::remove_if(item.begin(), item.end(), [](unsigned char c) { return std::isspace(c); }),
               item.end());
    const size_t semicolon = item.find(';');
    const std::string coding = item.substr(0, semicolon);
    if (coding == "gzip" || coding == "*") {
      const std::string parameters = semicolon == std::string::npos ? "" : item.substr(semicolon + 1);
      const bool refused = parameters == "q=0" || parameters == "q=0.0" || parameters == "q=0.00" ||
                           parameters == "q=0.000";
      if (!refused) return true;
    }
    start = end + 1;
  }
  return false;
}

// Text the HTTP library compresses on its own (brotli or gzip, as the browser accepts): a gzip copy
// of it would be packed a second time.
bool CompressedByTheServer(const std::string& contentType) {
  return contentType.rfind("text/", 0) == 0 || contentType == "image/svg+xml" || contentType == "application/json";
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string PlayContentType(const std::filesystem::path& file) {
  static const std::pair<const char*, const char*> Types[] = {
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".wasm", "application/wasm"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".txt", "text/plain; charset=utf-8"},
  };
  const std::string extension = Lower(file.extension().string());
  for (const auto& [known, type] : Types)
    if (extension == known) return type;
  return "application/octet-stream";
}

std::optional<TPlayFile> FindPlayFile(const std::filesystem::path& folder, std::string_view name,
                                      std::string_view acceptEncoding) {
  std::string relative(name);
  if (relative.empty() || relative.back() == '/') relative += "index.html";
  // Only plain names below the folder: no way up, no absolute path, no hidden or empty parts.
  const std::filesystem::path path(relative);
  if (path.is_absolute() || relative.find('\\') != std::string::npos || relative.find('\0') != std::string::npos)
    return std::nullopt;
  for (const auto& part : path) {
    const std::string text = part.string();
    if (text.empty() || text.front() == '.') return std::nullopt;
  }
  const std::filesystem::path file = folder / path;
  // The gzip copy is sent for the file it stands for, never asked for by its own name.
  if (Lower(path.extension().string()) == ".gz") return std::nullopt;
  std::filesystem::path gzip = file;
  gzip += ".gz";
  const std::string type = PlayContentType(file);
  if (!CompressedByTheServer(type) && AcceptsGzip(acceptEncoding) && IsFile(gzip)) return TPlayFile{gzip, type, true};
  if (IsFile(file)) return TPlayFile{file, type, false};
  return std::nullopt;
}

void MountPlayFiles(httplib::Server& http, const std::filesystem::path& folder) {
  http.Get("/play", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/play/"); });
  http.Get(R"(/play/(.*))", [folder](const httplib::Request& request, httplib::Response& response) {
    const auto found = FindPlayFile(folder, request.matches[1].str(), request.get_header_value("Accept-Encoding"));
    std::ifstream in;
    if (found) in.open(found->Path, std::ios::binary);
    if (!found || !in) {
      response.status = 404;
      return;
    }
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A new build is picked up at once, and a cache never mixes the two encodings.
    response.set_header("Cache-Control", "no-cache");
    response.set_header("Vary", "Accept-Encoding");
    // The page runs its own inline start-up script and compiles WebAssembly; nothing from elsewhere.
    response.set_header("Content-Security-Policy",
                        "default-src 'self'; script-src 'self' 'unsafe-inline' 'wasm-unsafe-eval'; "
                        "style-src 'self' 'unsafe-inline'; img-src 'self' data:; object-src 'none'; "
                        "base-uri 'none'; frame-ancestors 'none'");
    if (found->Gzip) response.set_header("Content-Encoding", "gzip");
    response.set_content(std::move(body), found->ContentType.c_str());
  });
}
