#include "audio/WaveArchive.h"

#include <string_view>

#include "audio/WaveList.h"
#include "engine/NameIndex.h"

namespace {

// The wave's byte block is stored under the path of the property that holds it.
constexpr std::string_view WaveProperty = "Wave.WAVE";

void ReadItem(TObjectReader& reader, TWaveCollectionItem& item) {
  while (!reader.EndOfList()) {
    const std::string property = reader.ReadStr();
    if (SameText(property, "Name")) {
      item.SetName(reader.ReadString());
    } else if (SameText(property, "Looped")) {
      item.Looped = reader.ReadBoolean();
    } else if (SameText(property, "MaxPlayingCount")) {
      const int32_t count = reader.ReadInteger();
      if (count < 0) throw EReadError(StreamMessages::InvalidPropertyValue);
      item.MaxPlayingCount = count;
    } else if (SameText(property, WaveProperty)) {
      const std::vector<uint8_t> block = reader.ReadBinary();
      if (!block.empty()) item.Wave.LoadFromRiff(block);
    } else {
      ThrowUnknownProperty(property);
    }
  }
  reader.ReadListEnd();
}

}  // namespace

void ReadWaveArchive(std::span<const uint8_t> bytes, TWaveCollection& collection) {
  TObjectReader reader(bytes);
  reader.ReadResourceHeader();
  reader.ReadSignature();
  std::string className;
  std::string objectName;
  reader.ReadObjectHead(className, objectName);  // the reader supplies the collection
  while (!reader.EndOfList()) {
    const std::string property = reader.ReadStr();
    if (!SameText(property, "List")) ThrowUnknownProperty(property);
    reader.ReadCollection([&] { ReadItem(reader, collection.Add()); });
  }
  reader.ReadListEnd();
  reader.ReadListEnd();  // no child objects
}

std::vector<uint8_t> WriteWaveArchive(const std::vector<TWaveSource>& sources) {
  TObjectWriter writer;
  writer.WriteSignature();
  writer.WriteObjectHead("TWaveCollectionComponent", "WaveList");
  writer.WriteStr("List");
  writer.WriteCollectionBegin();
  for (const TWaveSource& source : sources) {
    writer.WriteListBegin();
    writer.WriteStr("Name");
    writer.WriteString(source.Name);
    writer.WriteStr("Looped");
    writer.WriteBoolean(source.Looped);
    writer.WriteStr("MaxPlayingCount");
    writer.WriteInteger(source.MaxPlayingCount);
    writer.WriteStr(std::string(WaveProperty));
    writer.WriteBinary(source.Wave.SaveToRiff());
    writer.WriteListEnd();
  }
  writer.WriteListEnd();  // end of the collection
  writer.WriteListEnd();  // end of the properties
  writer.WriteListEnd();  // no children
  return WrapInResource("TWaveCollectionComponent", writer.Data());
}
