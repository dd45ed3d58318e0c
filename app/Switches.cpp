#include "app/MainForm.h"

void TMainForm::GamePauseClick() { GamePause.Checked = !GamePause.Checked; }

void TMainForm::GameFullScreenClick() {}

void TMainForm::GameSoundClick() { GameSound.Checked = !GameSound.Checked; }

void TMainForm::GameMusicClick() { GameMusic.Checked = !GameMusic.Checked; }

void TMainForm::GameMainExitClick() {}
