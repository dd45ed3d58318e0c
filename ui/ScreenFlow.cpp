#include "app/MainForm.h"

void TMainForm::SwitchScreen(uint8_t screen) { CurrentScreen = screen; }

void TMainForm::TearDownScreen() {}

void TMainForm::ScreenFrame() {}

void TMainForm::DrawLetterLine(const std::string&, double, double, double) {}

void TMainForm::DrawNumberLine(int32_t, double, double, const std::string&, double) {}

std::string DigitsOf(int32_t n) { return std::to_string(n); }
