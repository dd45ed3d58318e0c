#include "scores/HttpClient.h"

#include <cctype>

namespace {

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Characters a query may hold as they are (unreserved, sub-delimiters, ":", "@", "/", "?").
bool AllowedInQuery(char c) {
  if (std::isalnum(static_cast<unsigned char>(c)) != 0) return true;
  switch (c) {
    case '-': case '.': case '_': case '~':
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',':
    case ';': case '=': case ':': case '@': case '/': case '?':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string EncodeUrlQuery(const std::string& url) {
  const size_t question = url.find('?');
  if (question == std::string::npos) return url;
  const size_t fragment = url.find('#', question);
  const size_t end = fragment == std::string::npos ? url.size() : fragment;
  static constexpr char HexDigits[] = "0123456789ABCDEF";
  std::string result = url.substr(0, question + 1);
  for (size_t i = question + 1; i < end; ++i) {
    const char c = url[i];
    const bool escape = c == '%' && i + 2 < end && IsHexDigit(url[i + 1]) && IsHexDigit(url[i + 2]);
    if (AllowedInQuery(c) || escape) {
      result += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      result += '%';
      result += HexDigits[byte >> 4];
      result += HexDigits[byte & 15u];
    }
  }
  result.append(url, end, std::string::npos);
  return result;
}

std::string THttpClient::Get(const std::string& url) {
  if (FTransport == nullptr) throw EHttpError("No network connection");
  THttpRequest request;
  request.Url = EncodeUrlQuery(url);
  request.Accept = "text/html, */*";
  request.UserAgent = "Mozilla/3.0 (compatible; Zarvok)";
  request.ContentType = "text/html";
  request.TimeoutMs = FTimeoutMs;
  return FTransport->Get(request);
}

std::string THttpClient::Post(const std::string& url, const std::string& body, const std::string& contentType) {
  if (FTransport == nullptr) throw EHttpError("No network connection");
  THttpRequest request;
  request.Url = EncodeUrlQuery(url);
  request.Accept = "text/plain, */*";
  request.UserAgent = "Mozilla/3.0 (compatible; Zarvok)";
  request.ContentType = contentType;
  request.TimeoutMs = FTimeoutMs;
  request.Body = body;
  return FTransport->Get(request);
}
