#include "app/MainForm.h"

void TMainForm::DrawScoreCentred(double, double, const std::string&) {}
void TMainForm::GamegoEditClick() {}
void TMainForm::GameEnterNameClick() {}
void TMainForm::GameSendResultClick() {}
