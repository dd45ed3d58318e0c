#include "platform/web/WebHttpTransport.h"

#include <emscripten.h>

#include <cstdlib>
#include <memory>

// Returns the status (0 when no answer came) and, through body and bodySize, the answer's bytes in
// memory the caller frees. The text is fetched as x-user-defined so that every byte comes through.
// clang-format off
EM_JS(int, ZarvokHttpGet, (const char* url, const char* accept, const char* contentType, char** body,
                           int* bodySize), {
  var status = 0;
  var text = "";
  try {
    var request = new XMLHttpRequest();
    request.open('GET', UTF8ToString(url), false);
    request.overrideMimeType('text/plain; charset=x-user-defined');
    var acceptValue = UTF8ToString(accept);
    if (acceptValue) request.setRequestHeader('Accept', acceptValue);
    var typeValue = UTF8ToString(contentType);
    if (typeValue) request.setRequestHeader('Content-Type', typeValue);
    request.send(null);
    status = request.status;
    text = request.responseText || "";
  } catch (error) {
    status = 0;
  }
  var bytes = _malloc(text.length + 1);
  for (var i = 0; i < text.length; ++i) HEAPU8[bytes + i] = text.charCodeAt(i) & 0xff;
  HEAPU8[bytes + text.length] = 0;
  HEAP32[body >> 2] = bytes;
  HEAP32[bodySize >> 2] = text.length;
  return status;
});
// clang-format on

std::string TWebHttpTransport::Get(const THttpRequest& request) {
  char* bytes = nullptr;
  int size = 0;
  const int status =
      ZarvokHttpGet(request.Url.c_str(), request.Accept.c_str(), request.ContentType.c_str(), &bytes, &size);
  const std::unique_ptr<char, decltype(&std::free)> owned(bytes, &std::free);
  if (status == 0) throw EHttpError("no answer from " + request.Url);
  if (status >= 400) throw EHttpError("status " + std::to_string(status) + " from " + request.Url);
  return std::string(bytes, static_cast<size_t>(size));
}
