#include <gtest/gtest.h>

#include "engine/PictureCollection.h"
#include "platform/Surface.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using namespace enginetest;

TEST(PictureNames, BucketOfAName) {
  struct TCase {
    const char* Name;
    int Bucket;
  };
  // length x 16, plus the first and the second-to-last character (lower case), modulo 256.
  for (const TCase& c : std::vector<TCase>{{"", 0},
                                           {"a", 16},
                                           {"Z", 16},
                                           {"ab", (32 + 'a' + 'a') % 256},
                                           {"menu", (64 + 'm' + 'n') % 256},
                                           {"MENU", (64 + 'm' + 'n') % 256},
                                           {"Splash Screen", (13 * 16 + 's' + 'e') % 256},
                                           {"terror1_move", (12 * 16 + 't' + 'v') % 256}})
    EXPECT_EQ(TPictureCollection::NameBucket(c.Name), c.Bucket) << c.Name;
}

TEST(PictureNames, FindIgnoresCaseAndPrefersTheLastNamed) {
  TPictureCollection items;
  TPictureCollectionItem& menu = items.Add();
  menu.SetName("menu");
  TPictureCollectionItem& other = items.Add();
  other.SetName("Splash Screen");
  EXPECT_EQ(&items.Find("MENU"), &menu);
  EXPECT_EQ(items.IndexOf("splash SCREEN"), 1);
  EXPECT_EQ(items.IndexOf("men"), -1);

  // Two items with one name: the one named last is found, whatever its position.
  TPictureCollectionItem& later = items.Add();
  later.SetName("Menu");
  EXPECT_EQ(&items.Find("menu"), &later);
  menu.SetName("menu");
  EXPECT_EQ(&items.Find("menu"), &menu);

  // A renamed item leaves its old name; deleting renumbers the rest.
  menu.SetName("gone");
  EXPECT_EQ(&items.Find("menu"), &later);
  items.Delete(0);
  EXPECT_EQ(items.IndexOf("menu"), 1);
  EXPECT_EQ(items.IndexOf("gone"), -1);

  try {
    items.Find("pricel");
    FAIL() << "no error";
  } catch (const EPictureCollectionError& e) {
    EXPECT_STREQ(e.what(), "Image 'pricel' not found");
  }
}

TEST(PictureNames, NamesThatShareABucketAreToldApart) {
  ASSERT_EQ(TPictureCollection::NameBucket("abc"), TPictureCollection::NameBucket("bac"));
  TPictureCollection items;
  items.Add().SetName("abc");
  items.Add().SetName("bac");
  EXPECT_EQ(items.IndexOf("ABC"), 0);
  EXPECT_EQ(items.IndexOf("bac"), 1);
  EXPECT_EQ(items.IndexOf("cab"), -1);
}

TEST(PatternCount, ComputedFromThePropertiesBeforeBuilding) {
  struct TCase {
    int32_t Width, Height, PatternWidth, PatternHeight, SkipWidth, SkipHeight, Expected;
  };
  const std::vector<TCase> cases = {
      {300, 40, 60, 40, 0, 0, 5},   {316, 40, 60, 40, 4, 0, 5},  {320, 40, 60, 40, 4, 0, 5},
      {310, 40, 60, 40, 0, 0, 5},   {300, 80, 60, 40, 0, 0, 10}, {800, 600, 0, 0, 0, 0, 1},
      {300, 40, 60, 0, 0, 0, 5},    {100, 10, 0, 0, -100, 0, 0},
  };
  for (const TCase& c : cases) {
    TPictureCollection items;
    TPictureCollectionItem& item = items.Add();
    item.Picture.Width = c.Width;
    item.Picture.Height = c.Height;
    item.PatternWidth = c.PatternWidth;
    item.PatternHeight = c.PatternHeight;
    item.SkipWidth = c.SkipWidth;
    item.SkipHeight = c.SkipHeight;
    EXPECT_EQ(item.PatternCount(), c.Expected) << c.Width << " wide, patterns " << c.PatternWidth;
  }
}

struct TCutCase {
  const char* Title;
  int32_t Width, Height, PatternWidth, PatternHeight, SkipWidth, SkipHeight;
  bool SystemMemory;
  int32_t PatternCount;
  std::vector<std::pair<int32_t, int32_t>> SurfaceSizes;
  int32_t Probe;  // a pattern to look at
  TRect ProbeRect;
  size_t ProbeSurface;
};

TEST(PictureBuilding, CutsPicturesIntoBlocksOfWholeCells) {
  const std::vector<TCutCase> cases = {
      {"whole picture stays one surface", 800, 600, 0, 0, 0, 0, false, 1, {{800, 600}}, 0, {0, 0, 800, 600}, 0},
      {"pattern as large as the picture", 1200, 700, 1200, 700, 0, 0, false, 1, {{1200, 700}}, 0,
       {0, 0, 1200, 700}, 0},
      {"strip of five", 300, 40, 60, 40, 0, 0, false, 5, {{300, 40}}, 4, {240, 0, 300, 40}, 0},
      {"strip with gaps", 316, 40, 60, 40, 4, 0, false, 5, {{316, 40}}, 4, {256, 0, 316, 40}, 0},
      {"two blocks across", 1200, 100, 100, 100, 0, 0, false, 12, {{600, 100}, {600, 100}}, 7,
       {100, 0, 200, 100}, 1},
      {"narrow last block", 1250, 100, 100, 100, 0, 0, false, 12, {{600, 100}, {600, 100}, {50, 100}}, 11,
       {500, 0, 600, 100}, 1},
      {"two blocks down", 64, 1200, 64, 100, 0, 0, false, 12, {{64, 600}, {64, 600}}, 6, {0, 0, 64, 100}, 1},
      {"blocks row by row", 1200, 1200, 100, 100, 0, 0, false, 144,
       {{600, 600}, {600, 600}, {600, 600}, {600, 600}}, 12 * 7 + 7, {100, 100, 200, 200}, 3},
      {"system memory keeps one surface", 1200, 100, 100, 100, 0, 0, true, 12, {{1200, 100}}, 7,
       {700, 0, 800, 100}, 0},
      {"cells larger than 512", 1400, 10, 700, 10, 0, 0, false, 2, {{700, 10}, {700, 10}}, 1, {0, 0, 700, 10}, 1},
  };
  for (const TCutCase& c : cases) {
    SCOPED_TRACE(c.Title);
    TPictureSource source = SolidPicture("p", c.Width, c.Height, Red, c.PatternWidth, c.PatternHeight);
    source.SkipWidth = c.SkipWidth;
    source.SkipHeight = c.SkipHeight;
    source.SystemMemory = c.SystemMemory;
    TLoadedPictures pictures({source});
    TPictureCollectionItem& item = pictures["p"];
    EXPECT_EQ(item.PatternCount(), c.PatternCount);
    ASSERT_EQ(item.Surfaces().size(), c.SurfaceSizes.size());
    for (size_t i = 0; i < c.SurfaceSizes.size(); ++i) {
      EXPECT_EQ(item.Surfaces()[i]->Width(), c.SurfaceSizes[i].first) << "surface " << i;
      EXPECT_EQ(item.Surfaces()[i]->Height(), c.SurfaceSizes[i].second) << "surface " << i;
    }
    EXPECT_EQ(item.PatternRect(c.Probe), c.ProbeRect);
    EXPECT_EQ(item.PatternSurface(c.Probe), item.Surfaces()[c.ProbeSurface].get());
    // No pattern reaches past its surface.
    for (int32_t i = 0; i < item.PatternCount(); ++i) {
      EXPECT_LE(item.PatternRect(i).Right, item.PatternSurface(i)->Width()) << "pattern " << i;
      EXPECT_LE(item.PatternRect(i).Bottom, item.PatternSurface(i)->Height()) << "pattern " << i;
    }
  }
}

TEST(PictureBuilding, PatternsReadTheirOwnPixels) {
  // Three frames of 2 x 1 with a gap of 1: red, blue, white.
  TPictureSource source = GridPicture("frames", {"rr.bb.##"}, 2, 1);
  source.SkipWidth = 1;
  TLoadedPictures pictures({source});
  TPictureCollectionItem& item = pictures["frames"];
  ASSERT_EQ(item.PatternCount(), 3);
  TSurface dest(2, 1);
  for (int32_t i = 0; i < 3; ++i) {
    item.DrawPattern(dest, 0, 0, i);
    EXPECT_EQ(dest.Pixel(1, 0), TSurface::ColorToPixel(i == 0 ? Red : i == 1 ? Blue : White)) << "pattern " << i;
  }
}

TEST(PictureBuilding, OutOfRangePatternsAreEmptyAndDrawNothing) {
  TLoadedPictures pictures({SolidPicture("p", 300, 40, Red, 60, 40)});
  TPictureCollectionItem& item = pictures["p"];
  TSurface dest(60, 40);
  dest.Fill(7);
  for (int32_t index : {item.PatternCount(), -1}) {
    EXPECT_EQ(item.PatternRect(index), TRect{});
    EXPECT_EQ(item.PatternSurface(index), nullptr);
    item.DrawPattern(dest, 0, 0, index);
    item.StretchDrawPattern(dest, dest.ClientRect(), index);
  }
  EXPECT_EQ(dest.Pixel(0, 0), 7);
  item.StretchDrawPattern(dest, {0, 0, 30, 20}, 0);
  EXPECT_EQ(dest.Pixel(29, 19), TSurface::ColorToPixel(Red));
  EXPECT_EQ(dest.Pixel(30, 20), 7);
}

TEST(PictureBuilding, TransparencyFollowsTheItem) {
  TPictureSource source = GridPicture("p", {"r#"});
  source.TransparentColor = White;
  TLoadedPictures pictures({source});
  TPictureCollectionItem& item = pictures["p"];
  TSurface dest(2, 1);
  dest.Fill(7);
  item.DrawPattern(dest, 0, 0, 0);
  EXPECT_EQ(dest.Pixel(0, 0), TSurface::ColorToPixel(Red));
  EXPECT_EQ(dest.Pixel(1, 0), 7);

  // A new key colour re-keys the built surfaces.
  item.SetTransparentColor(Red);
  dest.Fill(7);
  item.DrawPattern(dest, 0, 0, 0);
  EXPECT_EQ(dest.Pixel(0, 0), 7);
  EXPECT_EQ(dest.Pixel(1, 0), 0xFFFF);

  item.Transparent = false;
  item.DrawPattern(dest, 0, 0, 0);
  EXPECT_EQ(dest.Pixel(0, 0), TSurface::ColorToPixel(Red));
}

TEST(PictureDevice, PrepareNeedsAnInitialisedDevice) {
  TFakeDevice device;
  device.Ready = false;
  TPictureCollection items;
  items.Add();
  try {
    items.Prepare(device);
    FAIL() << "no error";
  } catch (const EPictureCollectionError& e) {
    EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
  }
  EXPECT_FALSE(items.Items(0).Initialized());
}

TEST(PictureDevice, NothingIsDrawnBeforeTheDeviceIsUp) {
  TFakeDevice device;
  device.Ready = false;
  TPictureCollection items;
  items.LoadFromData(WritePictureArchive({SolidPicture("p", 4, 4, Red)}));
  TPictureCollectionItem& item = items.Find("p");
  item.Rebuild();
  EXPECT_FALSE(item.Initialized());
  EXPECT_TRUE(item.Surfaces().empty());
  TSurface dest(4, 4);
  item.DrawPattern(dest, 0, 0, 0);
  EXPECT_EQ(dest.Pixel(0, 0), 0);
}

TEST(PictureDevice, ReleaseAndRebuildGiveTheSamePatterns) {
  TLoadedPictures pictures({SolidPicture("strip", 1250, 100, Red, 100, 100), SolidPicture("bg", 800, 600, Blue)});
  TPictureCollectionItem& strip = pictures["strip"];
  const int32_t count = strip.PatternCount();
  const TRect rect = strip.PatternRect(11);

  // The full-screen switch: the device stops and starts again.
  pictures.Items.Release();
  EXPECT_FALSE(strip.Initialized());
  EXPECT_TRUE(strip.Surfaces().empty());
  pictures.Items.Prepare(pictures.Device);
  pictures.Items.Rebuild();
  EXPECT_EQ(strip.PatternCount(), count);
  EXPECT_EQ(strip.PatternRect(11), rect);
  TSurface dest(100, 100);
  strip.DrawPattern(dest, 0, 0, 11);
  EXPECT_EQ(dest.Pixel(99, 99), TSurface::ColorToPixel(Red));
  EXPECT_EQ(&pictures["strip"], &strip) << "items survive a rebuild";
}

TEST(PictureDevice, LoadingBuildsAtOnceOnlyWhenTheDeviceIsUp) {
  TFakeDevice device;
  TPictureCollection items;
  items.LoadFromData(WritePictureArchive({SolidPicture("p", 4, 4, Red)}));
  EXPECT_FALSE(items.Find("p").Initialized());
  items.Prepare(device);
  items.LoadFromData(WritePictureArchive({SolidPicture("q", 4, 4, Red)}));
  EXPECT_EQ(items.Count(), 1) << "loading replaces the items";
  EXPECT_TRUE(items.Find("q").Initialized());
  EXPECT_EQ(items.Find("q").PatternCount(), 1);
}

TEST(ColorTable, FixedEntriesThenPaletteColoursInTheLowestFreeEntries) {
  TPictureCollection items;
  items.BuildColorTable();
  EXPECT_EQ(items.ColorTable[1], (TRGBQuad{0, 0, 128, 0}));
  EXPECT_EQ(items.ColorTable[7], (TRGBQuad{192, 192, 192, 0}));
  EXPECT_EQ(items.ColorTable[8], TRGBQuad{});
  EXPECT_EQ(items.ColorTable[249], (TRGBQuad{0, 0, 255, 0}));
  EXPECT_EQ(items.ColorTable[252], (TRGBQuad{255, 0, 0, 0}));
  EXPECT_EQ(items.ColorTable[255], (TRGBQuad{255, 255, 255, 0}));

  // A true-colour DIB offers nothing; an 8-bit DIB offers its palette; a bitmap its palette.
  TPictureCollectionItem& deep = items.Add();
  deep.Picture.ClassName = "TDIB";
  deep.Picture.BitCount = 24;
  deep.Picture.Palette = {TRGBQuad{1, 2, 3, 0}};
  TPictureCollectionItem& indexed = items.Add();
  indexed.Picture.ClassName = "TDIB";
  indexed.Picture.BitCount = 8;
  indexed.Picture.Palette = {TRGBQuad{0, 0, 255, 0}, TRGBQuad{10, 20, 30, 0}, TRGBQuad{10, 20, 30, 0},
                             TRGBQuad{40, 50, 60, 99}};
  TPictureCollectionItem& bitmap = items.Add();
  bitmap.Picture.ClassName = "TBitmap";
  bitmap.Picture.BitCount = 24;
  bitmap.Picture.Palette = {TRGBQuad{70, 80, 90, 0}};
  items.BuildColorTable();
  EXPECT_EQ(items.ColorTable[8], (TRGBQuad{10, 20, 30, 0}));   // red (255, 0, 0) is already there
  EXPECT_EQ(items.ColorTable[9], (TRGBQuad{40, 50, 60, 0}));   // the reserved byte is not copied
  EXPECT_EQ(items.ColorTable[10], (TRGBQuad{70, 80, 90, 0}));
  EXPECT_EQ(items.ColorTable[11], TRGBQuad{});
}

TEST(ColorTable, ColoursBeyondTheTableAreDropped) {
  TPictureCollection items;
  for (int k = 0; k < 2; ++k) {
    TPictureCollectionItem& item = items.Add();
    item.Picture.ClassName = "TDIB";
    item.Picture.BitCount = 8;
    for (int i = 0; i < 256; ++i)
      item.Picture.Palette.push_back(TRGBQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(k + 1), 7, 0});
  }
  items.BuildColorTable();
  // 240 free entries take the first item's first 240 colours; entry 248 keeps its grey.
  EXPECT_EQ(items.ColorTable[8], (TRGBQuad{0, 1, 7, 0}));
  EXPECT_EQ(items.ColorTable[247], (TRGBQuad{239, 1, 7, 0}));
  EXPECT_EQ(items.ColorTable[248], (TRGBQuad{128, 128, 128, 0}));
}

}  // namespace
