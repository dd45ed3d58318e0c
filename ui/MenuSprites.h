#pragma once

#include <cstdint>

#include "engine/ImageSprite.h"

class TMainForm;

// Where a menu sprite goes: at the top-left corner its picture has in the shared highlight table
// (ui/ButtonRects.h), or centred on the 800 x 600 surface (the dialog panels).
enum class TMenuPlace { Highlight, Centred };

// A transient highlight: every pointer move sweeps them and creates the one under the pointer.
// The pause word is one too, so leaving pause removes it.
class TMenuGame : public TImageSprite {
 protected:
  TMenuGame(TMainForm& form, const char* picture, TMenuPlace place, int32_t z);
};

// A state marker or dialog panel: it stays until a screen or a closing dialog sweeps it.
class TMenu : public TImageSprite {
 protected:
  TMenu(TMainForm& form, const char* picture, TMenuPlace place, int32_t z);
};

// Main menu highlights.
class Start_Game : public TMenuGame {
 public:
  explicit Start_Game(TMainForm& form);
};
class Help : public TMenuGame {
 public:
  explicit Help(TMainForm& form);
};
class Options : public TMenuGame {
 public:
  explicit Options(TMainForm& form);
};
class High_Score : public TMenuGame {
 public:
  explicit High_Score(TMainForm& form);
};
class Visit_Web_Site : public TMenuGame {
 public:
  explicit Visit_Web_Site(TMainForm& form);
};
class Exit_ : public TMenuGame {
 public:
  explicit Exit_(TMainForm& form);
};

// Help page highlights.
class HelpGame_Up : public TMenuGame {
 public:
  explicit HelpGame_Up(TMainForm& form);
};
class HelpGame_Back : public TMenuGame {
 public:
  explicit HelpGame_Back(TMainForm& form);
};
class HelpGame_Down : public TMenuGame {
 public:
  explicit HelpGame_Down(TMainForm& form);
};

// Options and high-score highlights.
class Options_Back : public TMenuGame {
 public:
  explicit Options_Back(TMainForm& form);
};
class HighScore_Clear : public TMenuGame {
 public:
  explicit HighScore_Clear(TMainForm& form);
};
class HighScore_Back : public TMenuGame {
 public:
  explicit HighScore_Back(TMainForm& form);
};
class HighScore_View : public TMenuGame {
 public:
  explicit HighScore_View(TMainForm& form);
};

// The quit question's highlights.
class ExitGame_Yes : public TMenuGame {
 public:
  explicit ExitGame_Yes(TMainForm& form);
};
class ExitGame_No : public TMenuGame {
 public:
  explicit ExitGame_No(TMainForm& form);
};

// Option markers: the options frame re-creates the three that match the switches.
class Options_window_mode : public TMenu {
 public:
  explicit Options_window_mode(TMainForm& form);
};
class Options_full_screen : public TMenu {
 public:
  explicit Options_full_screen(TMainForm& form);
};
class Options_music_on : public TMenu {
 public:
  explicit Options_music_on(TMainForm& form);
};
class Options_music_off : public TMenu {
 public:
  explicit Options_music_off(TMainForm& form);
};
class Options_sound_on : public TMenu {
 public:
  explicit Options_sound_on(TMainForm& form);
};
class Options_sound_off : public TMenu {
 public:
  explicit Options_sound_off(TMainForm& form);
};

// The word shown while the game is paused.
class TPauseWord : public TMenuGame {
 public:
  explicit TPauseWord(TMainForm& form);
};

// The in-game exit question and its highlighted answers.
class TMainExit : public TMenu {
 public:
  explicit TMainExit(TMainForm& form);
};
class TMainExit_Yes : public TMenuGame {
 public:
  explicit TMainExit_Yes(TMainForm& form);
};
class TMainExit_No : public TMenuGame {
 public:
  explicit TMainExit_No(TMainForm& form);
};

// The question whether to clear the high-score table, and its highlighted answers.
class TClearHighScore : public TMenu {
 public:
  explicit TClearHighScore(TMainForm& form);
};
class TClearHighScore_Yes : public TMenuGame {
 public:
  explicit TClearHighScore_Yes(TMainForm& form);
};
class TClearHighScore_No : public TMenuGame {
 public:
  explicit TClearHighScore_No(TMainForm& form);
};

// A lit plate of the second options page, by picture name: a hover highlight, or a marker of the
// choice in force.
class TPlateHighlight : public TMenuGame {
 public:
  TPlateHighlight(TMainForm& form, const char* picture);
};
class TPlateMarker : public TMenu {
 public:
  TPlateMarker(TMainForm& form, const char* picture);
};
