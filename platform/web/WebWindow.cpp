#include "platform/web/WebWindow.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, ZarvokFrameShown, (), {
  if (Module.onZarvokFrame) Module.onZarvokFrame(performance.now());
});
// clang-format on

TWebWindow::TWebWindow() : TSdlWindow(false) {}

void TWebWindow::Present(const TSurface& frame) {
  TSdlWindow::Present(frame);
  ZarvokFrameShown();
}
