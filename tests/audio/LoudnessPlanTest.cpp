#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/Timer.h"
#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "loudness/LoudnessMeter.h"
#include "loudness/RepeatMeter.h"
#include "loudness/SongRender.h"
#include "platform/sdl/XmpMusicLib.h"
#include "support/GameHarness.h"

namespace {

const std::filesystem::path GameDir = ZARVOK_GAME_DIR;
const std::filesystem::path SourceDir = ZARVOK_SOURCE_DIR;
constexpr int Rate = 48000;

// A wave as the mixer plays it: on both sides, at the effects' gain.
std::vector<float> AsPlayed(const TWave& wave) {
  const std::vector<float> samples = wave.ToFloat();
  std::vector<float> out;
  const auto channels = static_cast<std::size_t>(std::max<int32_t>(1, wave.Channels));
  for (std::size_t i = 0; i + channels <= samples.size(); i += channels) {
    out.push_back(samples[i] * TSoundDevice::EffectGain);
    out.push_back(samples[i + channels - 1] * TSoundDevice::EffectGain);
  }
  return out;
}

std::map<std::string, double> ReadPlan() {
  std::ifstream in(SourceDir / "assets" / "sounds" / "loudness.txt");
  std::map<std::string, double> plan;
  std::string line;
  while (std::getline(in, line)) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::stringstream words(line);
    std::string name;
    double level = 0;
    if (words >> name >> level) plan[name] = level;
  }
  return plan;
}

struct TTune {
  TSongPass Pass;  // at the music's gain
  TLoudness Loudness;
  double RepeatFraction = 0;
};

// The built waves and the three tunes, measured once for all the tests here (rendering three
// minutes of music three times is the slow part).
class LoudnessPlan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Device = std::make_unique<TSoundDevice>(nullptr);
    Waves = std::make_unique<TWaveList>(*Device);
    Waves->LoadFromFile(GameDir / "Data" / "Music.dxw");
    TXmpMusicLib music;
    for (const char* number : {"1", "2", "3"}) {
      const std::string path = (GameDir / "Music" / (std::string(number) + ".xm")).string();
      TTune& tune = Tunes[number];
      tune.Pass = RenderSongPass(music, path, Rate, 400.0);
      for (float& x : tune.Pass.Stereo) x *= TSoundDevice::MusicGain;
      tune.Loudness = MeasureLoudness(tune.Pass.Stereo, Rate, 2);
      tune.RepeatFraction = TRepeatMeter(tune.Pass.Stereo, Rate, 240.0 / ModuleBpm(path)).RepeatFraction();
    }
  }
  static void TearDownTestSuite() {
    Waves.reset();
    Device.reset();
    Tunes.clear();
  }
  static const TWave& Wave(const std::string& name) { return Waves->Items().Find(name).Wave; }
  static TLoudness Loudness(const std::string& name) { return MeasureLoudness(AsPlayed(Wave(name)), Wave(name).SampleRate, 2); }

  static inline std::unique_ptr<TSoundDevice> Device;
  static inline std::unique_ptr<TWaveList> Waves;
  static inline std::map<std::string, TTune> Tunes;
};

}  // namespace

TEST_F(LoudnessPlan, EveryWavePlaysWithinItsBand) {
  const std::map<std::string, double> plan = ReadPlan();
  for (int32_t i = 0; i < Waves->Items().Count(); ++i) {
    const std::string& name = Waves->Items().Items(i).Name();
    SCOPED_TRACE(name);
    ASSERT_EQ(plan.count(name), 1U) << "a wave without a planned level";
    EXPECT_NEAR(Loudness(name).MaxMomentary, plan.at(name), 1.5);
  }
}

TEST_F(LoudnessPlan, TheRifleLeadsTheMissAndTheBlastsLeadTheRifle) {
  // (louder, quieter, at least, at most) in LU between their loudest 400 ms.
  struct TRule {
    const char* Louder;
    const char* Quieter;
    double AtLeast;
    double AtMost;
  };
  const TRule rules[] = {
      {"1", "2", 6.0, 99},                                    // a miss's ricochet under the shot
      {"8", "1", 0.5, 99},   {"bomb", "1", 0.5, 99},          // explosions above the rifle
      {"14", "1", 0.5, 99},  {"15", "1", 0.5, 99},
      {"artobstrel", "8", 0.5, 99},  {"artobstrel", "bomb", 0.5, 99},  // the air strike above them
      {"artobstrel", "14", 0.5, 99}, {"artobstrel", "15", 0.0, 3.0},   // the tank's close to it
  };
  for (const TRule& r : rules) {
    SCOPED_TRACE(std::string(r.Louder) + " over " + r.Quieter);
    const double difference = Loudness(r.Louder).MaxMomentary - Loudness(r.Quieter).MaxMomentary;
    EXPECT_GE(difference, r.AtLeast);
    EXPECT_LE(difference, r.AtMost);
  }
}

TEST_F(LoudnessPlan, TheAnnouncerStandsSixLuAboveEveryTune) {
  double loudestTune = -100;
  for (const auto& [number, tune] : Tunes) loudestTune = std::max(loudestTune, tune.Loudness.Integrated);
  for (const char* word : {"Level", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "Fight"}) {
    SCOPED_TRACE(word);
    EXPECT_TRUE(IsAnnouncerWord(word)) << "ducks the music";
    EXPECT_GE(Loudness(word).Integrated - loudestTune, 6.0);
  }
}

TEST_F(LoudnessPlan, EnginesAreHeardOverTheBattleMusicInTheirMainOctave) {
  const std::vector<float>& battle = Tunes.at("2").Pass.Stereo;
  for (const char* engine : {"tank_move", "truc_move", "vert_move"}) {
    SCOPED_TRACE(engine);
    // The loop played for four seconds, as a vehicle drives across.
    std::vector<float> loop = AsPlayed(Wave(engine));
    std::vector<float> driving;
    while (driving.size() < static_cast<std::size_t>(Wave(engine).SampleRate) * 2 * 4) driving.insert(driving.end(), loop.begin(), loop.end());
    double bestBand = 0;
    double bestLevel = -100;
    for (double centre = 63; centre < 9000; centre *= 2) {
      const double level = MeasureLoudness(OctaveBand(driving, Wave(engine).SampleRate, 2, centre), Wave(engine).SampleRate, 2).Integrated;
      if (level > bestLevel) {
        bestLevel = level;
        bestBand = centre;
      }
    }
    const double music = MeasureLoudness(OctaveBand(battle, Rate, 2, bestBand), Rate, 2).Integrated;
    EXPECT_GE(bestLevel - music, 3.0) << "in the octave around " << bestBand << " Hz";
  }
}

TEST_F(LoudnessPlan, TheTunesMatchInLoudnessLastThreeMinutesAndSeldomRepeat) {
  double quietest = 0;
  double loudest = -100;
  for (const auto& [number, tune] : Tunes) {
    SCOPED_TRACE(number);
    EXPECT_TRUE(tune.Pass.CameBack) << "the order position returns to 0 after a pass";
    EXPECT_GE(tune.Pass.Seconds, 180.0);
    EXPECT_LE(tune.RepeatFraction, 0.25);
    quietest = std::min(quietest, tune.Loudness.Integrated);
    loudest = std::max(loudest, tune.Loudness.Integrated);
  }
  EXPECT_LE(loudest - quietest, 2.0);
}

TEST_F(LoudnessPlan, TheNumberIsSpokenOnlyAfterLevelHasEnded) {
  // The intro's timer speaks the number this long after "Level" started.
  const double after = [] {
    TGameHarness::TOptions options;
    options.ShowForm = false;
    TGameHarness game(options);
    return game.Form().Timer2->Interval() / 1000.0;
  }();
  const auto soundFrom = [](const TWave& w, bool last) {
    const std::vector<float> s = w.ToFloat();
    float peak = 0;
    for (const float x : s) peak = std::max(peak, std::fabs(x));
    const float floor = peak * 0.003F;  // 50 dB under the peak
    std::size_t at = last ? s.size() : 0;
    if (last)
      while (at > 0 && std::fabs(s[at - 1]) < floor) --at;
    else
      while (at < s.size() && std::fabs(s[at]) < floor) ++at;
    return static_cast<double>(at) / w.SampleRate;
  };
  const double levelEnds = soundFrom(Wave("Level"), true);
  for (const char* number : {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"}) {
    SCOPED_TRACE(number);
    EXPECT_GE(after + soundFrom(Wave(number), false) - levelEnds, 0.08);
  }
}

TEST_F(LoudnessPlan, CriesDieAwayBeforeTheirWaveEnds) {
  for (const char* cry : {"terror1_dead", "terror2_dead", "terror3_dead", "terror4_dead", "player_dead"}) {
    SCOPED_TRACE(cry);
    const std::vector<float> s = Wave(cry).ToFloat();
    const auto window = static_cast<std::size_t>(Wave(cry).SampleRate / 50);  // 20 ms
    const auto rms = [&](std::size_t from) {
      double sum = 0;
      for (std::size_t i = from; i < from + window; ++i) sum += static_cast<double>(s[i]) * s[i];
      return std::sqrt(sum / static_cast<double>(window));
    };
    double loudest = 0;
    for (std::size_t at = 0; at + window <= s.size(); at += window / 2) loudest = std::max(loudest, rms(at));
    // The 20 ms before the last 20 ms (where the end fade lies).
    const double beforeFade = rms(s.size() - 2 * window);
    EXPECT_LE(20 * std::log10(beforeFade / loudest), -40.0);
  }
}
