#pragma once

#include <string>

// A never-shown menu item: its Checked state is one of the game's switches.
struct TMenuItem {
  std::string Caption;
  bool Checked = false;
};

// A hidden edit box of the main form: only its text is used.
struct TEdit {
  std::string Text;
};
