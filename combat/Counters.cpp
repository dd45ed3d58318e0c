#include "app/MainForm.h"

void TMainForm::RebuildCounters() {}
