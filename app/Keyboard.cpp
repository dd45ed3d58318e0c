#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"

namespace {

// The editing keys of a text line: Backspace removes the last letter, a letter key appends its
// capital while the line is shorter than ten (a longer text loaded from the settings stays).
void EditLine(TEdit& edit, uint16_t key) {
  if (key == VK_BACK && !edit.Text.empty()) edit.Text.pop_back();
  if (key >= VK_A && key <= VK_Z && edit.Text.size() < 10) edit.Text += static_cast<char>(key);
}

}  // namespace

void TMainForm::FormKeyDown(uint16_t key, TShiftState shift) {
  const bool escape = key == VK_ESCAPE;
  const bool enter = key == VK_RETURN;
  switch (CurrentScreen) {
    case scSplash:
      if (escape || enter) {
        SwitchScreen(scMainMenu);
        Timer1->SetEnabled(false);
      }
      break;
    case scMainMenu:
      if (escape) SwitchScreen(scExitConfirm);
      break;
    case scGame:
      if (key == VK_P && !GameMainExit.Checked && !LevelIntro) GamePauseClick();
      if (escape && !GamePause.Checked && !LevelIntro) GameMainExitClick();
      break;
    case scHelp:
    case scExitConfirm:
      if (escape) SwitchScreen(scMainMenu);
      break;
    case scOptions:
      if (escape) {
        SwitchScreen(scMainMenu);  // the options teardown ends editing and saves the settings
        break;
      }
      if (GamegoEdit.Checked) EditLine(Edit1, key);
      break;
    case scComfort:
      if (escape) SwitchScreen(scOptions);  // the teardown saves the comfort settings
      break;
    case scHighScores:
      if (escape && !GameClearHighScore.Checked) SwitchScreen(scMainMenu);
      break;
    case scGameOver: {
      const bool entersTable = Score > HighScores[9].Score;
      if ((escape || enter) && !entersTable && !Timer1->Enabled()) {
        Sleep(200);
        SwitchScreen(scMainMenu);
        break;
      }
      if (GamegoEdit.Checked) EditLine(Edit2, key);
      // The name entered is the copy the last frame took, not a letter typed just now.
      if (enter && !shift.Alt && !PlayerName.empty() && entersTable) {
        InsertHighScore(PlayerName, Score);
        if (GameSendResult.Checked) SubmitScore();
        SwitchScreen(scHighScores);
      }
      break;
    }
    default:
      break;
  }
  if (enter && shift.Alt) GameFullScreenClick();
}
