#include "app/MainForm.h"

void TMainForm::ResolveShot(int32_t /*x*/, int32_t /*y*/) {}
