#include "app/MainForm.h"

void TMainForm::DisplayMouseMove(TShiftState, int32_t x, int32_t y) {
  PointerX = x;
  PointerY = y;
}

void TMainForm::DisplayMouseDown(TMouseButton, TShiftState, int32_t, int32_t) {}

void TMainForm::DisplayMouseUp(TMouseButton, TShiftState, int32_t, int32_t) {}

void TMainForm::GoWeb(const std::string&) {}
