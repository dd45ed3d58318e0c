#include "engine/PictureArchiveWriter.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "engine/Dib.h"
#include "engine/ObjectStream.h"
#include "engine/PictureCollection.h"

namespace {

constexpr const char* ComponentClass = "TPictureCollectionComponent";

// The colour table the reader's BuildColorTable gives for true-colour pictures.
std::vector<uint8_t> DefaultColorTable() {
  TPictureCollection empty;
  empty.BuildColorTable();
  std::vector<uint8_t> bytes;
  bytes.reserve(1024);
  for (const TRGBQuad& q : empty.ColorTable) {
    bytes.push_back(q.Blue);
    bytes.push_back(q.Green);
    bytes.push_back(q.Red);
    bytes.push_back(q.Reserved);
  }
  return bytes;
}

}  // namespace

std::vector<uint8_t> WritePictureArchive(const std::vector<TPictureSource>& sources) {
  TObjectWriter w;
  w.WriteSignature();
  w.WriteObjectHead(ComponentClass, "");
  w.WriteStr("List.ColorTable");
  w.WriteBinary(DefaultColorTable());
  w.WriteStr("List");
  w.WriteCollectionBegin();
  for (const TPictureSource& source : sources) {
    if (source.Bgr.size() != static_cast<size_t>(source.Width) * source.Height * 3 || source.Width < 0 ||
        source.Height < 0)
      throw std::invalid_argument("picture '" + source.Name + "': pixels do not match its size");
    w.WriteListBegin();
    w.WriteStr("Name");
    w.WriteString(source.Name);
    w.WriteStr("PatternHeight");
    w.WriteInteger(source.PatternHeight);
    w.WriteStr("PatternWidth");
    w.WriteInteger(source.PatternWidth);
    std::vector<uint8_t> block{4, 'T', 'D', 'I', 'B'};
    const std::vector<uint8_t> dib = EncodeDib24(source.Width, source.Height, source.Bgr);
    block.insert(block.end(), dib.begin(), dib.end());
    w.WriteStr("Picture.Data");
    w.WriteBinary(block);
    if (source.SkipHeight != 0) {
      w.WriteStr("SkipHeight");
      w.WriteInteger(source.SkipHeight);
    }
    if (source.SkipWidth != 0) {
      w.WriteStr("SkipWidth");
      w.WriteInteger(source.SkipWidth);
    }
    w.WriteStr("SystemMemory");
    w.WriteBoolean(source.SystemMemory);
    w.WriteStr("Transparent");
    w.WriteBoolean(source.Transparent);
    w.WriteStr("TransparentColor");
    w.WriteInteger(static_cast<int32_t>(source.TransparentColor));
    w.WriteListEnd();
  }
  w.WriteListEnd();  // the collection
  w.WriteListEnd();  // the properties
  w.WriteListEnd();  // no child objects
  return WrapInResource(ComponentClass, w.Data());
}

void WritePictureArchiveFile(const std::filesystem::path& path, const std::vector<TPictureSource>& sources) {
  const std::vector<uint8_t> bytes = WritePictureArchive(sources);
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw std::runtime_error("Cannot write file \"" + path.string() + "\"");
    }
  }
  std::filesystem::rename(temporary, path);
}
