#include "app/MainForm.h"
#include "audio/SoundDevice.h"
#include "engine/ImageList.h"
#include "engine/PictureCollection.h"

void TMainForm::LoadComfort() {
  Comfort = TComfortSettings::Load(Paths().UserFile(ComfortSettingsFile));
  ApplyComfort();
}

void TMainForm::SaveComfort() {
  // A file that cannot be written leaves the settings in force for this run; the next start
  // simply finds the old file or the defaults.
  if (Paths().MakeUserFolder().empty()) Comfort.Save(Paths().UserFile(ComfortSettingsFile));
}

void TMainForm::ApplyComfort() {
  SoundDevice->SetMusicVolume(Comfort.MusicVolume / 100.0F);
  SoundDevice->SetEffectsVolume(Comfort.EffectsVolume / 100.0F);
  SoundDevice->SetMono(Comfort.Mono);
}

std::string TMainForm::SightPictureOf(const std::string& base) {
  const std::string picture = SightPicture(base, Comfort.SightSize, Comfort.SightColour);
  return ImageList->Items.IndexOf(picture) >= 0 ? picture : base;
}
