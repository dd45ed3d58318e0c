#include "app/MainForm.h"

void TMainForm::FormKeyDown(uint16_t, TShiftState) {}
