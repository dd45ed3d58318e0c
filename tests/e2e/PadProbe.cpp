// A test-only build of the real game: the SDL platform and the shipped program's own loop, plus a
// virtual game pad (SDL's virtual joystick) that the test steers through standard input, one
// command a line:
//   axis N V      set axis N (SDL's game-controller order) to V
//   button N 0|1  let go of or press button N
//   burst         burst fire, as the bonus for it gives
//   measure       tilt the stick fully right now and report, once the sight has moved, how many
//                 frames that took ("latency N"); the stick then goes back to rest
//   unplug, plug  pull the pad out, plug it in again
//   state         one line: "state screen=S intro=I held=H x=X y=Y sight=SX shots=N frames=F"
//   quit
// Commands reach the game between its waits, one per wait, on its own thread, as events would.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "app/Application.h"
#include "app/MainForm.h"
#include "audio/WaveList.h"
#include "combat/Pricel.h"
#include "platform/WindowDecorator.h"
#include "platform/sdl/SdlPlatform.h"

namespace {

// The real window, with a hook before each wait and a count of the frames shown.
class TProbeWindow : public TWindowDecorator {
 public:
  using TWindowDecorator::TWindowDecorator;
  void Present(const TSurface& frame) override {
    TWindowDecorator::Present(frame);
    ++Frames;
    if (OnPresent) OnPresent();
  }
  bool WaitEvent(TPlatformEvent& event, uint32_t timeoutMs) override {
    if (OnIdle) OnIdle();
    return TWindowDecorator::WaitEvent(event, timeoutMs);
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }

  std::atomic<int> Frames{0};
  std::function<void()> OnIdle;
  std::function<void()> OnPresent;
};

}  // namespace

int main() {
  TPlatform platform = CreateSdlPlatform();
  auto probeWindow = std::make_unique<TProbeWindow>(std::move(platform.Window));
  TProbeWindow& window = *probeWindow;
  platform.Window = std::move(probeWindow);

  std::atomic<SDL_Joystick*> pad{nullptr};
  const auto plug = [&] {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  };
  const auto unplug = [&] {
    SDL_Joystick* joystick = pad.exchange(nullptr);
    if (joystick == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  };
  plug();
  if (pad == nullptr) {
    std::printf("nopad %s\n", SDL_GetError());
    std::fflush(stdout);
    return 2;
  }

  std::mutex lock;
  std::deque<std::string> commands;
  std::atomic<int> measureFrom{-1};
  std::thread reader([&] {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (line == "measure") {
        // Straight from this thread, at whatever moment the command comes: the game meets the
        // stick wherever its loop happens to be, as with a real hand.
        measureFrom = window.Frames.load();
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
        continue;
      }
      const std::lock_guard guard(lock);
      commands.push_back(line);
    }
  });
  reader.detach();

  TMainForm form(platform);
  int shots = 0;
  form.WaveList->OnPlaySound = [&](const std::string& name) { shots += name == "1" ? 1 : 0; };
  double measureSightX = -1;
  const auto sightX = [&]() -> double {
    if (const Pricel* sight = form.FindFirst<Pricel>()) return sight->X;
    if (const Pricel_prosto* sight = form.FindFirst<Pricel_prosto>()) return sight->X;
    return -1;
  };

  window.OnPresent = [&] {
    const int from = measureFrom.load();
    if (from < 0) {
      measureSightX = sightX();
      return;
    }
    if (sightX() == measureSightX) return;
    std::printf("latency %d\n", window.Frames.load() - from);
    std::fflush(stdout);
    measureFrom = -1;
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  };
  window.OnIdle = [&] {
    // One command per wait, so that the pad is read between any two of them, as a hand's
    // press and release always are.
    std::deque<std::string> now;
    {
      const std::lock_guard guard(lock);
      if (!commands.empty()) {
        now.push_back(commands.front());
        commands.pop_front();
      }
    }
    for (const std::string& command : now) {
      std::istringstream in(command);
      std::string verb;
      int a = 0;
      int b = 0;
      in >> verb >> a >> b;
      if (verb == "axis") {
        SDL_JoystickSetVirtualAxis(pad, a, static_cast<Sint16>(b));
      } else if (verb == "button") {
        SDL_JoystickSetVirtualButton(pad, a, static_cast<Uint8>(b));
      } else if (verb == "unplug") {
        unplug();
      } else if (verb == "plug") {
        plug();
      } else if (verb == "burst") {
        form.SingleShotMode = false;
      } else if (verb == "state") {
        std::printf("state screen=%d intro=%d held=%d x=%d y=%d sight=%g shots=%d frames=%d\n", form.CurrentScreen,
                    form.LevelIntro ? 1 : 0, form.TriggerHeld ? 1 : 0, form.PointerX, form.PointerY, sightX(), shots, window.Frames.load());
        std::fflush(stdout);
      } else if (verb == "quit") {
        form.Terminate();
      }
    }
  };

  form.ShowForm();
  TApplication application(form);
  application.Run();
  std::_Exit(0);  // the command reader may still wait on its input
}
