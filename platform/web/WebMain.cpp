#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "app/Application.h"
#include "app/MainForm.h"
#include "platform/web/WebPlatform.h"
#include "platform/web/WebStorage.h"

namespace {

// The folder the page's data files are unpacked into, and the IndexedDB folder the page mounts.
constexpr const char* GameFolder = "/game";
constexpr const char* StoredSettings = "/persist/Config.cfg";

// One game in the page. The members go in reverse: the loop, then the form, then the platform.
struct TWebGame {
  TWebStorage Storage{"Config.cfg", StoredSettings};
  TPlatform Platform;
  std::unique_ptr<TMainForm> Form;
  std::unique_ptr<TApplication> Application;
  int ReportedScreen = -1;
  int ReportedScore = -1;
};

// clang-format off
// The page learns the screen and the score when they change, for its status line and its tests.
EM_JS(void, ZarvokState, (int screen, int score), {
  if (Module.onZarvokState) Module.onZarvokState(screen, score);
});
EM_JS(void, ZarvokGameEnded, (), {
  if (Module.onZarvokEnded) Module.onZarvokEnded();
});
// clang-format on

// One pass per animation frame: the browser owns the loop, so nothing here may wait.
void Step(void* data) {
  auto* game = static_cast<TWebGame*>(data);
  game->Application->StepWithoutWaiting();
  game->Storage.Poll();
  const TMainForm& form = *game->Form;
  if (form.CurrentScreen != game->ReportedScreen || form.Score != game->ReportedScore) {
    game->ReportedScreen = form.CurrentScreen;
    game->ReportedScore = form.Score;
    ZarvokState(game->ReportedScreen, game->ReportedScore);
  }
  if (!form.Terminated()) return;
  emscripten_cancel_main_loop();
  // The game has ended: the form and its platform go, as they would when a desktop game exits.
  std::unique_ptr<TWebGame>(game).reset();
  ZarvokGameEnded();
}

}  // namespace

int main() {
  if (chdir(GameFolder) != 0) {
    std::fprintf(stderr, "Zarvok: the game's data is missing\n");
    return 1;
  }
  auto game = std::make_unique<TWebGame>();
  game->Storage.Restore();
  try {
    game->Platform = CreateWebPlatform();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Zarvok: %s\n", error.what());
    return 1;
  }
  try {
    game->Form = std::make_unique<TMainForm>(game->Platform);
    game->Form->ShowForm();
  } catch (const std::exception& error) {
    game->Platform.Window->ShowMessage("Zarvok", error.what());
    return 1;
  }
  game->Application = std::make_unique<TApplication>(*game->Form);
  // 0 frames a second: one step per animation frame of the browser. main returns at once and the
  // runtime stays up for the loop.
  emscripten_set_main_loop_arg(Step, game.release(), 0, 0);
  return 0;
}
