#pragma once

#include "engine/ImageSprite.h"
#include "ui/MenuSprites.h"

class TMainForm;

// The name panel of the game-over screen. Neither dialog sweep removes it (it is no TMenu or
// TMenuGame); it goes when the screen is cleared. Building it turns name entry on.
class TEnter_Name : public TImageSprite {
 public:
  explicit TEnter_Name(TMainForm& form);
};

// The tick in the send box: the result goes to the score server when the name is confirmed.
class TEnter_Name_Send : public TMenu {
 public:
  explicit TEnter_Name_Send(TMainForm& form);
};
