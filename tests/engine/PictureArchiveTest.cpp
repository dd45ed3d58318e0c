#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Dib.h"
#include "engine/ObjectStream.h"
#include "engine/PictureArchiveWriter.h"
#include "engine/PictureCollection.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using namespace enginetest;
using TWrite = std::function<void(TObjectWriter&)>;

// An archive written by hand, so a test can break any part of it: the root's properties come from
// body, then the two list ends.
std::vector<uint8_t> HandArchive(const TWrite& body) {
  TObjectWriter w;
  w.WriteSignature();
  w.WriteObjectHead("TPictureCollectionComponent", "");
  body(w);
  w.WriteListEnd();
  w.WriteListEnd();
  return WrapInResource("TPictureCollectionComponent", w.Data());
}

// The "List" property holding the given items.
TWrite List(const std::vector<TWrite>& items) {
  return [items](TObjectWriter& w) {
    w.WriteStr("List");
    w.WriteCollectionBegin();
    for (const TWrite& item : items) {
      w.WriteListBegin();
      item(w);
      w.WriteListEnd();
    }
    w.WriteListEnd();
  };
}

// Appends byte by byte: GCC 12 warns falsely on vector inserts of this shape.
void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) to.push_back(b);
}

std::vector<uint8_t> PictureBlock(const std::string& className, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> block;
  block.push_back(static_cast<uint8_t>(className.size()));
  for (char c : className) block.push_back(static_cast<uint8_t>(c));
  Append(block, data);
  return block;
}

// A named 1 x 1 red picture.
TWrite GoodItem(const std::string& name) {
  return [name](TObjectWriter& w) {
    w.WriteStr("Name");
    w.WriteString(name);
    w.WriteStr("Picture.Data");
    w.WriteBinary(PictureBlock("TDIB", EncodeDib24(1, 1, std::vector<uint8_t>{0, 0, 255})));
  };
}

TWrite Then(TWrite first, TWrite second) {
  return [first, second](TObjectWriter& w) {
    first(w);
    second(w);
  };
}

TWrite Property(const std::string& name, const TWrite& value) {
  return [name, value](TObjectWriter& w) {
    w.WriteStr(name);
    value(w);
  };
}

std::string LoadError(const std::vector<uint8_t>& data, TPictureCollection& items) {
  try {
    items.LoadFromData(data);
  } catch (const EFilerError& e) {
    return std::string("stream: ") + e.what();
  } catch (const EInvalidGraphic& e) {
    return std::string("graphic: ") + e.what();
  }
  return "no error";
}

TEST(PictureArchive, WriterAndReaderAgreeOnEveryProperty) {
  TPictureSource strip = GridPicture("terror1_move", {"rb.#", "#.br"}, 1, 2);
  strip.SkipWidth = 0;
  strip.SkipHeight = 3;
  strip.SystemMemory = true;
  strip.Transparent = false;
  strip.TransparentColor = 0x00FF00FF;
  TPictureSource wide = SolidPicture(std::string(300, 'n'), 3, 1, Blue);
  wide.SkipWidth = -1;

  TPictureCollection items;
  items.LoadFromData(WritePictureArchive({strip, wide}));
  ASSERT_EQ(items.Count(), 2);
  const TPictureCollectionItem& a = items.Items(0);
  EXPECT_EQ(a.Name(), "terror1_move");
  EXPECT_EQ(a.PatternWidth, 1);
  EXPECT_EQ(a.PatternHeight, 2);
  EXPECT_EQ(a.SkipWidth, 0);
  EXPECT_EQ(a.SkipHeight, 3);
  EXPECT_TRUE(a.SystemMemory);
  EXPECT_FALSE(a.Transparent);
  EXPECT_EQ(a.TransparentColor(), 0x00FF00FFu);
  EXPECT_EQ(a.Picture.ClassName, "TDIB");
  EXPECT_EQ(a.Picture.BitCount, 24);
  EXPECT_EQ(a.Picture.Pixels, (std::vector<uint32_t>{Red, Blue, Black, White, White, Black, Blue, Red}));
  const TPictureCollectionItem& b = items.Items(1);
  EXPECT_EQ(b.Name(), std::string(300, 'n'));
  EXPECT_EQ(b.SkipWidth, -1);
  EXPECT_TRUE(b.Transparent);
  EXPECT_EQ(b.Picture.Width, 3);

  EXPECT_THROW(WritePictureArchive({TPictureSource{"bad", 2, 2, {1, 2, 3}}}), std::invalid_argument);
}

TEST(PictureArchive, EveryValueTagIsRead) {
  std::vector<uint8_t> table(1024);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 7);
  const auto data = HandArchive(Then(
      Property("List.ColorTable", [&](TObjectWriter& w) { w.WriteBinary(table); }),
      List({
          Then(GoodItem("short"), Property("TransparentColor", [](TObjectWriter& w) { w.WriteIdent("clFuchsia"); })),
          [](TObjectWriter& w) {
            w.WriteStr("name");  // property names ignore case
            w.WriteValue(TValueType::vaLString);
            w.Write("\x04\x00\x00\x00long", 8);
            w.WriteStr("PatternWidth");
            w.WriteInteger(-20000);
            w.WriteStr("PatternHeight");
            w.WriteInteger(100000);
            w.WriteStr("TransparentColor");
            w.WriteIdent("CLWHITE");
          },
          [](TObjectWriter& w) {
            w.WriteStr("Name");
            w.WriteWideString("wide \xC3\xA9");
          },
          [](TObjectWriter& w) {
            w.WriteStr("Name");
            w.WriteUtf8String("utf8");
            w.WriteStr("Picture.Data");
            w.WriteBinary(std::vector<uint8_t>{});
          },
      })));
  TPictureCollection items;
  items.LoadFromData(data);
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items.ColorTable[1].Blue, 4 * 7);
  EXPECT_EQ(items.Find("short").TransparentColor(), 0xFF00FFu);
  EXPECT_EQ(items.Find("long").PatternWidth, -20000);
  EXPECT_EQ(items.Find("long").PatternHeight, 100000);
  EXPECT_EQ(items.Find("long").TransparentColor(), 0xFFFFFFu);
  EXPECT_EQ(items.IndexOf("wide \xC3\xA9"), 2);
  EXPECT_TRUE(items.Find("utf8").Picture.Empty());
}

TEST(PictureArchive, ObjectHeadPrefixAndItemIndexesAreSkipped) {
  TObjectWriter w;
  w.WriteSignature();
  w.WriteByte(0xF2);  // flags with an index after it
  w.WriteInteger(3);
  w.WriteObjectHead("TSomethingElse", "Images");
  w.WriteStr("List");
  w.WriteCollectionBegin();
  w.WriteInteger(0);
  w.WriteListBegin();
  GoodItem("indexed")(w);
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  TPictureCollection items;
  items.LoadFromData(WrapInResource("X", w.Data()));
  EXPECT_EQ(items.IndexOf("indexed"), 0);
}

TEST(PictureArchive, BitmapFilePictures) {
  const std::vector<uint8_t> dib = EncodeDib24(2, 1, std::vector<uint8_t>{255, 0, 0, 0, 255, 0});
  std::vector<uint8_t> file{'B', 'M'};
  const auto put32 = [&file](uint32_t v) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  put32(static_cast<uint32_t>(14 + dib.size()));
  put32(0);
  put32(14 + 40);
  Append(file, dib);
  std::vector<uint8_t> data;
  const uint32_t length = static_cast<uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(length >> (8 * i)));
  Append(data, file);

  TPictureCollection items;
  items.LoadFromData(HandArchive(List({[&](TObjectWriter& w) {
    w.WriteStr("Name");
    w.WriteString("bmp");
    w.WriteStr("Picture.Data");
    w.WriteBinary(PictureBlock("TBitmap", data));
  }})));
  const TPicture& picture = items.Find("bmp").Picture;
  EXPECT_EQ(picture.ClassName, "TBitmap");
  EXPECT_EQ(picture.Pixels, (std::vector<uint32_t>{Blue, Green}));
}

struct TBadCase {
  const char* Title;
  std::function<std::vector<uint8_t>()> Data;
  const char* Expected;
};

TEST(PictureArchive, MalformedArchivesRaiseTheirMessages) {
  const std::vector<uint8_t> good = WritePictureArchive({SolidPicture("a", 2, 2, Red), SolidPicture("b", 2, 2, Red)});
  const auto withByte = [good](size_t at, uint8_t value) {
    std::vector<uint8_t> data = good;
    data[at] = value;
    return data;
  };
  const auto item = [](TWrite props) { return HandArchive(List({GoodItem("first"), props})); };
  const auto badDib = [](std::vector<uint8_t> dib) {
    return [dib](TObjectWriter& w) {
      w.WriteStr("Picture.Data");
      w.WriteBinary(PictureBlock("TDIB", dib));
    };
  };
  std::vector<uint8_t> longHeader = EncodeDib24(1, 1, std::vector<uint8_t>{1, 2, 3});
  longHeader[0] = 108;
  std::vector<uint8_t> shortPixels = EncodeDib24(4, 4, std::vector<uint8_t>(48));
  shortPixels.resize(shortPixels.size() - 1);
  const size_t signature = 1 + 2 + std::string("TPICTURECOLLECTIONCOMPONENT").size() + 1 + 2 + 4;

  const std::vector<TBadCase> cases = {
      {"empty file", [] { return std::vector<uint8_t>{}; }, "stream: Stream read error"},
      {"not a resource", [&] { return withByte(0, 0xFE); }, "stream: Invalid stream format"},
      {"resource of another type", [&] { return withByte(1, 11); }, "stream: Invalid stream format"},
      {"wrong signature", [&] { return withByte(signature + 3, '1'); }, "stream: Invalid stream format"},
      {"cut in the middle",
       [&] { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)); },
       "stream: Stream read error"},
      {"last byte missing", [&] { return std::vector<uint8_t>(good.begin(), good.end() - 1); },
       "stream: Stream read error"},
      {"unknown root property", [] { return HandArchive(Property("Foo", [](TObjectWriter& w) { w.WriteInteger(1); })); },
       "stream: Property Foo does not exist"},
      {"unknown item property",
       [&] { return item(Property("Colour", [](TObjectWriter& w) { w.WriteInteger(1); })); },
       "stream: Property Colour does not exist"},
      {"text for an integer",
       [&] { return item(Property("PatternWidth", [](TObjectWriter& w) { w.WriteString("60"); })); },
       "stream: Invalid property value"},
      {"integer for a boolean",
       [&] { return item(Property("Transparent", [](TObjectWriter& w) { w.WriteInteger(1); })); },
       "stream: Invalid property value"},
      {"unknown value tag", [&] { return item(Property("Name", [](TObjectWriter& w) { w.WriteByte(99); })); },
       "stream: Invalid property value"},
      {"unknown colour name",
       [&] { return item(Property("TransparentColor", [](TObjectWriter& w) { w.WriteIdent("clPlaid"); })); },
       "stream: Invalid property value"},
      {"list that is no collection",
       [] {
         return HandArchive(Property("List", [](TObjectWriter& w) {
           w.WriteListBegin();
           w.WriteListEnd();
         }));
       },
       "stream: Invalid property value"},
      {"unknown picture class",
       [&] {
         return item(Property("Picture.Data", [](TObjectWriter& w) { w.WriteBinary(PictureBlock("TJPEGImage", {1})); }));
       },
       "stream: Invalid property value"},
      {"picture class name past its block",
       [&] { return item(Property("Picture.Data", [](TObjectWriter& w) { w.WriteBinary(std::vector<uint8_t>{9, 'T'}); })); },
       "stream: Stream read error"},
      {"byte block longer than the file",
       [&] {
         return item(Property("Picture.Data", [](TObjectWriter& w) {
           w.WriteValue(TValueType::vaBinary);
           w.Write("\xFF\xFF\xFF\x7F", 4);
         }));
       },
       "stream: Stream read error"},
      {"bad DIB header", [&] { return item(badDib(longHeader)); }, "graphic: DIB is invalid"},
      {"DIB pixels cut short", [&] { return item(badDib(shortPixels)); }, "graphic: DIB is invalid"},
      {"a child object",
       [] {
         TObjectWriter w;
         w.WriteSignature();
         w.WriteObjectHead("TPictureCollectionComponent", "");
         w.WriteListEnd();
         w.WriteObjectHead("TChild", "c");
         w.WriteListEnd();
         w.WriteListEnd();
         return WrapInResource("X", w.Data());
       },
       "stream: Invalid stream format"},
  };
  for (const TBadCase& c : cases) {
    TPictureCollection items;
    EXPECT_EQ(LoadError(c.Data(), items), c.Expected) << c.Title;
  }
}

TEST(PictureArchive, ItemsReadBeforeAnErrorStay) {
  TPictureCollection items;
  const auto data = HandArchive(
      List({GoodItem("first"), Then(GoodItem("second"), Property("Bogus", [](TObjectWriter& w) { w.WriteInteger(0); }))}));
  EXPECT_THROW(items.LoadFromData(data), EPropertyError);
  EXPECT_EQ(items.IndexOf("first"), 0);
  EXPECT_EQ(items.IndexOf("second"), 1);
}

TEST(PictureArchive, FilesOnDisk) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "zarvok-engine-archive";
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / "Graphic.dxg";
  WritePictureArchiveFile(path, {SolidPicture("menu", 8, 8, Red)});
  EXPECT_FALSE(std::filesystem::exists(folder / "Graphic.dxg.tmp"));

  TPictureCollection items;
  items.LoadFromFile(path);
  EXPECT_EQ(items.Find("MENU").Width(), 8);

  const std::filesystem::path missing = folder / "Missing.dxg";
  try {
    items.LoadFromFile(missing);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing.string() + "\". No such file or directory");
  }
  EXPECT_THROW(items.LoadFromFile(folder), EFOpenError);
  // A failed open leaves the library as it was.
  EXPECT_EQ(items.Count(), 1);
  std::filesystem::remove_all(folder);
}

}  // namespace
