#include "app/MainForm.h"

void TMainForm::StartGame() {}
void TMainForm::GameFrame() {}
void TMainForm::AdvanceLevel() {}
void TMainForm::TimerLevelTimer() {}
