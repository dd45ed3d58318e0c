#include "app/MainForm.h"

void TMainForm::BuildScene(int32_t /*n*/) {}
