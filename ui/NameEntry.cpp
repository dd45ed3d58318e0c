#include "ui/NameEntry.h"

#include "app/MainForm.h"
#include "combat/Cifra.h"
#include "engine/PictureCollection.h"
#include "platform/Display.h"

TEnter_Name::TEnter_Name(TMainForm& form) {
  Image = &form.Find("Enter_Name");
  Width = Image->Width();
  Height = Image->Height();
  X = (TDisplay::SurfaceWidth - Width) / 2.0;
  Y = (TDisplay::SurfaceHeight - Height) / 2.0;
  SetZ(0);
  form.GameEnterNameClick();
}

TEnter_Name_Send::TEnter_Name_Send(TMainForm& form) : TMenu(form, "Enter_Name_Send", TMenuPlace::Highlight, 1) {}

void TMainForm::DrawScoreCentred(double x, double y, const std::string& prefix) {
  const std::string digits = DigitsOf(Score);
  double width = 0;
  for (const char digit : digits) width += Find(prefix + digit).Width();
  double pen = x - width / 2;
  for (const char digit : digits) {
    const std::string picture = prefix + digit;
    Spawn<Cifra>(pen, y, 1.0, picture);
    pen += Find(picture).Width();
  }
}

void TMainForm::GamegoEditClick() { GamegoEdit.Checked = !GamegoEdit.Checked; }

void TMainForm::GameEnterNameClick() {
  GameEnterName.Checked = !GameEnterName.Checked;
  if (GameEnterName.Checked) DrawScoreCentred(400, 197, "Health_");
  GameSendResultClick();
  // With no name yet, typing starts at once.
  if (Edit2.Text.empty()) GamegoEditClick();
}

void TMainForm::GameSendResultClick() {
  GameSendResult.Checked = !GameSendResult.Checked;
  MarkDeadAll<TMenu>();
  if (GameSendResult.Checked) Spawn<TEnter_Name_Send>();
}
