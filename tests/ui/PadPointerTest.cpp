#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ui/PadPointer.h"

namespace {

constexpr uint32_t FrameMs = 30;

// Tilts the left stick to a fraction of its travel along x.
TPadPointer TiltedX(double fraction) {
  TPadPointer pad;
  pad.SetAxis(TPadAxis::LeftX, static_cast<int>(std::lround(fraction * 32767)));
  return pad;
}

// Frames the pointer needs to go from x 0 to the right edge; -1 when it has not got there in 10 s.
int FramesToCross(TPadPointer& pad, int speedPercent = 100) {
  int32_t x = 0;
  int32_t y = 300;
  for (int frame = 1; frame <= 333; ++frame) {
    pad.Step(FrameMs, speedPercent, x, y);
    if (x >= 799) return frame;
  }
  return -1;
}

TEST(PadPointer, TheDeadZoneHoldsTheStickAtRestWhateverItsDirection) {
  struct Case {
    int X, Y;
    bool Moves;
  };
  const Case cases[] = {
      {0, 0, false},          {4000, 0, false},      {0, -5500, false},      {-3800, 3800, false},
      {6500, 0, true},        {0, -6500, true},      {-5000, 5000, true},    {32767, 32767, true},
      {-32768, 0, true},
  };
  for (const Case& c : cases) {
    TPadPointer pad;
    pad.SetAxis(TPadAxis::LeftX, c.X);
    pad.SetAxis(TPadAxis::LeftY, c.Y);
    EXPECT_EQ(pad.Deflected(), c.Moves) << c.X << ", " << c.Y;
  }
}

TEST(PadPointer, FullTiltCrossesTheFieldInAboutASecond) {
  TPadPointer pad = TiltedX(1.0);
  const int frames = FramesToCross(pad);
  EXPECT_GE(frames * FrameMs, 900u);
  EXPECT_LE(frames * FrameMs, 1150u);
}

TEST(PadPointer, SmallTiltCreepsOnePixelAtATime) {
  // Just past the dead zone: the pointer moves, but never more than one pixel in a frame, so a
  // player can put the sight on a single pixel.
  TPadPointer pad = TiltedX(0.25);
  int32_t x = 400;
  int32_t y = 300;
  int moves = 0;
  for (int frame = 0; frame < 100; ++frame) {
    const int32_t before = x;
    if (pad.Step(FrameMs, 100, x, y)) ++moves;
    EXPECT_LE(x - before, 1);
  }
  EXPECT_GT(moves, 0);
  EXPECT_EQ(y, 300);
}

TEST(PadPointer, TheLeftTriggerAndThePadSpeedScaleTheSpeed) {
  TPadPointer plain = TiltedX(1.0);
  TPadPointer boosted = TiltedX(1.0);
  boosted.SetAxis(TPadAxis::TriggerLeft, 32767);
  const int normal = FramesToCross(plain);
  EXPECT_LT(FramesToCross(boosted), normal / 2);
  TPadPointer slow = TiltedX(1.0);
  EXPECT_NEAR(FramesToCross(slow, 50), normal * 2, 2);
}

TEST(PadPointer, EitherStickMovesThePointerAndTheStrongerOneWins) {
  TPadPointer pad;
  pad.SetAxis(TPadAxis::RightY, 32767);
  int32_t x = 400;
  int32_t y = 300;
  ASSERT_TRUE(pad.Step(FrameMs, 100, x, y));
  EXPECT_EQ(x, 400);
  EXPECT_GT(y, 300);
  // The left stick tilted a little to the left does not stop the right one pushing down.
  pad.SetAxis(TPadAxis::LeftX, -9000);
  const int32_t lastY = y;
  pad.Step(FrameMs, 100, x, y);
  EXPECT_GT(y, lastY);
  EXPECT_EQ(x, 400);
}

TEST(PadPointer, AMouseMoveInBetweenIsWhereThePadCarriesOnFrom) {
  TPadPointer pad = TiltedX(1.0);
  int32_t x = 100;
  int32_t y = 100;
  pad.Step(FrameMs, 100, x, y);
  const int32_t stride = x - 100;
  ASSERT_GT(stride, 0);
  // The mouse takes the pointer elsewhere; the pad's own fraction of a pixel does not pull it back.
  x = 600;
  y = 450;
  pad.Step(FrameMs, 100, x, y);
  EXPECT_NEAR(x, 600 + stride, 1);
  EXPECT_EQ(y, 450);
}

TEST(PadPointer, ThePointerStaysOnTheSurfaceAndAStalledFrameDoesNotFlingIt) {
  TPadPointer pad;
  pad.SetAxis(TPadAxis::LeftX, -32768);
  pad.SetAxis(TPadAxis::LeftY, -32768);
  int32_t x = 5;
  int32_t y = 5;
  pad.Step(FrameMs, 200, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  TPadPointer right = TiltedX(1.0);
  x = 100;
  right.Step(5000, 100, x, y);
  EXPECT_LE(x, 100 + static_cast<int32_t>(TPadPointer::FullTiltSpeed * TPadPointer::MaxStepMs / 1000) + 1);
}

TEST(PadPointer, ButtonsStandForTheMouseButtonAndTheKeys) {
  EXPECT_EQ(PadActionOf(TPadButton::A), TPadAction::Click);
  EXPECT_EQ(PadActionOf(TPadButton::B), TPadAction::Escape);
  EXPECT_EQ(PadActionOf(TPadButton::Back), TPadAction::Escape);
  EXPECT_EQ(PadActionOf(TPadButton::Start), TPadAction::Pause);
  EXPECT_EQ(PadActionOf(TPadButton::X), TPadAction::None);
}

TEST(PadPointer, TheDpadSpellsAName) {
  using B = TPadButton;
  struct Case {
    std::string Before;
    B Button;
    std::string After;
    bool Changed;
  };
  const Case cases[] = {
      {"", B::DpadUp, "A", true},           {"", B::DpadDown, "Z", true},
      {"AB", B::DpadUp, "AC", true},        {"AZ", B::DpadUp, "AA", true},
      {"AA", B::DpadDown, "AZ", true},      {"AB", B::DpadRight, "ABA", true},
      {"ABCDEFGHIJ", B::DpadRight, "ABCDEFGHIJ", false},
      {"AB", B::DpadLeft, "A", true},       {"", B::DpadLeft, "", false},
      {"A7", B::DpadUp, "AA", true},        {"AB", B::A, "AB", false},
  };
  for (const Case& c : cases) {
    std::string name = c.Before;
    EXPECT_EQ(PadEditName(name, c.Button), c.Changed) << c.Before;
    EXPECT_EQ(name, c.After) << c.Before;
  }
}

}  // namespace
