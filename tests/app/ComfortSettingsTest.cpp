#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/ComfortSettings.h"
#include "app/MainForm.h"
#include "audio/SoundDevice.h"
#include "combat/Pricel.h"
#include "engine/PictureCollection.h"
#include "support/GameHarness.h"
#include "support/ScratchFolder.h"
#include "support/SurfacePng.h"
#include "ui/ButtonRects.h"
#include "ui/MenuSprites.h"
#include "ui/ScreenDriver.h"

namespace {

namespace BR = ButtonRects;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ComfortFile : public ::testing::Test {
 protected:
  TScratchFolder Folder;
  std::filesystem::path Path = Folder.Path() / ComfortSettingsFile;
};

TEST_F(ComfortFile, AMissingFileGivesTheDefaults) {
  const TComfortSettings s = TComfortSettings::Load(Path);
  EXPECT_EQ(s.MusicVolume, 100);
  EXPECT_EQ(s.EffectsVolume, 100);
  EXPECT_EQ(s.SightSize, TSightSize::Normal);
  EXPECT_EQ(s.SightColour, TSightColour::Standard);
  EXPECT_FALSE(s.Mono);
  EXPECT_EQ(s.PadSpeed, 100);
}

TEST_F(ComfortFile, WhatIsSavedIsReadBackAndKeysItDoesNotKnowStay) {
  WriteFile(Path, "# written by a later version\nvoice_volume = 70\n");
  TComfortSettings s = TComfortSettings::Load(Path);
  s.MusicVolume = 30;
  s.EffectsVolume = 0;
  s.SightSize = TSightSize::Large;
  s.SightColour = TSightColour::White;
  s.Mono = true;
  s.PadSpeed = 175;
  ASSERT_TRUE(s.Save(Path));
  EXPECT_FALSE(std::filesystem::exists(Path.string() + ".tmp"));

  const TComfortSettings back = TComfortSettings::Load(Path);
  EXPECT_EQ(back.MusicVolume, 30);
  EXPECT_EQ(back.EffectsVolume, 0);
  EXPECT_EQ(back.SightSize, TSightSize::Large);
  EXPECT_EQ(back.SightColour, TSightColour::White);
  EXPECT_TRUE(back.Mono);
  EXPECT_EQ(back.PadSpeed, 175);
  const std::string text = ReadFile(Path);
  EXPECT_NE(text.find("# written by a later version\nvoice_volume = 70\n"), std::string::npos);
  EXPECT_NE(text.find("sight_colour = white\n"), std::string::npos);
  // Saved again unchanged, the file stays the same: nothing is added twice.
  ASSERT_TRUE(back.Save(Path));
  EXPECT_EQ(ReadFile(Path), text);
}

TEST_F(ComfortFile, ADamagedLineIsIgnoredAndItsSettingKeepsTheDefault) {
  WriteFile(Path,
            "music_volume = 40\r\n"
            "effects_volume = loud\n"
            "sight_size = huge\n"
            "pad_speed = 110\n"
            "sound_output\n"
            "music_volume = 250\n"
            "= mono\n"
            "sight_colour=magenta\n"
            "\x01\xff garbage\n");
  const TComfortSettings s = TComfortSettings::Load(Path);
  EXPECT_EQ(s.MusicVolume, 40);  // the good line stands; the later bad one changes nothing
  EXPECT_EQ(s.EffectsVolume, 100);
  EXPECT_EQ(s.SightSize, TSightSize::Normal);
  EXPECT_EQ(s.PadSpeed, 100);  // not a step of 25
  EXPECT_FALSE(s.Mono);
  EXPECT_EQ(s.SightColour, TSightColour::Magenta);

  // Saving writes each known key once with its value in force and drops the damage.
  const std::string text = s.Text();
  EXPECT_EQ(text.find("garbage"), std::string::npos);
  EXPECT_EQ(text.find("loud"), std::string::npos);
  EXPECT_EQ(text.find("music_volume"), text.rfind("music_volume"));
  EXPECT_NE(text.find("effects_volume = 100\n"), std::string::npos);
}

TEST(SightPictures, TheNormalStandardSightIsTheBasePicture) {
  EXPECT_EQ(SightPicture("pricel", TSightSize::Normal, TSightColour::Standard), "pricel");
  EXPECT_EQ(SightPicture("pricel_anim", TSightSize::Large, TSightColour::White), "pricel_anim_large_white");
}

// The second options page, reached from the first by its MORE button.
class ComfortPage : public ::testing::Test {
 protected:
  void SetUp() override {
    Driver.GoTo(scOptions);
    Driver.ClickOn(BR::OptionsMore);
    ASSERT_EQ(Form().CurrentScreen, scComfort);
    Game.Frames(2);
    Game.ClearSounds();
  }
  TMainForm& Form() { return Game.Form(); }
  TGameHarness Game;
  TScreenDriver Driver{Game};
};

TEST_F(ComfortPage, StepsChangeTheLoudnessAtOnceAndStopAtTheEnds) {
  Driver.ClickOn(BR::ComfortEffectsDown);
  EXPECT_EQ(Form().Comfort.EffectsVolume, 90);
  EXPECT_FLOAT_EQ(Form().SoundDevice->EffectsVolume(), 0.9F);
  EXPECT_TRUE(Game.Played("button_down"));  // heard at the new loudness
  for (int i = 0; i < 12; ++i) Driver.ClickOn(BR::ComfortMusicUp);
  EXPECT_EQ(Form().Comfort.MusicVolume, 100);
  for (int i = 0; i < 12; ++i) Driver.ClickOn(BR::ComfortMusicDown);
  EXPECT_EQ(Form().Comfort.MusicVolume, 0);
  EXPECT_FLOAT_EQ(Form().SoundDevice->MusicVolume(), 0.0F);
  Driver.ClickOn(BR::ComfortPadUp);
  EXPECT_EQ(Form().Comfort.PadSpeed, 125);
  Driver.ClickOn(BR::ComfortMono);
  EXPECT_TRUE(Form().SoundDevice->Mono());
}

TEST_F(ComfortPage, TheSightChangesAtOnceAndTheMarkersShowTheChoices) {
  const int normal = Form().FindFirst<Pricel>()->Width;
  Driver.ClickOn(BR::ComfortSizeLarge);
  Driver.ClickOn(BR::ComfortColourWhite);
  ASSERT_EQ(Game.Count<Pricel>(), 1);
  Game.Frames(1);
  EXPECT_GT(Form().FindFirst<Pricel>()->Width, normal);
  EXPECT_EQ(Form().FindFirst<Pricel>()->Image->Name(), "pricel_anim_large_white");
  // One marker a row: the size, the colour and the output in force.
  EXPECT_EQ(Game.Count<TMenu>(), 3);
}

TEST_F(ComfortPage, LeavingThePageSavesItsFile) {
  Driver.ClickOn(BR::ComfortEffectsDown);
  Driver.ClickOn(BR::ComfortSizeSmall);
  Game.Key(VK_ESCAPE);
  EXPECT_EQ(Form().CurrentScreen, scOptions);
  const std::string text = ReadFile(Game.Folder() / ComfortSettingsFile);
  EXPECT_NE(text.find("effects_volume = 90"), std::string::npos);
  EXPECT_NE(text.find("sight_size = small"), std::string::npos);
}

TEST(ComfortStart, TheGameStartsWithTheSavedSettingsInForce) {
  TGameHarness game;  // its scratch copy of the game folder is the working folder
  WriteFile(ComfortSettingsFile, "effects_volume = 30\nsound_output = mono\nsight_size = large\n");
  TPlatform platform = MakeHeadlessPlatform(1000);
  TMainForm form(platform);
  form.ShowForm();
  EXPECT_FLOAT_EQ(form.SoundDevice->EffectsVolume(), 0.3F);
  EXPECT_FLOAT_EQ(form.SoundDevice->MusicVolume(), 1.0F);
  EXPECT_TRUE(form.SoundDevice->Mono());
  form.SwitchScreen(scMainMenu);
  ASSERT_NE(form.FindFirst<Pricel>(), nullptr);
  EXPECT_EQ(form.FindFirst<Pricel>()->Image->Name(), "pricel_anim_large_standard");
}

// Pictures of the second options page and of the sight in its three sizes over a battlefield.
// Runs only when ZARVOK_EVIDENCE_DIR names a folder to write to.
TEST(Evidence, ComfortPageAndSightSizes) {
  const char* out = std::getenv("ZARVOK_EVIDENCE_DIR");
  if (out == nullptr) GTEST_SKIP() << "set ZARVOK_EVIDENCE_DIR to write the evidence";
  const std::filesystem::path dir = std::filesystem::absolute(out);
  std::filesystem::create_directories(dir);
  {
    TGameHarness game;
    TScreenDriver driver(game);
    driver.GoTo(scOptions);
    driver.MoveTo(BR::OptionsMore);
    game.Frames(2);
    WriteSurfacePng(game.Surface(), dir / "options-page-with-more.png");
    driver.ClickOn(BR::OptionsMore);
    driver.ClickOn(BR::ComfortColourWhite);
    driver.ClickOn(BR::ComfortEffectsDown);
    driver.MoveTo(BR::ComfortMusicUp);
    game.Frames(3);
    WriteSurfacePng(game.Surface(), dir / "comfort-page.png");
  }
  for (const TSightSize size : {TSightSize::Small, TSightSize::Normal, TSightSize::Large}) {
    for (const TSightColour colour : {TSightColour::Standard, TSightColour::White, TSightColour::Magenta}) {
      TGameHarness game;
      game.Form().Comfort.SightSize = size;
      game.Form().Comfort.SightColour = colour;
      ASSERT_TRUE(game.StartGameAndSkipIntro());
      game.MoveMouse(300, 260);
      game.Frames(4);
      WriteSurfacePng(game.Surface(), dir / (std::string("sight-") + SightSizeName(size) + "-" +
                                             SightColourName(colour) + ".png"));
    }
  }
}

}  // namespace
