#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/WaveList.h"
#include "platform/sdl/XmpMusicLib.h"

namespace {

const std::filesystem::path GameDir = ZARVOK_GAME_DIR;

// Every effect the game's rules play or stop by name.
const std::vector<std::string> EffectNames = {
    "button_up", "button_down", "pause", "after_pause", "Level", "one", "two", "three", "four", "five",
    "six", "seven", "eight", "nine", "ten", "Fight", "1", "2", "3", "5", "6", "7", "14", "8", "15",
    "tank_move", "truc_move", "vert_move", "plane", "artobstrel", "popal_in_gel", "popal_in_plot",
    "terror1_dead", "terror2_dead", "terror3_dead", "terror4_dead", "bomb", "med", "life", "ocher",
    "cherep", "dollar", "shar_dead", "player_dead"};

class BuiltWaveArchive : public ::testing::Test {
 protected:
  void SetUp() override { List.LoadFromFile(GameDir / "Data" / "Music.dxw"); }
  TSoundDevice Device{nullptr};
  TWaveList List{Device};
};

}  // namespace

TEST_F(BuiltWaveArchive, HoldsEveryEffectTheGamePlays) {
  for (const std::string& name : EffectNames) {
    SCOPED_TRACE(name);
    ASSERT_GE(List.Items().IndexOf(name), 0);
    const TWaveCollectionItem& item = List.Items().Find(name);
    EXPECT_GT(item.Wave.FrameCount(), item.Wave.SampleRate / 50) << "shorter than 20 ms";
    EXPECT_LT(item.Wave.FrameCount(), item.Wave.SampleRate * 5) << "longer than 5 s";
  }
}

TEST_F(BuiltWaveArchive, EngineNoisesLoopAndOurShotMayOverlapItself) {
  for (int32_t i = 0; i < List.Items().Count(); ++i) {
    const TWaveCollectionItem& item = List.Items().Items(i);
    const bool engine = item.Name() == "tank_move" || item.Name() == "truc_move" || item.Name() == "vert_move";
    EXPECT_EQ(item.Looped, engine) << item.Name();
  }
  EXPECT_GE(List.Items().Find("1").MaxPlayingCount, 3);
}

TEST_F(BuiltWaveArchive, NoEffectPeaksAboveMinusOneDbOrClicksAtItsEnds) {
  const float ceiling = std::pow(10.0F, -1.0F / 20.0F);
  for (int32_t i = 0; i < List.Items().Count(); ++i) {
    const TWaveCollectionItem& item = List.Items().Items(i);
    SCOPED_TRACE(item.Name());
    const std::vector<float> s = item.Wave.ToFloat();
    float peak = 0;
    for (const float x : s) peak = std::max(peak, std::fabs(x));
    EXPECT_LE(peak, ceiling);
    EXPECT_GT(peak, 0.1F) << "nearly silent";
    if (item.Looped) {
      // The end runs into the start as smoothly as any two neighbouring samples do.
      float largestStep = 0;
      for (std::size_t k = 1; k < s.size(); ++k) largestStep = std::max(largestStep, std::fabs(s[k] - s[k - 1]));
      EXPECT_LE(std::fabs(s.front() - s.back()), largestStep);
    } else {
      EXPECT_LT(std::fabs(s.front()), 0.01F);
      EXPECT_LT(std::fabs(s.back()), 0.01F);
    }
  }
}

namespace {

struct TPass {
  double Seconds = 0;   // until the order position came back to 0
  int32_t HighestOrder = 0;
  float Peak = 0;
};

// Plays a module through the music library until its order position returns to 0.
TPass PlayThrough(TMusicLib& music, uint32_t handle) {
  constexpr int Rate = 22050;
  constexpr std::size_t Block = 2048;
  std::vector<float> frames(Block * 2);
  TPass pass;
  bool left = false;
  music.SongPlay(handle);
  for (int blocks = 0; blocks < 400 * Rate / static_cast<int>(Block); ++blocks) {
    std::fill(frames.begin(), frames.end(), 0.0F);
    music.Render(frames.data(), Block, Rate);
    for (const float x : frames) pass.Peak = std::max(pass.Peak, std::fabs(x));
    const int32_t order = music.SongGetOrder(handle);
    pass.HighestOrder = std::max(pass.HighestOrder, order);
    if (order != 0) left = true;
    if (left && order == 0) {
      pass.Seconds = static_cast<double>(blocks + 1) * Block / Rate;
      break;
    }
  }
  return pass;
}

}  // namespace

TEST(BuiltMusic, EachModulePlaysAMinuteAndComesBackToTheStart) {
  TXmpMusicLib music;
  for (const char* number : {"1", "2", "3"}) {
    SCOPED_TRACE(number);
    const uint32_t handle = music.SongLoadFromFile((GameDir / "Music" / (std::string(number) + ".xm")).string());
    ASSERT_NE(handle, 0U);
    EXPECT_EQ(music.SongGetOrder(handle), 0);
    const TPass pass = PlayThrough(music, handle);
    EXPECT_GT(pass.Seconds, 60.0);
    EXPECT_GT(pass.HighestOrder, 1);
    EXPECT_GT(pass.Peak, 0.1F);
    EXPECT_LT(pass.Peak, 1.0F);
    music.SongFree(handle);
    EXPECT_EQ(music.SongGetOrder(handle), 0);
  }
}

TEST(MusicLib, LoadPlayAndFreeFollowTheLibraryContract) {
  TXmpMusicLib music;
  EXPECT_EQ(music.SongLoadFromFile("Music/none.xm"), 0U);
  EXPECT_EQ(music.SongLoadFromFile((GameDir / "Data" / "Music.dxw").string()), 0U) << "not a module";
  const uint32_t first = music.SongLoadFromFile((GameDir / "Music" / "1.xm").string());
  const uint32_t second = music.SongLoadFromFile((GameDir / "Music" / "1.xm").string());
  ASSERT_NE(first, 0U);
  EXPECT_NE(first, second);

  std::vector<float> frames(4096 * 2, 0.0F);
  music.Render(frames.data(), 4096, 44100);
  EXPECT_EQ(*std::max_element(frames.begin(), frames.end()), 0.0F) << "nothing plays before SongPlay";

  music.SongPlay(first);
  float peak = 0;
  for (int i = 0; i < 40; ++i) {
    std::fill(frames.begin(), frames.end(), 0.0F);
    music.Render(frames.data(), 4096, 44100);
    for (const float x : frames) peak = std::max(peak, std::fabs(x));
  }
  EXPECT_GT(peak, 0.05F);

  music.SongFree(first);
  std::fill(frames.begin(), frames.end(), 0.0F);
  music.Render(frames.data(), 4096, 44100);
  EXPECT_EQ(*std::max_element(frames.begin(), frames.end()), 0.0F) << "freeing stops the music";
  music.SongFree(first);  // a second free of the same handle does nothing
  music.SongFree(second);
}
