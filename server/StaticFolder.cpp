#include "server/StaticFolder.h"

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

bool SafePart(std::string_view part) {
  return !part.empty() && part != "." && part != ".." &&
         std::none_of(part.begin(), part.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte < 0x20 || byte == 0x7F || c == '\\';
         });
}

bool Inside(const std::filesystem::path& file, const std::filesystem::path& folder) {
  const auto [folderEnd, fileAt] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
  return folderEnd == folder.end() && fileAt != file.end();
}

// Lists the client sent ("a", "b") or "*"; weak tags match their strong twin for a GET.
bool TagListed(const std::string& list, const std::string& tag) {
  if (list.find('*') != std::string::npos) return true;
  size_t from = 0;
  while (from < list.size()) {
    size_t end = list.find(',', from);
    if (end == std::string::npos) end = list.size();
    std::string_view item = std::string_view(list).substr(from, end - from);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (item.rfind("W/", 0) == 0) item.remove_prefix(2);
    if (item == tag) return true;
    from = end + 1;
  }
  return false;
}

}  // namespace

std::string HttpDate(int64_t unixSeconds) {
  const auto time = static_cast<std::time_t>(unixSeconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

std::optional<int64_t> ParseHttpDate(const std::string& text) {
  std::tm parts{};
  const char* end = strptime(text.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return static_cast<int64_t>(timegm(&parts));
}

TStaticFolder::TStaticFolder(std::filesystem::path root) : FRoot(std::move(root)) {}

std::string TStaticFolder::ContentTypeFor(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  static constexpr std::pair<std::string_view, std::string_view> Types[] = {
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".webp", "image/webp"},
      {".ico", "image/x-icon"},
      {".css", "text/css; charset=utf-8"},
      {".html", "text/html; charset=utf-8"},
      {".txt", "text/plain; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".json", "application/json"},
      {".wasm", "application/wasm"},
      {".wav", "audio/wav"},
      {".ogg", "audio/ogg"},
  };
  for (const auto& [known, type] : Types) {
    if (extension == known) return std::string(type);
  }
  return "application/octet-stream";
}

std::optional<TStaticFile> TStaticFolder::Find(std::string_view relative) const {
  std::filesystem::path path = FRoot;
  while (!relative.empty()) {
    const size_t slash = relative.find('/');
    const std::string_view part = relative.substr(0, slash);
    if (!SafePart(part)) return std::nullopt;
    path /= std::string(part);
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
  }
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::canonical(FRoot, error);
  if (error) return std::nullopt;
  // Links are followed to where they end; that place must still be inside the folder.
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  if (error || !Inside(resolved, folder)) return std::nullopt;
  const auto status = std::filesystem::status(resolved, error);
  if (error || !std::filesystem::is_regular_file(status)) return std::nullopt;
  TStaticFile file;
  file.Path = resolved;
  file.Size = std::filesystem::file_size(resolved, error);
  const auto written = std::filesystem::last_write_time(resolved, error);
  if (error || file.Size > MaxFileSize) return std::nullopt;
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::file_clock::to_sys(written).time_since_epoch()).count();
  file.ModifiedSeconds = nanoseconds / 1'000'000'000;
  file.ContentType = ContentTypeFor(resolved);
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%jx-%llx\"", file.Size, static_cast<unsigned long long>(nanoseconds));
  file.ETag = tag;
  file.LastModified = HttpDate(file.ModifiedSeconds);
  return file;
}

void TStaticFolder::Serve(std::string_view relative, const httplib::Request& request,
                          httplib::Response& response) const {
  const std::optional<TStaticFile> file = Find(relative);
  if (!file) {
    response.status = 404;
    return;
  }
  response.set_header("ETag", file->ETag);
  response.set_header("Last-Modified", file->LastModified);
  response.set_header("Cache-Control", "public, max-age=300");
  bool unchanged = false;
  if (request.has_header("If-None-Match")) {
    unchanged = TagListed(request.get_header_value("If-None-Match"), file->ETag);
  } else if (request.has_header("If-Modified-Since")) {
    const auto since = ParseHttpDate(request.get_header_value("If-Modified-Since"));
    unchanged = since && file->ModifiedSeconds <= *since;
  }
  if (unchanged) {
    response.status = 304;
    return;
  }
  std::ifstream in(file->Path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    response.status = 500;
    return;
  }
  response.set_content(content, file->ContentType);
}
