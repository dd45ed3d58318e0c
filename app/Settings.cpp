#include "app/MainForm.h"

void TMainForm::LoadSettings() {}
void TMainForm::SaveSettings() {}
