#include "platform/web/WebDesktop.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, ZarvokOpenTab, (const char* address), {
  window.open(UTF8ToString(address), '_blank', 'noopener');
});
// clang-format on

void TWebDesktop::Open(const std::string& target) { ZarvokOpenTab(target.c_str()); }
