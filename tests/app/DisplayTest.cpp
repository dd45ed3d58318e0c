#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// Writes down, in one list, what the display told its listener and which form event it ran.
struct DisplayFixture : ::testing::Test, TDisplayListener {
  std::vector<std::string> Log;  // outlives the display, whose end still reports
  THeadlessClock Clock;
  THeadlessWindow Window{Clock};
  TDisplay Display{Window};

  void SetUp() override {
    Display.OnInitializing = [this] { Log.push_back(std::string("Initializing canDraw=") + CanDraw()); };
    Display.OnInitialize = [this] { Log.push_back(std::string("Initialize canDraw=") + CanDraw()); };
    Display.OnFinalize = [this] { Log.push_back("Finalize"); };
    Display.RegisterListener(*this);
  }
  void TearDown() override { Display.UnregisterListener(*this); }
  const char* CanDraw() const { return Display.CanDraw() ? "1" : "0"; }

  void DisplayNotify(TDisplay& display, TDisplayNotification notification) override {
    EXPECT_EQ(&display, &Display);
    static const char* const Names[] = {"dnDestroying", "dnInitialize", "dnFinalize", "dnRestore"};
    Log.push_back(Names[static_cast<int>(notification)]);
  }
};

TEST_F(DisplayFixture, StartAndStopRunTheFormEventsAroundTheListeners) {
  EXPECT_FALSE(Display.CanDraw());
  Display.Initialize();
  EXPECT_TRUE(Display.CanDraw());
  EXPECT_EQ(Display.Surface().Width(), 800);
  EXPECT_EQ(Display.Surface().Height(), 600);
  Display.Finalize();
  EXPECT_FALSE(Display.CanDraw());
  EXPECT_EQ(Log, (std::vector<std::string>{"Initializing canDraw=0", "dnInitialize", "dnRestore",
                                           "Initialize canDraw=1", "Finalize", "dnFinalize"}));
}

TEST_F(DisplayFixture, StartingARunningDisplayStopsItFirst) {
  Display.Initialize();
  Log.clear();
  Display.SetFullScreen(true);
  Display.Initialize();
  EXPECT_TRUE(Window.FullScreen());
  EXPECT_EQ(Log, (std::vector<std::string>{"Finalize", "dnFinalize", "Initializing canDraw=0", "dnInitialize",
                                           "dnRestore", "Initialize canDraw=1"}));
  Log.clear();
  Display.Finalize();
  Display.Finalize();  // a stopped display stops once
  EXPECT_EQ(Log, (std::vector<std::string>{"Finalize", "dnFinalize"}));
}

TEST_F(DisplayFixture, FlipShowsTheBackSurfaceOnlyWhileStarted) {
  Window.KeepFrames = true;
  Display.Flip();
  EXPECT_EQ(Window.PresentCount(), 0);
  Display.Initialize();
  Display.Surface().SetPixel(799, 599, 0xF81F);
  Display.Flip();
  ASSERT_NE(Window.LastFrame(), nullptr);
  EXPECT_EQ(Window.LastFrame()->Pixel(799, 599), 0xF81F);
  EXPECT_EQ(Window.LastFrame()->Pixel(0, 0), 0) << "a fresh start clears the surface";
  Display.Finalize();
  Display.Flip();
  EXPECT_EQ(Window.PresentCount(), 1);
}

TEST_F(DisplayFixture, AListenerMayLeaveWhileBeingToldAndHearsNothingAfter) {
  struct TLeaving : TDisplayListener {
    int Heard = 0;
    void DisplayNotify(TDisplay& display, TDisplayNotification) override {
      ++Heard;
      display.UnregisterListener(*this);
    }
  } leaving;
  Display.RegisterListener(leaving);
  Display.RegisterListener(leaving);  // registered once only
  Display.Initialize();
  EXPECT_EQ(leaving.Heard, 1);
  EXPECT_EQ(Log.size(), 4u) << "the others still hear everything";
}

}  // namespace
