#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/PictureArchiveWriter.h"
#include "engine/PictureCollection.h"
#include "platform/Platform.h"

namespace enginetest {

// Colours of the character grids (0x00BBGGRR); '.' is the transparent black.
inline constexpr uint32_t Black = 0x000000;
inline constexpr uint32_t White = 0xFFFFFF;
inline constexpr uint32_t Red = 0x0000FF;
inline constexpr uint32_t Green = 0x00FF00;
inline constexpr uint32_t Blue = 0xFF0000;

inline uint32_t GridColor(char c) {
  switch (c) {
    case '#': return White;
    case 'r': return Red;
    case 'g': return Green;
    case 'b': return Blue;
    default: return Black;
  }
}

// A picture drawn as rows of characters (see GridColor), keyed on black.
inline TPictureSource GridPicture(const std::string& name, const std::vector<std::string>& rows,
                                  int32_t patternWidth = 0, int32_t patternHeight = 0) {
  TPictureSource source;
  source.Name = name;
  source.Height = static_cast<int32_t>(rows.size());
  source.Width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  source.PatternWidth = patternWidth;
  source.PatternHeight = patternHeight;
  for (const std::string& row : rows) {
    for (char c : row) {
      const uint32_t colour = GridColor(c);
      source.Bgr.push_back(static_cast<uint8_t>(colour >> 16));
      source.Bgr.push_back(static_cast<uint8_t>(colour >> 8));
      source.Bgr.push_back(static_cast<uint8_t>(colour));
    }
  }
  return source;
}

// A plain picture of one colour.
inline TPictureSource SolidPicture(const std::string& name, int32_t width, int32_t height, uint32_t colour,
                                   int32_t patternWidth = 0, int32_t patternHeight = 0) {
  TPictureSource source;
  source.Name = name;
  source.Width = width;
  source.Height = height;
  source.PatternWidth = patternWidth;
  source.PatternHeight = patternHeight;
  for (int32_t i = 0; i < width * height; ++i) {
    source.Bgr.push_back(static_cast<uint8_t>(colour >> 16));
    source.Bgr.push_back(static_cast<uint8_t>(colour >> 8));
    source.Bgr.push_back(static_cast<uint8_t>(colour));
  }
  return source;
}

// A device whose readiness a test switches.
class TFakeDevice : public TPictureDevice {
 public:
  bool Ready = true;
  bool DeviceInitialized() const override { return Ready; }
};

// A picture library loaded through the archive writer and reader, built for a ready device.
class TLoadedPictures {
 public:
  explicit TLoadedPictures(const std::vector<TPictureSource>& sources) {
    Items.Prepare(Device);
    Items.LoadFromData(WritePictureArchive(sources));
  }
  TPictureCollectionItem& operator[](const std::string& name) { return Items.Find(name); }

  TFakeDevice Device;
  TPictureCollection Items;
};

// A window that only counts what it is asked to do.
class TFakeWindow : public TWindow {
 public:
  void SetCaption(const std::string& caption) override { FCaption = caption; }
  std::string Caption() const override { return FCaption; }
  void SetBorderStyle(TBorderStyle) override {}
  TWindowState WindowState() const override { return TWindowState::wsNormal; }
  void SetWindowState(TWindowState) override {}
  void SavePlacement() override {}
  void RestorePlacement() override {}
  bool SetFullScreen(bool) override { return true; }
  void HidePointer() override {}
  void Present(const TSurface&) override { ++Presented; }
  bool WaitEvent(TPlatformEvent&, uint32_t) override { return false; }
  void ShowMessage(const std::string&, const std::string&) override {}

  int Presented = 0;

 private:
  std::string FCaption;
};

}  // namespace enginetest
