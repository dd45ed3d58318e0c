#include <cstdint>
#include <string>

#include "app/MainForm.h"
#include "app/Timer.h"
#include "scores/ScoreService.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"

namespace {

// One row of a hover table: the rectangle and the highlight it shows.
struct THoverRow {
  const TButtonRect& Rect;
  void (*Show)(TMainForm&);
};

template <class T>
void Show(TMainForm& form) {
  form.Spawn<T>();
}

constexpr THoverRow MainMenuHover[] = {
    {ButtonRects::StartGame, Show<Start_Game>},
    {ButtonRects::Help, Show<Help>},
    {ButtonRects::Options, Show<Options>},
    {ButtonRects::HighScore, Show<High_Score>},
    {ButtonRects::VisitWebSite, Show<Visit_Web_Site>},
    {ButtonRects::Exit, Show<Exit_>},
};
constexpr THoverRow MainExitHover[] = {
    {ButtonRects::MainExitYes, Show<TMainExit_Yes>},
    {ButtonRects::MainExitNo, Show<TMainExit_No>},
};
constexpr THoverRow HelpHover[] = {
    {ButtonRects::HelpUpHover, Show<HelpGame_Up>},
    {ButtonRects::HelpBack, Show<HelpGame_Back>},
    {ButtonRects::HelpDownHover, Show<HelpGame_Down>},
};
void ShowOptionsMore(TMainForm& form) { form.Spawn<TPlateHighlight>("Options_more"); }

constexpr THoverRow OptionsHover[] = {
    {ButtonRects::OptionsBackHover, Show<Options_Back>},
    {ButtonRects::OptionsMore, ShowOptionsMore},
};
constexpr THoverRow HighScoreHover[] = {
    {ButtonRects::HighScoreClear, Show<HighScore_Clear>},
    {ButtonRects::HighScoreBackHover, Show<HighScore_Back>},
    {ButtonRects::HighScoreView, Show<HighScore_View>},
};
constexpr THoverRow ClearQuestionHover[] = {
    {ButtonRects::ClearYes, Show<TClearHighScore_Yes>},
    {ButtonRects::ClearNo, Show<TClearHighScore_No>},
};
constexpr THoverRow ExitConfirmHover[] = {
    {ButtonRects::ExitGameYes, Show<ExitGame_Yes>},
    {ButtonRects::ExitGameNo, Show<ExitGame_No>},
};

// Highlights the first row under the pointer; the tick sounds only when the pointer comes to a
// button from empty space, not when it slides from one button onto the next.
template <std::size_t N>
void Hover(TMainForm& form, const THoverRow (&rows)[N]) {
  for (const THoverRow& row : rows) {
    if (!row.Rect.Contains(form.PointerX, form.PointerY)) continue;
    row.Show(form);
    if (form.HoverSoundArmed) {
      form.StopSound("button_up");
      form.PlaySound("button_up");
    }
    form.HoverSoundArmed = false;
    return;
  }
  form.HoverSoundArmed = true;
}

}  // namespace

void TMainForm::DisplayMouseMove(TShiftState, int32_t x, int32_t y) {
  // While paused the pause word stays and the stored pointer freezes.
  if (!GamePause.Checked) {
    MarkDeadAll<TMenuGame>();
    PointerX = x;
    PointerY = y;
  }
  switch (CurrentScreen) {
    case scMainMenu:
      Hover(*this, MainMenuHover);
      break;
    case scGame:
      if (GameMainExit.Checked) {
        Hover(*this, MainExitHover);
      } else if (TriggerHeld && !SingleShotMode && !GamePause.Checked && !LevelIntro) {
        ResolveShot(x, y);  // burst fire while the left button is held
      }
      break;
    case scHelp:
      Hover(*this, HelpHover);
      break;
    case scOptions:
      Hover(*this, OptionsHover);
      break;
    case scComfort:
      ComfortHover();
      break;
    case scHighScores:
      if (GameClearHighScore.Checked)
        Hover(*this, ClearQuestionHover);
      else
        Hover(*this, HighScoreHover);
      break;
    case scExitConfirm:
      Hover(*this, ExitConfirmHover);
      break;
    default:
      break;
  }
}

void TMainForm::DisplayMouseDown(TMouseButton button, TShiftState, int32_t x, int32_t y) {
  // Menu clicks are tested where the last move left the pointer, not at the click's own point.
  const int32_t px = PointerX;
  const int32_t py = PointerY;
  const bool left = button == TMouseButton::mbLeft;

  if (CurrentScreen == scGame) {
    if (!GamePause.Checked && !GameMainExit.Checked && !LevelIntro) {
      if (left) TriggerHeld = true;
      ResolveShot(x, y);
    }
    if (GameMainExit.Checked) {
      if (ButtonRects::MainExitYes.Contains(px, py)) {
        GameMainExitClick();
        SwitchScreen(scMainMenu);
        PlaySound("button_down");
      } else if (ButtonRects::MainExitNo.Contains(px, py)) {
        GameMainExitClick();
        PlaySound("button_down");
      }
    }
    return;
  }

  if (CurrentScreen == scGameOver) {
    if (Score > HighScores[9].Score) {
      if (!Edit2.Text.empty()) GamegoEdit.Checked = false;
      if (ButtonRects::NameLine.Contains(px, py)) {
        GamegoEditClick();
        PlaySound("button_down");
      } else if (ButtonRects::SendSwitch.Contains(px, py)) {
        GameSendResultClick();
        PlaySound("button_down");
      }
    } else if (!Timer1->Enabled()) {
      Sleep(200);
      SwitchScreen(scMainMenu);
    }
    return;
  }

  if (!left) return;

  switch (CurrentScreen) {
    case scSplash:
      SwitchScreen(scMainMenu);
      Timer1->SetEnabled(false);
      break;

    case scMainMenu:
      if (ButtonRects::StartGame.Contains(px, py)) {
        SwitchScreen(scGame);
      } else if (ButtonRects::Help.Contains(px, py)) {
        SwitchScreen(scHelp);
      } else if (ButtonRects::Options.Contains(px, py)) {
        SwitchScreen(scOptions);
      } else if (ButtonRects::HighScore.Contains(px, py)) {
        SwitchScreen(scHighScores);
      } else if (ButtonRects::VisitWebSite.Contains(px, py)) {
        GoWeb(WebSiteAddress());
      } else if (ButtonRects::Exit.Contains(px, py)) {
        SwitchScreen(scExitConfirm);
      } else {
        break;
      }
      PlaySound("button_down");
      break;

    case scHelp:
      if (ButtonRects::HelpUpClick.Contains(px, py)) {
        if (HelpPage <= 1) break;
        --HelpPage;
        SwitchScreen(scHelp);
      } else if (ButtonRects::HelpBack.Contains(px, py)) {
        SwitchScreen(scMainMenu);
      } else if (ButtonRects::HelpDownClick.Contains(px, py)) {
        if (HelpPage >= 4) break;
        ++HelpPage;
        SwitchScreen(scHelp);
      } else {
        break;
      }
      PlaySound("button_down");
      break;

    case scOptions:
      if (!Edit1.Text.empty()) GamegoEdit.Checked = false;
      // Each half of a row acts only in the state it changes, so one click toggles at most once.
      if (ButtonRects::OptionsWindowMode.Contains(px, py) && GameFullScreen.Checked) {
        GameFullScreenClick();
      } else if (ButtonRects::OptionsFullScreen.Contains(px, py) && !GameFullScreen.Checked) {
        GameFullScreenClick();
      } else if (ButtonRects::OptionsMusicOn.Contains(px, py) && !GameMusic.Checked) {
        GameMusicClick();
        PlaySound("button_down");
        PlayMusic("1");
        break;
      } else if (ButtonRects::OptionsMusicOff.Contains(px, py) && GameMusic.Checked) {
        GameMusicClick();
        PlaySound("button_down");
        StopMusic();
        break;
      } else if (ButtonRects::OptionsSoundOn.Contains(px, py) && !GameSound.Checked) {
        GameSoundClick();
      } else if (ButtonRects::OptionsSoundOff.Contains(px, py) && GameSound.Checked) {
        GameSoundClick();
      } else if (ButtonRects::OptionsTextLine.Contains(px, py)) {
        GamegoEditClick();
      } else if (ButtonRects::OptionsBackClick.Contains(px, py)) {
        SwitchScreen(scMainMenu);
      } else if (ButtonRects::OptionsMore.Contains(px, py)) {
        SwitchScreen(scComfort);
      } else {
        break;
      }
      PlaySound("button_down");
      break;

    case scHighScores:
      if (GameClearHighScore.Checked) {
        if (ButtonRects::ClearYes.Contains(px, py)) {
          ResetHighScores();
          GameClearHighScoreClick();
        } else if (ButtonRects::ClearNo.Contains(px, py)) {
          GameClearHighScoreClick();
        } else {
          break;
        }
      } else if (ButtonRects::HighScoreClear.Contains(px, py)) {
        GameClearHighScoreClick();
      } else if (ButtonRects::HighScoreBackClick.Contains(px, py)) {
        SwitchScreen(scMainMenu);
      } else if (ButtonRects::HighScoreView.Contains(px, py)) {
        GoWeb(OnlineHighScoresAddress());
      } else {
        break;
      }
      PlaySound("button_down");
      break;

    case scComfort:
      ComfortMouseDown();
      break;

    case scExitConfirm:
      if (ButtonRects::ExitGameYes.Contains(px, py)) {
        PlaySound("button_down");
        Terminate();
      } else if (ButtonRects::ExitGameNo.Contains(px, py)) {
        PlaySound("button_down");
        SwitchScreen(scMainMenu);
      }
      break;

    default:
      break;
  }
}

void TMainForm::DisplayMouseUp(TMouseButton, TShiftState, int32_t, int32_t) { TriggerHeld = false; }

void TMainForm::GoWeb(const std::string& url) {
  if (FPlatform.Desktop) FPlatform.Desktop->Open(url);
}
