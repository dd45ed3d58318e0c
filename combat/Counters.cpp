#include <string>

#include "app/MainForm.h"
#include "battlefield/Begin.h"
#include "combat/Cifra.h"
#include "engine/PictureCollection.h"

namespace {

std::string DigitPicture(int32_t digit) { return "cifra" + std::to_string(digit); }

}  // namespace

// The counters are rebuilt from the game state once a frame; the order matters, since the first
// step sweeps every digit, the level's and the score's included.
void TMainForm::RebuildCounters() {
  MarkDeadAll<Cifra>();
  if (LevelCountdown >= 0) {
    const int32_t n = LevelCountdown;
    const int32_t a = n / 600;
    const int32_t b = (n / 60) % 10;
    const int32_t c = (n % 60) / 10;
    const int32_t d = n % 10;
    const int32_t widthA = Find(DigitPicture(a)).Width();
    const int32_t widthB = Find(DigitPicture(b)).Width();
    const int32_t widthC = Find(DigitPicture(c)).Width();
    // Minutes end at x 90, seconds begin at x 110; the blinking separator sits between.
    Spawn<Cifra>(90.0 - widthA - widthB, 8.0, 1.0, DigitPicture(a));
    Spawn<Cifra>(90.0 - widthB, 8.0, 1.0, DigitPicture(b));
    Spawn<Cifra>(110.0, 8.0, 1.0, DigitPicture(c));
    Spawn<Cifra>(110.0 + widthC, 8.0, 1.0, DigitPicture(d));
  }

  MarkDeadAll<Cifra_Lifes>();
  if (Lives >= 1 && Lives <= 3) Spawn<Cifra_Lifes>(std::to_string(Lives));

  MarkDeadAll<Cifra_Health>();
  double pen = 90;
  auto healthDigit = [&](const std::string& text) {
    pen += Spawn<Cifra_Health>(pen, 550.0, text).Width;
  };
  if (Health % 100 != 0) {
    if (Health / 10 != 0) healthDigit(std::to_string(Health / 10));
    healthDigit(std::to_string(Health % 10));
  } else {
    healthDigit("1");
    healthDigit("0");
    healthDigit("0");
  }
  Spawn<Cifra_Health>(pen, 550.0, std::string("percent"));

  MarkDeadAll<Patrontag>();
  Spawn<Patrontag>();

  MarkDeadAll<Level>();
  const std::string digits = DigitsOf(LevelNumber);
  const int32_t labelWidth = Find("level").Width();
  double groupWidth = labelWidth + 10;
  for (char digit : digits) groupWidth += Find(DigitPicture(digit - '0')).Width();
  const double left = 700 - groupWidth / 2;
  Spawn<Level>(left, 12.0);
  pen = left + labelWidth + 10;
  for (char digit : digits) pen += Spawn<Cifra>(pen, 6.0, 1.0, DigitPicture(digit - '0')).Width;

  DrawScoreCentred(399, 12, "cifra");
}
