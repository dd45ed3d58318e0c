#include "app/MainForm.h"

void TMainForm::ResetHighScores() {}
void TMainForm::GameClearHighScoreClick() {}
void TMainForm::InsertHighScore(const std::string&, int32_t) {}
