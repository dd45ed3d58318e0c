#include "app/ComfortSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "app/ReplaceFile.h"

namespace {

constexpr std::array<const char*, 6> Keys = {"music_volume", "effects_volume", "sight_size",
                                             "sight_colour", "sound_output", "pad_speed"};

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Splits "key = value"; false for a line that is not one (comments and blank lines included).
bool SplitLine(const std::string& line, std::string& key, std::string& value) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == '#') return false;
  const auto equals = trimmed.find('=');
  if (equals == std::string::npos) return false;
  key = Trim(trimmed.substr(0, equals));
  value = Trim(trimmed.substr(equals + 1));
  return !key.empty();
}

bool IsKnown(const std::string& key) { return std::find(Keys.begin(), Keys.end(), key) != Keys.end(); }

std::optional<int> Number(const std::string& text, int low, int high, int step) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  if ((value - low) % step != 0) return std::nullopt;
  return value;
}

template <class E, std::size_t N>
std::optional<E> Choice(const std::string& text, const std::array<const char*, N>& names) {
  for (std::size_t i = 0; i < N; ++i)
    if (text == names[i]) return static_cast<E>(i);
  return std::nullopt;
}

constexpr std::array<const char*, 3> SizeNames = {"small", "normal", "large"};
constexpr std::array<const char*, 3> ColourNames = {"standard", "white", "magenta"};
constexpr std::array<const char*, 2> OutputNames = {"stereo", "mono"};

// Applies one known key; a value it cannot read leaves the default.
void Apply(TComfortSettings& s, const std::string& key, const std::string& value) {
  using S = TComfortSettings;
  if (key == "music_volume") {
    if (auto v = Number(value, 0, 100, S::VolumeStep)) s.MusicVolume = *v;
  } else if (key == "effects_volume") {
    if (auto v = Number(value, 0, 100, S::VolumeStep)) s.EffectsVolume = *v;
  } else if (key == "sight_size") {
    if (auto v = Choice<TSightSize>(value, SizeNames)) s.SightSize = *v;
  } else if (key == "sight_colour") {
    if (auto v = Choice<TSightColour>(value, ColourNames)) s.SightColour = *v;
  } else if (key == "sound_output") {
    if (auto v = Choice<int>(value, OutputNames)) s.Mono = *v == 1;
  } else if (key == "pad_speed") {
    if (auto v = Number(value, S::MinPadSpeed, S::MaxPadSpeed, S::PadSpeedStep)) s.PadSpeed = *v;
  }
}

std::string ValueOf(const TComfortSettings& s, const std::string& key) {
  if (key == "music_volume") return std::to_string(s.MusicVolume);
  if (key == "effects_volume") return std::to_string(s.EffectsVolume);
  if (key == "sight_size") return SightSizeName(s.SightSize);
  if (key == "sight_colour") return SightColourName(s.SightColour);
  if (key == "sound_output") return s.Mono ? "mono" : "stereo";
  return std::to_string(s.PadSpeed);
}

}  // namespace

TComfortSettings TComfortSettings::Load(const std::filesystem::path& path) {
  TComfortSettings settings;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    settings.Lines.push_back(line);
    std::string key;
    std::string value;
    if (SplitLine(line, key, value)) Apply(settings, key, value);
  }
  return settings;
}

std::string TComfortSettings::Text() const {
  std::ostringstream out;
  std::array<bool, Keys.size()> written{};
  for (const std::string& line : Lines) {
    std::string key;
    std::string value;
    if (!SplitLine(line, key, value)) {
      // Comments and blank lines stay; anything else was damage and goes.
      const std::string trimmed = Trim(line);
      if (trimmed.empty() || trimmed[0] == '#') out << line << '\n';
      continue;
    }
    if (!IsKnown(key)) {
      out << line << '\n';
      continue;
    }
    const auto index = static_cast<std::size_t>(std::find(Keys.begin(), Keys.end(), key) - Keys.begin());
    if (written[index]) continue;  // a repeated key is written once, where it first stood
    written[index] = true;
    out << key << " = " << ValueOf(*this, key) << '\n';
  }
  for (std::size_t i = 0; i < Keys.size(); ++i)
    if (!written[i]) out << Keys[i] << " = " << ValueOf(*this, Keys[i]) << '\n';
  return out.str();
}

bool TComfortSettings::Save(const std::filesystem::path& path) const {
  std::filesystem::path temp = path;
  temp += ".tmp";
  return ReplaceFile(path, temp, Text()).empty();
}

std::string SightPicture(const std::string& base, TSightSize size, TSightColour colour) {
  if (size == TSightSize::Normal && colour == TSightColour::Standard) return base;
  return base + "_" + SightSizeName(size) + "_" + SightColourName(colour);
}

const char* SightSizeName(TSightSize size) { return SizeNames[static_cast<std::size_t>(size)]; }
const char* SightColourName(TSightColour colour) { return ColourNames[static_cast<std::size_t>(colour)]; }
