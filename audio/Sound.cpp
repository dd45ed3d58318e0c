#include <algorithm>

#include "app/MainForm.h"
#include "audio/MusicLib.h"
#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "battlefield/Terror.h"

void TMainForm::PlaySound(const std::string& name, bool wait) {
  if (!GameSound.Checked) return;
  TWaveCollectionItem& item = WaveList->Items().Find(name);
  if (WaveList->OnPlaySound) WaveList->OnPlaySound(item.Name());
  TSoundBuffer* buffer = item.Play();
  if (!wait || buffer == nullptr || item.Looped) return;
  // Bounded by the wave's own length, so a device that stopped consuming cannot hang the game.
  const uint32_t start = Milliseconds();
  const auto limit = static_cast<uint32_t>(buffer->Duration() * 1000.0) + 500;
  while (buffer->Playing() && Milliseconds() - start < limit) Sleep(10);
}

void TMainForm::StopSound(const std::string& name, int32_t kind) {
  TWaveCollection& items = WaveList->Items();
  if (name == "all")
    for (int32_t i = 0; i < items.Count(); ++i) items.Items(i).Stop();
  if (name == "button_up") items.Find("button_up").Stop();
  if (name == "technic")
    for (const char* noise : {"tank_move", "vert_move", "truc_move"}) items.Find(noise).Stop();
  if (kind != 0) {
    const auto sameSort = [kind](int32_t other) {
      const bool truck = kind == 6 || kind == 7;
      return truck ? (other == 6 || other == 7) : other == kind;
    };
    TSpriteEngine& engine = Engine();
    int32_t count = 0;
    for (int32_t i = 0; i < engine.Count(); ++i)
      if (const auto* terror = dynamic_cast<const TTerror*>(&engine.Items(i)); terror && sameSort(terror->Kind))
        ++count;
    if (count == 1) items.Find(name).Stop();
  }
}

void TMainForm::PlayMusic(const std::string& number) {
  if (!GameMusic.Checked) return;
  TMusicLib* music = FPlatform.Music.get();
  LastSongOrder = 0;
  if (music == nullptr) return;
  SoundDevice->SetMusic(music);
  SoundDevice->Initialize();
  if (SongHandle != 0) music->SongFree(SongHandle);
  SongHandle = music->SongLoadFromFile(Paths().DataFile("Music/" + number + ".xm").string());
  if (SongHandle != 0) music->SongPlay(SongHandle);
}

void TMainForm::StopMusic() {
  if (SongHandle != 0 && FPlatform.Music) FPlatform.Music->SongFree(SongHandle);
  SongHandle = 0;
}
