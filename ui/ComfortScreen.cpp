#include <algorithm>
#include <string>

#include "app/MainForm.h"
#include "combat/Cifra.h"
#include "combat/Pricel.h"
#include "engine/PictureCollection.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"

namespace {

// The plates of the page that light up under the pointer: the steps of the three percentages.
struct TStepPlate {
  const TButtonRect& Rect;
  const char* Picture;
};

constexpr TStepPlate StepPlates[] = {
    {ButtonRects::ComfortMusicDown, "Comfort_music_down"},
    {ButtonRects::ComfortMusicUp, "Comfort_music_up"},
    {ButtonRects::ComfortEffectsDown, "Comfort_effects_down"},
    {ButtonRects::ComfortEffectsUp, "Comfort_effects_up"},
    {ButtonRects::ComfortPadDown, "Comfort_pad_down"},
    {ButtonRects::ComfortPadUp, "Comfort_pad_up"},
};

// One choice of a row and the lit plate that marks it while it is in force.
template <class T>
struct TChoice {
  const TButtonRect& Rect;
  T Value;
  const char* Picture;
};

constexpr TChoice<TSightSize> SizeChoices[] = {
    {ButtonRects::ComfortSizeSmall, TSightSize::Small, "Comfort_size_small"},
    {ButtonRects::ComfortSizeNormal, TSightSize::Normal, "Comfort_size_normal"},
    {ButtonRects::ComfortSizeLarge, TSightSize::Large, "Comfort_size_large"},
};
constexpr TChoice<TSightColour> ColourChoices[] = {
    {ButtonRects::ComfortColourStandard, TSightColour::Standard, "Comfort_colour_standard"},
    {ButtonRects::ComfortColourWhite, TSightColour::White, "Comfort_colour_white"},
    {ButtonRects::ComfortColourMagenta, TSightColour::Magenta, "Comfort_colour_magenta"},
};
constexpr TChoice<bool> OutputChoices[] = {
    {ButtonRects::ComfortStereo, false, "Comfort_stereo"},
    {ButtonRects::ComfortMono, true, "Comfort_mono"},
};

template <class T, std::size_t N>
void MarkChoice(TMainForm& form, const TChoice<T> (&choices)[N], T value) {
  for (const TChoice<T>& choice : choices)
    if (choice.Value == value) form.Spawn<TPlateMarker>(choice.Picture);
}

// Sets the row's value when the pointer is on one of its choices; true when it was.
template <class T, std::size_t N>
bool PickChoice(const TMainForm& form, const TChoice<T> (&choices)[N], T& value) {
  for (const TChoice<T>& choice : choices) {
    if (!choice.Rect.Contains(form.PointerX, form.PointerY)) continue;
    value = choice.Value;
    return true;
  }
  return false;
}

// A percentage in the counters' digits, centred in its row between the two step buttons.
void DrawPercent(TMainForm& form, int value, const TButtonRect& row) {
  std::string pictures[5];
  int count = 0;
  for (const char digit : DigitsOf(value)) pictures[count++] = std::string("Health_") + digit;
  pictures[count++] = "Health_percent";
  double width = 0;
  for (int i = 0; i < count; ++i) width += form.Find(pictures[i]).Width();
  double pen = ButtonRects::ComfortValueX - width / 2;
  for (int i = 0; i < count; ++i) {
    const TPictureCollectionItem& picture = form.Find(pictures[i]);
    form.Spawn<Cifra>(pen, row.Y1 + (row.Height() - picture.Height()) / 2.0, 1.0, pictures[i]);
    pen += picture.Width();
  }
}

// A step of a percentage within its limits; true when it changed.
bool StepValue(int& value, int step, int low, int high) {
  const int next = std::clamp(value + step, low, high);
  if (next == value) return false;
  value = next;
  return true;
}

}  // namespace

void TMainForm::ComfortFrame() {
  MarkDeadAll<TMenu>();
  MarkDeadAll<Cifra>();
  MarkChoice(*this, SizeChoices, Comfort.SightSize);
  MarkChoice(*this, ColourChoices, Comfort.SightColour);
  MarkChoice(*this, OutputChoices, Comfort.Mono);
  DrawPercent(*this, Comfort.MusicVolume, ButtonRects::ComfortMusicDown);
  DrawPercent(*this, Comfort.EffectsVolume, ButtonRects::ComfortEffectsDown);
  DrawPercent(*this, Comfort.PadSpeed, ButtonRects::ComfortPadDown);
}

void TMainForm::ComfortHover() {
  const char* lit = nullptr;
  for (const TStepPlate& plate : StepPlates)
    if (plate.Rect.Contains(PointerX, PointerY)) lit = plate.Picture;
  if (lit == nullptr && ButtonRects::OptionsBackHover.Contains(PointerX, PointerY)) lit = "Options_back";
  if (lit == nullptr) {
    HoverSoundArmed = true;
    return;
  }
  Spawn<TPlateHighlight>(lit);
  if (HoverSoundArmed) {
    StopSound("button_up");
    PlaySound("button_up");
  }
  HoverSoundArmed = false;
}

void TMainForm::ComfortMouseDown() {
  using S = TComfortSettings;
  const auto on = [this](const TButtonRect& rect) { return rect.Contains(PointerX, PointerY); };
  const TSightSize oldSize = Comfort.SightSize;
  const TSightColour oldColour = Comfort.SightColour;
  bool changed = false;
  if (on(ButtonRects::ComfortMusicDown) || on(ButtonRects::ComfortMusicUp)) {
    changed = StepValue(Comfort.MusicVolume, on(ButtonRects::ComfortMusicUp) ? S::VolumeStep : -S::VolumeStep, 0, 100);
  } else if (on(ButtonRects::ComfortEffectsDown) || on(ButtonRects::ComfortEffectsUp)) {
    changed =
        StepValue(Comfort.EffectsVolume, on(ButtonRects::ComfortEffectsUp) ? S::VolumeStep : -S::VolumeStep, 0, 100);
  } else if (on(ButtonRects::ComfortPadDown) || on(ButtonRects::ComfortPadUp)) {
    changed = StepValue(Comfort.PadSpeed, on(ButtonRects::ComfortPadUp) ? S::PadSpeedStep : -S::PadSpeedStep,
                        S::MinPadSpeed, S::MaxPadSpeed);
  } else if (PickChoice(*this, SizeChoices, Comfort.SightSize) || PickChoice(*this, ColourChoices, Comfort.SightColour) ||
             PickChoice(*this, OutputChoices, Comfort.Mono)) {
    changed = true;
  } else if (ButtonRects::OptionsBackClick.Contains(PointerX, PointerY)) {
    SwitchScreen(scOptions);
    PlaySound("button_down");
    return;
  } else {
    return;
  }
  if (!changed) return;  // a step beyond the end of its range does nothing and plays nothing
  ApplyComfort();
  // The new sight replaces the old one at once.
  if (Comfort.SightSize != oldSize || Comfort.SightColour != oldColour) {
    MarkDeadAll<Pricel>();
    Spawn<Pricel>();
  }
  // Played after the change, so the effects volume is heard as it is now set.
  PlaySound("button_down");
}
