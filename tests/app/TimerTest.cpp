#include <gtest/gtest.h>

#include <cstdint>

#include "app/FrameTimer.h"
#include "app/Timer.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

struct TimerFixture : ::testing::Test {
  THeadlessClock Clock{5000};
  TTimer Timer{Clock, 100};
  int Fired = 0;

  void SetUp() override { Timer.OnTimer = [this] { ++Fired; }; }
  // Polls once per millisecond, like a busy message loop would.
  void Pass(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
      Clock.Advance(1);
      Timer.Poll();
    }
  }
};

TEST_F(TimerFixture, EnablingStartsTheIntervalFromThatMoment) {
  Pass(250);  // disabled: nothing counts
  EXPECT_EQ(Fired, 0);
  Timer.SetEnabled(true);
  Pass(99);
  EXPECT_EQ(Fired, 0);
  Pass(1);
  EXPECT_EQ(Fired, 1);
  Pass(100);
  EXPECT_EQ(Fired, 2) << "fires again every interval until disabled";
  Timer.SetEnabled(false);
  Pass(500);
  EXPECT_EQ(Fired, 2);
}

TEST_F(TimerFixture, EnablingAnEnabledTimerDoesNotRestartIt) {
  Timer.SetEnabled(true);
  Pass(60);
  Timer.SetEnabled(true);
  Pass(40);
  EXPECT_EQ(Fired, 1);
}

// The level clock's hold: a suspended timer goes on where it stopped, however long it stood
// still; stopping it outright forgets that, so the next start is a whole interval.
TEST_F(TimerFixture, ResumeContinuesTheIntervalSuspendLeftAndSetEnabledForgetsIt) {
  Timer.SetEnabled(true);
  Pass(60);
  Timer.Suspend();
  EXPECT_FALSE(Timer.Enabled());
  Pass(1000);
  EXPECT_EQ(Fired, 0);
  Timer.Suspend();  // suspending again keeps what was kept
  Timer.Resume();
  Pass(39);
  EXPECT_EQ(Fired, 0);
  Pass(1);
  EXPECT_EQ(Fired, 1);

  Pass(70);
  Timer.Suspend();
  Timer.SetEnabled(false);
  Timer.Resume();
  Pass(99);
  EXPECT_EQ(Fired, 1) << "a stopped timer resumes with a whole interval";
  Pass(1);
  EXPECT_EQ(Fired, 2);
}

TEST_F(TimerFixture, SettingTheIntervalRestartsAnEnabledTimer) {
  Timer.SetEnabled(true);
  Pass(90);
  Timer.SetInterval(800);
  Pass(799);
  EXPECT_EQ(Fired, 0);
  Pass(1);
  EXPECT_EQ(Fired, 1);
}

TEST_F(TimerFixture, AnIntervalSetWhileDisabledCountsFromTheNextEnable) {
  Timer.SetInterval(300);
  Pass(1000);
  Timer.SetEnabled(true);
  Pass(299);
  EXPECT_EQ(Fired, 0);
  Pass(1);
  EXPECT_EQ(Fired, 1);
}

TEST_F(TimerFixture, ALatePollFiresOnceAndTheNextIntervalCountsFromThen) {
  Timer.SetEnabled(true);
  Clock.Advance(1000);  // ten intervals without a poll
  EXPECT_TRUE(Timer.Poll());
  EXPECT_FALSE(Timer.Poll());
  EXPECT_EQ(Fired, 1);
  Pass(99);
  EXPECT_EQ(Fired, 1);
  Pass(1);
  EXPECT_EQ(Fired, 2);
}

TEST_F(TimerFixture, AHandlerThatRestartsItsTimerGetsAFullInterval) {
  Timer.OnTimer = [this] {
    ++Fired;
    Timer.SetEnabled(false);
    Timer.SetEnabled(true);
    Timer.SetInterval(500);
  };
  Timer.SetEnabled(true);
  Pass(100);
  EXPECT_EQ(Fired, 1);
  Pass(499);
  EXPECT_EQ(Fired, 1);
  Pass(1);
  EXPECT_EQ(Fired, 2);
}

TEST_F(TimerFixture, ZeroIntervalNeverFires) {
  Timer.SetInterval(0);
  Timer.SetEnabled(true);
  Pass(50);
  EXPECT_EQ(Fired, 0);
  EXPECT_FALSE(Timer.Armed());
}

TEST_F(TimerFixture, TimeToNextCountsDownAcrossTheClockWrap) {
  Clock.Set(UINT32_MAX - 40);
  Timer.SetEnabled(true);
  EXPECT_EQ(Timer.TimeToNext(), 100u);
  Pass(60);  // the clock wraps past zero here
  EXPECT_EQ(Timer.TimeToNext(), 40u);
  Pass(40);
  EXPECT_EQ(Fired, 1);
}

struct FrameTimerFixture : ::testing::Test {
  THeadlessClock Clock{0};
  TFrameTimer FrameTimer{Clock};
  std::vector<int32_t> Lags;

  void SetUp() override {
    FrameTimer.SetInterval(30);
    FrameTimer.OnTimer = [this](int32_t lag) { Lags.push_back(lag); };
  }
};

TEST_F(FrameTimerFixture, GatesFramesAtTheIntervalFromTheMomentItIsEnabled) {
  Clock.Set(1000);
  FrameTimer.SetEnabled(true);
  for (int ms = 0; ms < 300; ++ms) {
    Clock.Advance(1);
    FrameTimer.Poll();
  }
  EXPECT_EQ(Lags, std::vector<int32_t>(10, 1)) << "at most one frame per 30 ms";
}

TEST_F(FrameTimerFixture, DisabledTimerNeverTicks) {
  Clock.Advance(500);
  EXPECT_FALSE(FrameTimer.Poll());
  EXPECT_TRUE(Lags.empty());
}

TEST_F(FrameTimerFixture, LagCountIsTheWholeIntervalsThatPassed) {
  struct Case {
    uint32_t Elapsed;
    int32_t Lag;
  };
  for (const Case& c : {Case{30, 1}, Case{59, 1}, Case{60, 2}, Case{95, 3}, Case{3000, 100}}) {
    Lags.clear();
    FrameTimer.SetEnabled(false);
    FrameTimer.SetEnabled(true);
    Clock.Advance(c.Elapsed);
    EXPECT_TRUE(FrameTimer.Poll());
    EXPECT_EQ(Lags, std::vector<int32_t>{c.Lag}) << "after " << c.Elapsed << " ms";
  }
}

TEST_F(FrameTimerFixture, TicksAcrossTheWrapOfTheClock) {
  Clock.Set(UINT32_MAX - 9);
  FrameTimer.SetEnabled(true);
  Clock.Advance(29);
  EXPECT_FALSE(FrameTimer.Poll());
  Clock.Advance(1);  // 30 ms later, the clock reads 20
  EXPECT_TRUE(FrameTimer.Poll());
  Clock.Advance(65);
  EXPECT_TRUE(FrameTimer.Poll());
  EXPECT_EQ(Lags, (std::vector<int32_t>{1, 2}));
}

TEST_F(FrameTimerFixture, NegativeIntervalCountsAsZeroAndDividesByOne) {
  FrameTimer.SetInterval(-5);
  FrameTimer.SetEnabled(true);
  EXPECT_TRUE(FrameTimer.Poll()) << "no time needs to pass";
  Clock.Advance(7);
  EXPECT_TRUE(FrameTimer.Poll());
  EXPECT_EQ(Lags, (std::vector<int32_t>{1, 7}));
}

TEST_F(FrameTimerFixture, FocusEventsReachTheirHandlersWhetherOrNotTheTimerRuns) {
  int activated = 0;
  int deactivated = 0;
  FrameTimer.OnActivate = [&] { ++activated; };
  FrameTimer.OnDeactivate = [&] { ++deactivated; };
  FrameTimer.Deactivate();
  FrameTimer.SetEnabled(true);
  FrameTimer.Activate();
  EXPECT_EQ(activated, 1);
  EXPECT_EQ(deactivated, 1);
}

}  // namespace
