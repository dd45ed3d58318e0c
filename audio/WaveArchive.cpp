#include "audio/WaveArchive.h"

#include <cstring>

#include "audio/WaveList.h"

namespace {

// Value tags of the object stream.
enum : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};

constexpr const char* WaveProperty = "Wave.WAVE";

class TReader {
 public:
  explicit TReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}

  std::span<const uint8_t> Take(std::size_t count) {
    if (count > FBytes.size() - FAt) throw EWaveStreamError("Stream read error");
    const auto part = FBytes.subspan(FAt, count);
    FAt += count;
    return part;
  }
  uint8_t Byte() { return Take(1)[0]; }
  uint32_t U32() {
    const auto b = Take(4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  uint16_t U16() {
    const auto b = Take(2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  std::string ShortString() {
    const uint8_t length = Byte();
    const auto b = Take(length);
    return {b.begin(), b.end()};
  }
  uint8_t Peek() {
    if (FAt >= FBytes.size()) throw EWaveStreamError("Stream read error");
    return FBytes[FAt];
  }
  void Seek(std::size_t at) {
    if (at > FBytes.size()) throw EWaveStreamError("Stream read error");
    FAt = at;
  }

  int64_t Integer(uint8_t tag) {
    switch (tag) {
      case vaInt8: return static_cast<int8_t>(Byte());
      case vaInt16: return static_cast<int16_t>(U16());
      case vaInt32: return static_cast<int32_t>(U32());
      case vaInt64: {
        const uint64_t low = U32();
        const uint64_t high = U32();
        return static_cast<int64_t>(low | (high << 32));
      }
      default: throw EWaveStreamError("Invalid property value");
    }
  }

  std::string Text(uint8_t tag) {
    switch (tag) {
      case vaString:
      case vaIdent: return ShortString();
      case vaLString:
      case vaUTF8String: {
        const auto b = Take(U32());
        return {b.begin(), b.end()};
      }
      case vaWString: {
        const uint32_t count = U32();
        if (count > (FBytes.size() - FAt) / 2) throw EWaveStreamError("Stream read error");
        std::string text;
        for (uint32_t i = 0; i < count; ++i) AppendUtf8(text, U16());
        return text;
      }
      default: throw EWaveStreamError("Invalid property value");
    }
  }

 private:
  static void AppendUtf8(std::string& text, uint16_t c) {
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      text.push_back(static_cast<char>(0xC0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      text.push_back(static_cast<char>(0xE0 | (c >> 12)));
      text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }

  std::span<const uint8_t> FBytes;
  std::size_t FAt = 0;
};

bool Bool(uint8_t tag) {
  if (tag == vaTrue) return true;
  if (tag == vaFalse) return false;
  throw EWaveStreamError("Invalid property value");
}

void ReadItem(TReader& reader, TWaveCollectionItem& item) {
  while (reader.Peek() != vaNull) {
    const std::string property = reader.ShortString();
    const uint8_t tag = reader.Byte();
    if (property == "Name") {
      item.SetName(reader.Text(tag));
    } else if (property == "Looped") {
      item.Looped = Bool(tag);
    } else if (property == "MaxPlayingCount") {
      const int64_t count = reader.Integer(tag);
      if (count < 0 || count > INT32_MAX) throw EWaveStreamError("Invalid property value");
      item.MaxPlayingCount = static_cast<int32_t>(count);
    } else if (property == WaveProperty) {
      if (tag != vaBinary) throw EWaveStreamError("Invalid property value");
      const auto block = reader.Take(reader.U32());
      if (!block.empty()) item.Wave.LoadFromRiff(block);
    } else {
      throw EWaveStreamError("Property " + property + " does not exist");
    }
  }
  reader.Byte();
}

void ReadList(TReader& reader, TWaveCollection& collection) {
  while (reader.Peek() != vaNull) {
    uint8_t tag = reader.Byte();
    if (tag >= vaInt8 && tag <= vaInt32) {
      reader.Integer(tag);
      tag = reader.Byte();
    }
    if (tag != vaList) throw EWaveStreamError("Invalid property value");
    ReadItem(reader, collection.Add());
  }
  reader.Byte();
}

class TWriter {
 public:
  void Byte(uint8_t b) { FOut.push_back(b); }
  void U16(uint16_t v) {
    Byte(static_cast<uint8_t>(v));
    Byte(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void ShortString(const std::string& s) {
    Byte(static_cast<uint8_t>(s.size()));
    FOut.insert(FOut.end(), s.begin(), s.end());
  }
  void Text(const std::string& s) {
    if (s.size() < 256) {
      Byte(vaString);
      ShortString(s);
    } else {
      Byte(vaLString);
      U32(static_cast<uint32_t>(s.size()));
      FOut.insert(FOut.end(), s.begin(), s.end());
    }
  }
  void Integer(int32_t v) {
    if (v >= INT8_MIN && v <= INT8_MAX) {
      Byte(vaInt8);
      Byte(static_cast<uint8_t>(v));
    } else if (v >= INT16_MIN && v <= INT16_MAX) {
      Byte(vaInt16);
      U16(static_cast<uint16_t>(v));
    } else {
      Byte(vaInt32);
      U32(static_cast<uint32_t>(v));
    }
  }
  void Binary(const std::vector<uint8_t>& block) {
    Byte(vaBinary);
    U32(static_cast<uint32_t>(block.size()));
    FOut.insert(FOut.end(), block.begin(), block.end());
  }
  std::vector<uint8_t>& Out() { return FOut; }

 private:
  std::vector<uint8_t> FOut;
};

constexpr const char* ResourceName = "TWAVECOLLECTIONCOMPONENT";

}  // namespace

void ReadWaveArchive(std::span<const uint8_t> bytes, TWaveCollection& collection) {
  TReader reader(bytes);
  if (reader.Byte() != 0xFF || reader.U16() != 10) throw EWaveStreamError("Invalid stream format");
  std::size_t nameLength = 0;
  while (reader.Byte() != 0) ++nameLength;
  reader.Seek(nameLength + 10);
  const auto signature = reader.Take(4);
  if (std::memcmp(signature.data(), "TPF0", 4) != 0) throw EWaveStreamError("Invalid stream format");

  if ((reader.Peek() & 0xF0) == 0xF0) {
    const uint8_t flags = reader.Byte() & 0x0F;
    if (flags & 0x02) reader.Integer(reader.Byte());
  }
  reader.ShortString();  // class name: the reader supplies the collection
  reader.ShortString();  // object name
  while (reader.Peek() != vaNull) {
    const std::string property = reader.ShortString();
    if (property != "List") throw EWaveStreamError("Property " + property + " does not exist");
    if (reader.Byte() != vaCollection) throw EWaveStreamError("Invalid property value");
    ReadList(reader, collection);
  }
  reader.Byte();
  reader.Byte();  // no child objects
}

std::vector<uint8_t> WriteWaveArchive(const std::vector<TWaveSource>& sources) {
  TWriter body;
  for (const char c : {'T', 'P', 'F', '0'}) body.Byte(static_cast<uint8_t>(c));
  body.ShortString("TWaveCollectionComponent");
  body.ShortString("WaveList");
  body.ShortString("List");
  body.Byte(vaCollection);
  for (const TWaveSource& source : sources) {
    body.Byte(vaList);
    body.ShortString("Name");
    body.Text(source.Name);
    body.ShortString("Looped");
    body.Byte(source.Looped ? vaTrue : vaFalse);
    body.ShortString("MaxPlayingCount");
    body.Integer(source.MaxPlayingCount);
    body.ShortString(WaveProperty);
    body.Binary(source.Wave.SaveToRiff());
    body.Byte(vaNull);
  }
  body.Byte(vaNull);  // end of the collection
  body.Byte(vaNull);  // end of the properties
  body.Byte(vaNull);  // no children

  TWriter file;
  file.Byte(0xFF);
  file.U16(10);
  for (const char* c = ResourceName; *c != '\0'; ++c) file.Byte(static_cast<uint8_t>(*c));
  file.Byte(0);
  file.U16(0x1030);
  file.U32(static_cast<uint32_t>(body.Out().size()));
  std::vector<uint8_t> bytes = std::move(file.Out());
  const std::size_t header = bytes.size();
  bytes.resize(header + body.Out().size());
  std::memcpy(bytes.data() + header, body.Out().data(), body.Out().size());
  return bytes;
}
