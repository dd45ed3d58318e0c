#include "engine/PictureArchiveReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/Dib.h"
#include "engine/ObjectStream.h"
#include "engine/PictureCollection.h"
#include "engine/NameIndex.h"

namespace {


struct TNamedColor {
  std::string_view Name;
  uint32_t Color;
};

// The standard colours an archive may name instead of giving a number (0x00BBGGRR).
constexpr TNamedColor StandardColors[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000},     {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},      {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},      {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},      {"clWhite", 0xFFFFFF},
    {"clLtGray", 0xC0C0C0},     {"clDkGray", 0x808080},  {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},      {"clMedGray", 0xA4A0A0}, {"clNone", 0x1FFFFFFF},    {"clDefault", 0x20000000},
};

uint32_t ReadColor(TObjectReader& reader) {
  if (reader.NextValue() != TValueType::vaIdent) return static_cast<uint32_t>(reader.ReadInteger());
  const std::string ident = reader.ReadIdent();
  for (const TNamedColor& named : StandardColors)
    if (SameText(named.Name, ident)) return named.Color;
  throw EReadError(StreamMessages::InvalidPropertyValue);
}

// The picture block: a length byte and the class name, then the class's own data.
TPicture DecodePictureData(const std::vector<uint8_t>& block) {
  if (block.empty()) return TPicture{};
  const size_t nameLength = block[0];
  if (1 + nameLength > block.size()) throw EReadError(StreamMessages::StreamReadError);
  const std::string className(reinterpret_cast<const char*>(block.data()) + 1, nameLength);
  const std::span<const uint8_t> rest(block.data() + 1 + nameLength, block.size() - 1 - nameLength);
  if (className == "TDIB") return DecodeDib(rest);
  if (className == "TBitmap") {
    if (rest.size() < 4) throw EReadError(StreamMessages::StreamReadError);
    const uint32_t length = rest[0] | (rest[1] << 8) | (rest[2] << 16) | (static_cast<uint32_t>(rest[3]) << 24);
    if (length > rest.size() - 4) throw EReadError(StreamMessages::StreamReadError);
    if (length == 0) {
      TPicture empty;
      empty.ClassName = "TBitmap";
      return empty;
    }
    return DecodeBitmapFile(rest.subspan(4, length));
  }
  throw EReadError(StreamMessages::InvalidPropertyValue);
}

void ReadItem(TObjectReader& reader, TPictureCollectionItem& item) {
  while (!reader.EndOfList()) {
    const std::string property = reader.ReadStr();
    if (SameText(property, "Name"))
      item.SetName(reader.ReadString());
    else if (SameText(property, "PatternHeight"))
      item.PatternHeight = reader.ReadInteger();
    else if (SameText(property, "PatternWidth"))
      item.PatternWidth = reader.ReadInteger();
    else if (SameText(property, "SkipHeight"))
      item.SkipHeight = reader.ReadInteger();
    else if (SameText(property, "SkipWidth"))
      item.SkipWidth = reader.ReadInteger();
    else if (SameText(property, "SystemMemory"))
      item.SystemMemory = reader.ReadBoolean();
    else if (SameText(property, "Transparent"))
      item.Transparent = reader.ReadBoolean();
    else if (SameText(property, "TransparentColor"))
      item.SetTransparentColor(ReadColor(reader));
    else if (SameText(property, "Picture.Data"))
      item.Picture = DecodePictureData(reader.ReadBinary());
    else
      ThrowUnknownProperty(property);
  }
  reader.ReadListEnd();
}

void ReadList(TObjectReader& reader, TPictureCollection& collection) {
  reader.ReadCollection([&] { ReadItem(reader, collection.Add()); });
}

}  // namespace

void ReadPictureArchive(const std::vector<uint8_t>& data, TPictureCollection& collection) {
  TObjectReader reader(data);
  reader.ReadResourceHeader();
  reader.ReadSignature();
  std::string className;
  std::string objectName;
  reader.ReadObjectHead(className, objectName);
  while (!reader.EndOfList()) {
    const std::string property = reader.ReadStr();
    if (SameText(property, "List.ColorTable")) {
      const std::vector<uint8_t> table = reader.ReadBinary();
      if (!table.empty())
        std::memcpy(collection.ColorTable.data(), table.data(), std::min(table.size(), sizeof(collection.ColorTable)));
    } else if (SameText(property, "List")) {
      ReadList(reader, collection);
    } else {
      ThrowUnknownProperty(property);
    }
  }
  reader.ReadListEnd();
  // No child objects.
  if (reader.ReadValue() != TValueType::vaNull) throw EReadError(StreamMessages::InvalidStreamFormat);
}
