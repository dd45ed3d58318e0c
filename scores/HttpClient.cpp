#include "scores/HttpClient.h"

std::string THttpClient::Get(const std::string& url) {
  if (FTransport == nullptr) throw EHttpError("No HTTP transport");
  THttpRequest request;
  request.Url = url;
  request.Accept = "text/html, */*";
  request.UserAgent = "Mozilla/3.0 (compatible; Zarvok)";
  request.ContentType = "text/html";
  request.TimeoutMs = FTimeoutMs;
  return FTransport->Get(request);
}
