#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// The tags that start each value of an object stream.
enum class TValueType : uint8_t {
  vaNull = 0,  // ends a list
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,  // length byte
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,  // 32-bit length
  vaSet = 11,
  vaLString = 12,  // 32-bit length
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,  // UTF-16, 32-bit length in characters
  vaInt64 = 19,
  vaUTF8String = 20,  // 32-bit length
};

// A malformed object stream.
class EFilerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// "Invalid stream format", "Stream read error", "Invalid property value".
class EReadError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};
// "Property %s does not exist".
class EPropertyError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

namespace StreamMessages {
inline constexpr const char* InvalidStreamFormat = "Invalid stream format";
inline constexpr const char* StreamReadError = "Stream read error";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
}  // namespace StreamMessages

// "Property %s does not exist" for the named property.
[[noreturn]] void ThrowUnknownProperty(const std::string& name);

// Reads the resource-wrapped "TPF0" object stream of the picture and wave archives. Every read past
// the end raises "Stream read error"; a value of the wrong kind raises "Invalid property value".
// Raised when a file cannot be opened: "Cannot open file "%s". %s".
class EFOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole of an archive file, or EFOpenError with the system's reason.
std::vector<uint8_t> ReadArchiveFile(const std::filesystem::path& path);

class TObjectReader {
 public:
  explicit TObjectReader(std::span<const uint8_t> data) : FData(data) {}

  size_t Position() const { return FPosition; }
  size_t Size() const { return FData.size(); }

  void Read(void* buffer, size_t count);
  uint8_t ReadByte();
  // The resource header: byte 0xFF, type 10, a zero-terminated name, flags and size; the stream
  // goes on after it.
  void ReadResourceHeader();
  // "TPF0".
  void ReadSignature();
  // The object head: the optional prefix byte 0xF0..0xFF (flag 0x02: an integer follows), then the
  // class name and the object name.
  void ReadObjectHead(std::string& className, std::string& objectName);
  // A length byte and that many characters (property, class and object names).
  std::string ReadStr();

  TValueType ReadValue();
  TValueType NextValue() const;
  // True (without consuming it) when the next byte ends a list.
  bool EndOfList() const;
  void ReadListBegin();
  void ReadListEnd();
  // Tag 14.
  void ReadCollectionBegin();
  // A whole collection: each item's optional index is skipped, its list opened, and readItem
  // reads its properties up to and including the list's end.
  void ReadCollection(const std::function<void()>& readItem);

  int32_t ReadInteger();
  bool ReadBoolean();
  // Tags 6, 12, 18 and 20, as UTF-8.
  std::string ReadString();
  // Tag 7, and the words false, true, nil and null that tags 8, 9, 13 and 0 stand for.
  std::string ReadIdent();
  // Tag 10.
  std::vector<uint8_t> ReadBinary();
  // Skips one value of any known tag.
  void SkipValue();

 private:
  void Skip(size_t count);
  uint16_t ReadUInt16();
  uint32_t ReadUInt32();

  std::span<const uint8_t> FData;
  size_t FPosition = 0;
};

// Writes the stream TObjectReader reads; WrapInResource adds the resource header.
class TObjectWriter {
 public:
  const std::vector<uint8_t>& Data() const { return FData; }

  void Write(const void* buffer, size_t count);
  void WriteByte(uint8_t value);
  void WriteSignature();
  void WriteObjectHead(const std::string& className, const std::string& objectName);
  // A length byte and up to 255 characters.
  void WriteStr(const std::string& text);
  void WriteValue(TValueType tag);
  void WriteListBegin() { WriteValue(TValueType::vaList); }
  void WriteListEnd() { WriteValue(TValueType::vaNull); }
  void WriteCollectionBegin() { WriteValue(TValueType::vaCollection); }
  // With the smallest integer tag that holds the value.
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value);
  // Tag 6 up to 255 bytes, else tag 12.
  void WriteString(const std::string& text);
  void WriteUtf8String(const std::string& text);
  // UTF-8 in, UTF-16 out.
  void WriteWideString(const std::string& text);
  void WriteIdent(const std::string& ident);
  void WriteBinary(std::span<const uint8_t> bytes);

 private:
  void WriteUInt16(uint16_t value);
  void WriteUInt32(uint32_t value);

  std::vector<uint8_t> FData;
};

// The resource header (0xFF, type 10, the name in capitals, flags 0x1030, size) and the stream.
std::vector<uint8_t> WrapInResource(const std::string& name, const std::vector<uint8_t>& stream);
