#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "audio/MusicFader.h"
#include "loudness/LoudnessMeter.h"
#include "platform/sdl/XmpMusicLib.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

namespace {

// What the game sends to the sound card from the main menu into the first level, played by the
// real program on the headless platform with the real music library: ten seconds of the menu,
// then the start button and thirty seconds of the first level (the intro, then the enemies'
// fire; the player does not shoot).
struct TCapture {
  std::vector<float> Menu;
  std::vector<float> Level;
  int Rate = 0;
};

TCapture Capture(bool effects) {
  TGameHarness::TOptions options;
  options.MakeMusic = [] { return std::make_unique<TMusicFader>(std::make_unique<TXmpMusicLib>()); };
  TGameHarness game(options);
  game.Form().GameSound.Checked = effects;
  game.SkipSplash();
  TCapture capture;
  capture.Rate = game.Audio().SampleRate();
  const auto perTick = static_cast<std::size_t>(capture.Rate / 100);
  const auto run = [&](int ticks, std::vector<float>& into) {
    for (int t = 0; t < ticks; ++t) {
      game.RunFor(10);
      const std::vector<float> block = game.Audio().Pull(perTick);
      into.insert(into.end(), block.begin(), block.end());
    }
  };
  run(1000, capture.Menu);
  constexpr TButtonRect start = ButtonRects::StartGame;
  game.Click((start.X1 + start.X2) / 2, (start.Y1 + start.Y2) / 2);
  run(3000, capture.Level);
  return capture;
}

double Integrated(const std::vector<float>& stereo, int rate) { return MeasureLoudness(stereo, rate, 2).Integrated; }

}  // namespace

TEST(InGameMix, TheMusicKeepsItsLevelFromTheMenuIntoTheFirstLevel) {
  const TCapture music = Capture(false);
  const double menu = Integrated(music.Menu, music.Rate);
  const double level = Integrated(music.Level, music.Rate);
  EXPECT_NEAR(level, menu, 2.0);

  const TCapture all = Capture(true);
  const double menuAll = Integrated(all.Menu, all.Rate);
  const double levelAll = Integrated(all.Level, all.Rate);
  std::vector<float> effects(all.Level.size());
  for (std::size_t i = 0; i < effects.size(); ++i) effects[i] = all.Level[i] - music.Level[i];
  const double effectsOnly = Integrated(effects, all.Rate);
  std::printf("in game: menu %.1f LUFS, first level %.1f LUFS (step %.1f LU); music alone %.1f -> %.1f;"
              " the effects over the music in the level %.1f LU\n",
              menuAll, levelAll, levelAll - menuAll, menu, level, effectsOnly - level);
  // The level's own sounds stand out of the music without drowning it.
  EXPECT_GT(effectsOnly - level, 3.0);
}
