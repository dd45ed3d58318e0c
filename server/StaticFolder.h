#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

// A file found in a static folder, with what a browser needs to cache it.
struct TStaticFile {
  std::filesystem::path Path;  // resolved, inside the folder
  std::string ContentType;
  std::uintmax_t Size = 0;
  std::string ETag;          // changes with the size or the modification time
  std::string LastModified;  // HTTP date
  int64_t ModifiedSeconds = 0;
};

// A folder of files served as they are: only regular files that really lie inside it (a link may
// point elsewhere in the folder, never out of it), typed by their name, with a tag and a date so
// browsers can keep them and ask cheaply whether they changed. Other mounts (a web build) can use
// one of their own.
class TStaticFolder {
 public:
  static constexpr std::uintmax_t MaxFileSize = 32 * 1024 * 1024;

  explicit TStaticFolder(std::filesystem::path root);

  // relative: the decoded path below the folder's address ("screenshots/01-battle.png"); nothing
  // for names with control bytes, backslashes, empty, "." or ".." parts, and anything outside.
  std::optional<TStaticFile> Find(std::string_view relative) const;

  // Answers a GET or HEAD for relative: 404, 304 for a copy the browser already has, or the file.
  void Serve(std::string_view relative, const httplib::Request& request, httplib::Response& response) const;

  static std::string ContentTypeFor(const std::filesystem::path& file);

 private:
  std::filesystem::path FRoot;
};

// "Thu, 10 Dec 2026 12:00:00 GMT", and back (nothing for anything else).
std::string HttpDate(int64_t unixSeconds);
std::optional<int64_t> ParseHttpDate(const std::string& text);
