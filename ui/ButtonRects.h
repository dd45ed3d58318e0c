#pragma once

// Every button rectangle of the menus, defined once: pointer input tests these, and the picture
// generator draws the labels and highlights into them, so art and clicks cannot drift apart.
// A rectangle holds a point when X1 <= x <= X2 and Y1 <= y <= Y2 (both ends included).
struct TButtonRect {
  int X1, X2, Y1, Y2;

  constexpr bool Contains(int x, int y) const { return X1 <= x && x <= X2 && Y1 <= y && y <= Y2; }
  constexpr int Width() const { return X2 - X1 + 1; }
  constexpr int Height() const { return Y2 - Y1 + 1; }
};

namespace ButtonRects {

// Main menu (hover and click).
inline constexpr TButtonRect StartGame{215, 540, 32, 89};
inline constexpr TButtonRect Help{311, 441, 122, 179};
inline constexpr TButtonRect Options{260, 490, 213, 270};
inline constexpr TButtonRect HighScore{226, 524, 300, 357};
inline constexpr TButtonRect VisitWebSite{171, 576, 389, 446};
inline constexpr TButtonRect Exit{239, 516, 478, 532};

// The quit question ("SceneExit").
inline constexpr TButtonRect ExitGameYes{248, 348, 353, 413};
inline constexpr TButtonRect ExitGameNo{410, 490, 351, 411};

// The in-game exit question ("Exit_Main").
inline constexpr TButtonRect MainExitYes{243, 371, 311, 387};
inline constexpr TButtonRect MainExitNo{422, 528, 310, 387};

// Help pages: hover and click rectangles differ by a few pixels.
inline constexpr TButtonRect HelpUpHover{243, 297, 451, 520};
inline constexpr TButtonRect HelpUpClick{246, 297, 453, 521};
inline constexpr TButtonRect HelpBack{324, 451, 458, 516};
inline constexpr TButtonRect HelpDownHover{480, 531, 453, 522};
inline constexpr TButtonRect HelpDownClick{480, 531, 451, 520};

// Options: click areas, and the hover area of Back.
inline constexpr TButtonRect OptionsWindowMode{266, 432, 137, 184};
inline constexpr TButtonRect OptionsFullScreen{455, 722, 137, 184};
inline constexpr TButtonRect OptionsMusicOn{260, 324, 221, 271};
inline constexpr TButtonRect OptionsMusicOff{342, 431, 221, 271};
inline constexpr TButtonRect OptionsSoundOn{268, 330, 311, 361};
inline constexpr TButtonRect OptionsSoundOff{350, 439, 311, 361};
inline constexpr TButtonRect OptionsTextLine{340, 720, 400, 450};
inline constexpr TButtonRect OptionsBackClick{324, 451, 458, 516};
inline constexpr TButtonRect OptionsBackHover{324, 451, 464, 522};

// The button on the options page that leads to the second page.
inline constexpr TButtonRect OptionsMore{560, 716, 458, 516};

// The second options page ("fon_comfort"): loudness steps, choices, and Back as on the first page
// (OptionsBackClick, OptionsBackHover).
inline constexpr TButtonRect ComfortMusicDown{330, 382, 122, 166};
inline constexpr TButtonRect ComfortMusicUp{560, 612, 122, 166};
inline constexpr TButtonRect ComfortEffectsDown{330, 382, 176, 220};
inline constexpr TButtonRect ComfortEffectsUp{560, 612, 176, 220};
inline constexpr TButtonRect ComfortSizeSmall{330, 440, 230, 274};
inline constexpr TButtonRect ComfortSizeNormal{450, 580, 230, 274};
inline constexpr TButtonRect ComfortSizeLarge{590, 700, 230, 274};
inline constexpr TButtonRect ComfortColourStandard{330, 410, 284, 336};
inline constexpr TButtonRect ComfortColourWhite{420, 500, 284, 336};
inline constexpr TButtonRect ComfortColourMagenta{510, 590, 284, 336};
inline constexpr TButtonRect ComfortStereo{330, 470, 346, 390};
inline constexpr TButtonRect ComfortMono{480, 590, 346, 390};
inline constexpr TButtonRect ComfortPadDown{330, 382, 400, 444};
inline constexpr TButtonRect ComfortPadUp{560, 612, 400, 444};
// Where the three percentages of the page are centred.
inline constexpr int ComfortValueX = 471;

// High scores.
inline constexpr TButtonRect HighScoreClear{104, 268, 465, 533};
inline constexpr TButtonRect HighScoreBackHover{324, 451, 464, 522};
inline constexpr TButtonRect HighScoreBackClick{324, 451, 458, 516};
inline constexpr TButtonRect HighScoreView{497, 706, 464, 532};

// The clear question ("ClearHighScore").
inline constexpr TButtonRect ClearYes{254, 336, 315, 373};
inline constexpr TButtonRect ClearNo{427, 498, 315, 371};

// The name panel of the game-over screen.
inline constexpr TButtonRect NameLine{180, 620, 330, 370};
inline constexpr TButtonRect SendSwitch{150, 216, 377, 420};

}  // namespace ButtonRects

// A highlight or marker picture: its name, top-left corner and size, which the generator draws
// and the menu sprites place.
struct THighlight {
  const char* Picture;
  int X, Y, W, H;
};

inline constexpr THighlight Highlights[] = {
    {"Start Game", 215, 32, 326, 58},
    {"Help", 311, 122, 131, 58},
    {"Options", 260, 213, 231, 58},
    {"High Score", 226, 300, 299, 58},
    {"Visit Web Site", 171, 389, 406, 58},
    {"Exit", 239, 478, 278, 55},
    {"Help_Up", 246, 451, 52, 70},
    {"Help_Back", 324, 458, 128, 59},
    {"Help_Down", 480, 453, 52, 70},
    {"Options_back", 324, 464, 128, 59},
    {"HighScore_Clear", 104, 465, 165, 69},
    {"High Score_Back", 324, 464, 128, 59},
    {"HighScore_View", 497, 464, 210, 69},
    {"ExitGame_Yes", 248, 353, 101, 61},
    {"ExitGame_No", 410, 351, 81, 61},
    {"Exit_Main_Yes", 243, 311, 129, 77},
    {"Exit_Main_No", 422, 310, 107, 78},
    {"ClearHighScore_Yes", 254, 315, 83, 59},
    {"ClearHighScore_No", 427, 315, 72, 57},
    {"Options_window_mode", 266, 137, 167, 48},
    {"Options_full_screen", 455, 137, 268, 48},
    {"Options_music_on", 260, 223, 65, 49},
    {"Options_music_off", 342, 221, 90, 51},
    {"Options_sound_on", 268, 312, 63, 50},
    {"Options_sound_off", 350, 311, 90, 51},
    {"Enter_Name_Send", 150, 377, 67, 44},
    {"Options_more", 560, 458, 157, 59},
    {"Comfort_music_down", 330, 122, 53, 45},
    {"Comfort_music_up", 560, 122, 53, 45},
    {"Comfort_effects_down", 330, 176, 53, 45},
    {"Comfort_effects_up", 560, 176, 53, 45},
    {"Comfort_size_small", 330, 230, 111, 45},
    {"Comfort_size_normal", 450, 230, 131, 45},
    {"Comfort_size_large", 590, 230, 111, 45},
    {"Comfort_colour_standard", 330, 284, 81, 53},
    {"Comfort_colour_white", 420, 284, 81, 53},
    {"Comfort_colour_magenta", 510, 284, 81, 53},
    {"Comfort_stereo", 330, 346, 141, 45},
    {"Comfort_mono", 480, 346, 111, 45},
    {"Comfort_pad_down", 330, 400, 53, 45},
    {"Comfort_pad_up", 560, 400, 53, 45},
};

// Finds a highlight by its picture name; null when there is none.
constexpr const THighlight* FindHighlight(const char* picture) {
  for (const THighlight& h : Highlights) {
    const char* a = h.Picture;
    const char* b = picture;
    while (*a && *a == *b) ++a, ++b;
    if (*a == *b) return &h;
  }
  return nullptr;
}
