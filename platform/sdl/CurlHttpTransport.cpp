#include "platform/sdl/CurlHttpTransport.h"

#include <curl/curl.h>

#include <cstddef>

namespace {

// The game's replies are a line of text; anything far larger is not a score server talking.
constexpr size_t MaxBodyBytes = 1 << 20;

struct TCurlSlist {
  curl_slist* List = nullptr;
  ~TCurlSlist() { curl_slist_free_all(List); }
  void Append(const std::string& line) {
    curl_slist* grown = curl_slist_append(List, line.c_str());
    if (grown == nullptr) throw EHttpError("Out of memory");
    List = grown;
  }
};

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  auto& body = *static_cast<std::string*>(user);
  const size_t bytes = size * count;
  if (body.size() + bytes > MaxBodyBytes) return 0;  // makes curl fail the transfer
  body.append(data, bytes);
  return bytes;
}

}  // namespace

struct TCurlHttpTransport::TState {
  CURL* Handle = nullptr;
};

TCurlHttpTransport::TCurlHttpTransport() : FState(std::make_unique<TState>()) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  FState->Handle = curl_easy_init();
  if (FState->Handle != nullptr) {
    // An empty cookie file switches the cookie engine on without reading any file.
    curl_easy_setopt(FState->Handle, CURLOPT_COOKIEFILE, "");
  }
}

TCurlHttpTransport::~TCurlHttpTransport() {
  if (FState->Handle != nullptr) curl_easy_cleanup(FState->Handle);
  curl_global_cleanup();
}

std::string TCurlHttpTransport::Get(const THttpRequest& request) {
  CURL* handle = FState->Handle;
  if (handle == nullptr) throw EHttpError("HTTP is not available");

  TCurlSlist headers;
  headers.Append("Accept: " + request.Accept);
  headers.Append("Content-Type: " + request.ContentType);

  std::string body;
  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(handle, CURLOPT_URL, request.Url.c_str());
  if (request.Body.empty()) {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.Body.data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.Body.size()));
  }
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.List);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, request.UserAgent.c_str());
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  // Time-outs without signals: the game runs on one thread and must not be interrupted.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(request.TimeoutMs));
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.TimeoutMs));
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);

  const CURLcode result = curl_easy_perform(handle);
  // The handle outlives this call: leave it no pointers into this frame.
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, nullptr);
  if (result != CURLE_OK) {
    const std::string reason = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
    throw EHttpError(reason);
  }
  return body;
}
