#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/MainForm.h"
#include "battlefield/Terror.h"
#include "platform/sdl/SdlWindow.h"
#include "support/GameHarness.h"

namespace {

// The real SDL window on SDL's dummy video driver, fed with the events a touch screen gives:
// the finger's own events and SDL's mouse copies of them.
class SdlTouch : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    try {
      Window = std::make_unique<TSdlWindow>();
    } catch (const std::exception& error) {
      GTEST_SKIP() << "no SDL window on the dummy driver: " << error.what();
    }
  }

  static void Finger(Uint32 type, SDL_FingerID finger, float x, float y) {
    SDL_Event e{};
    e.type = type;
    e.tfinger.touchId = 1;
    e.tfinger.fingerId = finger;
    e.tfinger.x = x;
    e.tfinger.y = y;
    e.tfinger.pressure = 1;
    SDL_PushEvent(&e);
  }
  // The mouse events SDL adds for a touch, or a real mouse's when which is 0.
  static void MouseButton(Uint32 type, Uint32 which, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.which = which;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  }
  static void MouseMotion(Uint32 which, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.which = which;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
  }

  std::vector<TPlatformEvent> Drain() {
    std::vector<TPlatformEvent> events;
    TPlatformEvent event;
    while (Window->WaitEvent(event, 0)) events.push_back(event);
    return events;
  }

  std::unique_ptr<TSdlWindow> Window;
};

TEST_F(SdlTouch, ATapIsOneClickWhereTheFingerWasAndSecondFingersDoNothing) {
  // A tap at the middle of the window, with a second finger touching and lifting meanwhile.
  MouseMotion(SDL_TOUCH_MOUSEID, 400, 300);
  Finger(SDL_FINGERDOWN, 7, 0.25F, 0.5F);
  MouseButton(SDL_MOUSEBUTTONDOWN, SDL_TOUCH_MOUSEID, 200, 300);
  Finger(SDL_FINGERDOWN, 8, 0.9F, 0.9F);
  Finger(SDL_FINGERUP, 8, 0.9F, 0.9F);
  Finger(SDL_FINGERUP, 7, 0.25F, 0.5F);
  MouseButton(SDL_MOUSEBUTTONUP, SDL_TOUCH_MOUSEID, 200, 300);
  const std::vector<TPlatformEvent> events = Drain();

  using K = TPlatformEvent::TKind;
  const auto count = [&](K kind) {
    return std::count_if(events.begin(), events.end(), [&](const TPlatformEvent& e) { return e.Kind == kind; });
  };
  ASSERT_EQ(count(K::MouseDown), 1);
  ASSERT_EQ(count(K::MouseUp), 1);
  const auto down = std::find_if(events.begin(), events.end(), [](const TPlatformEvent& e) { return e.Kind == K::MouseDown; });
  EXPECT_EQ(down->X, 200);
  EXPECT_EQ(down->Y, 300);
  // The pointer is at the finger before the button acts, as menus test the last move's place.
  ASSERT_NE(down, events.begin());
  EXPECT_EQ((down - 1)->Kind, K::MouseMove);
  EXPECT_EQ((down - 1)->X, 200);

  // On the battlefield that tap is one shot; a real mouse's click still counts as well.
  Window.reset();  // the game below runs headless
  TGameHarness game;
  ASSERT_TRUE(game.StartGameAndSkipIntro());
  game.Form().MarkDeadAll<TTerror>();
  game.ClearSounds();
  for (const TPlatformEvent& e : events) game.Application().Dispatch(e);
  const auto shots = [&] { return std::count(game.Sounds().begin(), game.Sounds().end(), "1"); };
  EXPECT_EQ(shots(), 1);
}

TEST_F(SdlTouch, AMouseIsNotMistakenForATouch) {
  MouseMotion(0, 120, 80);
  MouseButton(SDL_MOUSEBUTTONDOWN, 0, 120, 80);
  MouseButton(SDL_MOUSEBUTTONUP, 0, 120, 80);
  const std::vector<TPlatformEvent> events = Drain();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].Kind, TPlatformEvent::TKind::MouseDown);
  EXPECT_EQ(events[1].X, 120);
}

}  // namespace
