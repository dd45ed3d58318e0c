#include "app/FrameTimer.h"
#include "app/MainForm.h"
#include "ui/PadPointer.h"

namespace {

// The right trigger is a button past half its travel and lets go below a quarter, so a finger
// resting near the threshold does not chatter.
constexpr int TriggerPress = 16384;
constexpr int TriggerRelease = 8192;

}  // namespace

void TMainForm::PadAxisMoved(TPadAxis axis, int value) {
  Pad.SetAxis(axis, value);
  if (axis != TPadAxis::TriggerRight) return;
  if (!PadTriggerPressed && value >= TriggerPress) {
    PadTriggerPressed = true;
    if (PadClickHolds++ == 0) DisplayMouseDown(TMouseButton::mbLeft, {}, PointerX, PointerY);
  } else if (PadTriggerPressed && value < TriggerRelease) {
    PadTriggerPressed = false;
    if (PadClickHolds > 0 && --PadClickHolds == 0) DisplayMouseUp(TMouseButton::mbLeft, {}, PointerX, PointerY);
  }
}

void TMainForm::PadButtonDown(TPadButton button) {
  // The name panel of the game-over screen: the d-pad spells the name and A confirms it, as
  // Enter does.
  if (CurrentScreen == scGameOver && GameEnterName.Checked) {
    if (button == TPadButton::A) {
      FormKeyDown(VK_RETURN, {});
      return;
    }
    if (PadEditName(Edit2.Text, button)) {
      GamegoEdit.Checked = true;
      return;
    }
  }
  switch (PadActionOf(button)) {
    case TPadAction::Click:
      if (PadClickHolds++ == 0) DisplayMouseDown(TMouseButton::mbLeft, {}, PointerX, PointerY);
      break;
    case TPadAction::Escape:
      FormKeyDown(VK_ESCAPE, {});
      break;
    case TPadAction::Pause:
      FormKeyDown(VK_P, {});
      break;
    case TPadAction::None:
      break;
  }
}

void TMainForm::PadButtonUp(TPadButton button) {
  if (PadActionOf(button) != TPadAction::Click) return;
  if (PadClickHolds > 0 && --PadClickHolds == 0) DisplayMouseUp(TMouseButton::mbLeft, {}, PointerX, PointerY);
}

void TMainForm::PadRemoved() {
  Pad.Release();
  PadMoving = false;
  PadTriggerPressed = false;
  if (PadClickHolds > 0) {
    PadClickHolds = 0;
    DisplayMouseUp(TMouseButton::mbLeft, {}, PointerX, PointerY);
  }
}

void TMainForm::PadFrame() {
  if (!Pad.Deflected()) {
    PadMoving = false;
    return;
  }
  const uint32_t now = Milliseconds();
  // The first frame of a tilt moves by one frame's time, so the sight answers at once.
  const uint32_t elapsed = PadMoving ? now - PadLastStepMs : static_cast<uint32_t>(FrameTimer->Interval());
  PadMoving = true;
  PadLastStepMs = now;
  int32_t x = PointerX;
  int32_t y = PointerY;
  if (Pad.Step(elapsed, Comfort.PadSpeed, x, y)) DisplayMouseMove({}, x, y);
}
