#include "engine/ObjectStream.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

[[noreturn]] void ThrowReadError() { throw EReadError(StreamMessages::StreamReadError); }
[[noreturn]] void ThrowBadFormat() { throw EReadError(StreamMessages::InvalidStreamFormat); }
[[noreturn]] void ThrowBadValue() { throw EReadError(StreamMessages::InvalidPropertyValue); }

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf16ToUtf8(const std::vector<uint16_t>& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t cp = units[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;  // a lone surrogate
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::vector<uint16_t> Utf8ToUtf16(const std::string& text) {
  std::vector<uint16_t> out;
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<uint8_t>(text[i]);
    uint32_t cp = 0xFFFD;
    size_t extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    }
    ++i;
    for (size_t k = 0; k < extra; ++k, ++i) {
      if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) {
        cp = 0xFFFD;
        break;
      }
      cp = (cp << 6) | (static_cast<uint8_t>(text[i]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<uint16_t>(cp));
    }
  }
  return out;
}

}  // namespace

void ThrowUnknownProperty(const std::string& name) { throw EPropertyError("Property " + name + " does not exist"); }

// --- TObjectReader ---

void TObjectReader::Read(void* buffer, size_t count) {
  if (count > FData.size() - FPosition) ThrowReadError();
  if (count > 0) std::memcpy(buffer, FData.data() + FPosition, count);
  FPosition += count;
}

void TObjectReader::Skip(size_t count) {
  if (count > FData.size() - FPosition) ThrowReadError();
  FPosition += count;
}

uint8_t TObjectReader::ReadByte() {
  uint8_t value = 0;
  Read(&value, 1);
  return value;
}

uint16_t TObjectReader::ReadUInt16() {
  uint8_t b[2];
  Read(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TObjectReader::ReadUInt32() {
  uint8_t b[4];
  Read(b, 4);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

void TObjectReader::ReadResourceHeader() {
  const uint8_t marker = ReadByte();
  const uint16_t type = ReadUInt16();
  if (marker != 0xFF || type != 10) ThrowBadFormat();
  // The name, its terminator, 16-bit flags and 32-bit size.
  while (ReadByte() != 0) {
  }
  Skip(6);
}

void TObjectReader::ReadSignature() {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0) ThrowBadFormat();
}

void TObjectReader::ReadObjectHead(std::string& className, std::string& objectName) {
  const auto prefix = static_cast<uint8_t>(NextValue());
  if ((prefix & 0xF0) == 0xF0) {
    ReadByte();
    if ((prefix & 0x02) != 0) ReadInteger();
  }
  className = ReadStr();
  objectName = ReadStr();
}

std::string TObjectReader::ReadStr() {
  const uint8_t length = ReadByte();
  std::string text(length, '\0');
  Read(text.data(), length);
  return text;
}

TValueType TObjectReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

TValueType TObjectReader::NextValue() const {
  if (FPosition >= FData.size()) ThrowReadError();
  return static_cast<TValueType>(FData[FPosition]);
}

bool TObjectReader::EndOfList() const { return NextValue() == TValueType::vaNull; }

void TObjectReader::ReadListBegin() {
  if (ReadValue() != TValueType::vaList) ThrowBadValue();
}

void TObjectReader::ReadListEnd() {
  if (ReadValue() != TValueType::vaNull) ThrowBadValue();
}

void TObjectReader::ReadCollectionBegin() {
  if (ReadValue() != TValueType::vaCollection) ThrowBadValue();
}

void TObjectReader::ReadCollection(const std::function<void()>& readItem) {
  ReadCollectionBegin();
  while (!EndOfList()) {
    const TValueType next = NextValue();
    if (next == TValueType::vaInt8 || next == TValueType::vaInt16 || next == TValueType::vaInt32) ReadInteger();
    ReadListBegin();
    readItem();
  }
  ReadListEnd();
}

std::vector<uint8_t> ReadArchiveFile(const std::filesystem::path& path) {
  const auto cannotOpen = [&path](const std::string& reason) {
    return EFOpenError("Cannot open file \"" + path.string() + "\". " + reason);
  };
  std::error_code ignored;
  // A folder opens like a file here but has no bytes to read.
  if (std::filesystem::is_directory(path, ignored)) throw cannotOpen(std::strerror(EISDIR));
  std::ifstream file(path, std::ios::binary);
  if (!file) throw cannotOpen(std::strerror(errno));
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0, std::ios::beg);
  std::vector<uint8_t> data(size > 0 ? static_cast<size_t>(size) : 0);
  file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!file) throw cannotOpen("Read error");
  return data;
}

int32_t TObjectReader::ReadInteger() {
  switch (ReadValue()) {
    case TValueType::vaInt8:
      return static_cast<int8_t>(ReadByte());
    case TValueType::vaInt16:
      return static_cast<int16_t>(ReadUInt16());
    case TValueType::vaInt32:
      return static_cast<int32_t>(ReadUInt32());
    default:
      ThrowBadValue();
  }
}

bool TObjectReader::ReadBoolean() {
  switch (ReadValue()) {
    case TValueType::vaFalse:
      return false;
    case TValueType::vaTrue:
      return true;
    default:
      ThrowBadValue();
  }
}

std::string TObjectReader::ReadString() {
  switch (ReadValue()) {
    case TValueType::vaString:
      return ReadStr();
    case TValueType::vaLString:
    case TValueType::vaUTF8String: {
      const uint32_t length = ReadUInt32();
      if (length > FData.size() - FPosition) ThrowReadError();
      std::string text(length, '\0');
      Read(text.data(), length);
      return text;
    }
    case TValueType::vaWString: {
      const uint32_t length = ReadUInt32();
      if (length > (FData.size() - FPosition) / 2) ThrowReadError();
      std::vector<uint16_t> units(length);
      for (uint32_t i = 0; i < length; ++i) units[i] = ReadUInt16();
      return Utf16ToUtf8(units);
    }
    default:
      ThrowBadValue();
  }
}

std::string TObjectReader::ReadIdent() {
  switch (ReadValue()) {
    case TValueType::vaIdent:
      return ReadStr();
    case TValueType::vaFalse:
      return "False";
    case TValueType::vaTrue:
      return "True";
    case TValueType::vaNil:
      return "nil";
    case TValueType::vaNull:
      return "Null";
    default:
      ThrowBadValue();
  }
}

std::vector<uint8_t> TObjectReader::ReadBinary() {
  if (ReadValue() != TValueType::vaBinary) ThrowBadValue();
  const uint32_t length = ReadUInt32();
  if (length > FData.size() - FPosition) ThrowReadError();
  std::vector<uint8_t> bytes(length);
  Read(bytes.data(), length);
  return bytes;
}

void TObjectReader::SkipValue() {
  switch (NextValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
      ReadValue();
      return;
    case TValueType::vaList:
      ReadValue();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
      ReadInteger();
      return;
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String:
      ReadString();
      return;
    case TValueType::vaIdent:
      ReadIdent();
      return;
    case TValueType::vaBinary:
      ReadValue();
      Skip(ReadUInt32());
      return;
    case TValueType::vaCollection:
      ReadValue();
      while (!EndOfList()) {
        const auto tag = NextValue();
        if (tag == TValueType::vaInt8 || tag == TValueType::vaInt16 || tag == TValueType::vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
    default:
      ThrowBadValue();
  }
}

// --- TObjectWriter ---

void TObjectWriter::Write(const void* buffer, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  FData.insert(FData.end(), bytes, bytes + count);
}

void TObjectWriter::WriteByte(uint8_t value) { FData.push_back(value); }

void TObjectWriter::WriteUInt16(uint16_t value) {
  WriteByte(static_cast<uint8_t>(value));
  WriteByte(static_cast<uint8_t>(value >> 8));
}

void TObjectWriter::WriteUInt32(uint32_t value) {
  for (int i = 0; i < 4; ++i) WriteByte(static_cast<uint8_t>(value >> (8 * i)));
}

void TObjectWriter::WriteSignature() { Write("TPF0", 4); }

void TObjectWriter::WriteObjectHead(const std::string& className, const std::string& objectName) {
  WriteStr(className);
  WriteStr(objectName);
}

void TObjectWriter::WriteStr(const std::string& text) {
  const size_t length = std::min<size_t>(text.size(), 255);
  WriteByte(static_cast<uint8_t>(length));
  Write(text.data(), length);
}

void TObjectWriter::WriteValue(TValueType tag) { WriteByte(static_cast<uint8_t>(tag)); }

void TObjectWriter::WriteInteger(int32_t value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(TValueType::vaInt8);
    WriteByte(static_cast<uint8_t>(value));
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(TValueType::vaInt16);
    WriteUInt16(static_cast<uint16_t>(value));
  } else {
    WriteValue(TValueType::vaInt32);
    WriteUInt32(static_cast<uint32_t>(value));
  }
}

void TObjectWriter::WriteBoolean(bool value) { WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse); }

void TObjectWriter::WriteString(const std::string& text) {
  if (text.size() <= 255) {
    WriteValue(TValueType::vaString);
    WriteStr(text);
  } else {
    WriteValue(TValueType::vaLString);
    WriteUInt32(static_cast<uint32_t>(text.size()));
    Write(text.data(), text.size());
  }
}

void TObjectWriter::WriteUtf8String(const std::string& text) {
  WriteValue(TValueType::vaUTF8String);
  WriteUInt32(static_cast<uint32_t>(text.size()));
  Write(text.data(), text.size());
}

void TObjectWriter::WriteWideString(const std::string& text) {
  const std::vector<uint16_t> units = Utf8ToUtf16(text);
  WriteValue(TValueType::vaWString);
  WriteUInt32(static_cast<uint32_t>(units.size()));
  for (uint16_t unit : units) WriteUInt16(unit);
}

void TObjectWriter::WriteIdent(const std::string& ident) {
  WriteValue(TValueType::vaIdent);
  WriteStr(ident);
}

void TObjectWriter::WriteBinary(std::span<const uint8_t> bytes) {
  WriteValue(TValueType::vaBinary);
  WriteUInt32(static_cast<uint32_t>(bytes.size()));
  Write(bytes.data(), bytes.size());
}

std::vector<uint8_t> WrapInResource(const std::string& name, const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> out;
  out.reserve(stream.size() + name.size() + 10);
  out.push_back(0xFF);
  out.push_back(10);
  out.push_back(0);
  for (char c : name) out.push_back(static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(c))));
  out.push_back(0);
  out.push_back(0x30);
  out.push_back(0x10);
  const auto size = static_cast<uint32_t>(stream.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}
