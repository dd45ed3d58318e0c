#include "app/MainForm.h"

void TMainForm::SubmitScore() {}
