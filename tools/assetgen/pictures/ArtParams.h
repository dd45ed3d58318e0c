#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "ArtCanvas.h"

// The artist's knobs: "key = value" lines from every .txt file under assets/pictures/ (colours
// as #rrggbb, numbers as decimals, '#' at the start of a line is a comment). Code supplies the
// defaults, so a missing key keeps the house look.
class TArtParams {
 public:
  TArtParams() = default;
  explicit TArtParams(const std::filesystem::path& folder);

  TColor Color(const std::string& key, uint32_t fallback) const;
  TColor Color(const std::string& key, const TColor& fallback) const;
  double Number(const std::string& key, double fallback) const;
  std::string Text(const std::string& key, const std::string& fallback) const;
  const std::filesystem::path& Folder() const { return FFolder; }

 private:
  std::filesystem::path FFolder;
  std::map<std::string, std::string> FValues;
};
