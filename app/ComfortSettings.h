#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The comfort settings live in a file of their own beside Config.cfg (in the same folder), so
// Config.cfg keeps its coded format for older copies of the game.
inline constexpr const char* ComfortSettingsFile = "Comfort.cfg";

enum class TSightSize : uint8_t { Small, Normal, Large };
// Standard: green on the battlefield, amber in the menus. White with its dark rim stays visible
// against sand and sky whatever colours the player tells apart.
enum class TSightColour : uint8_t { Standard, White, Magenta };

// Loudness, sight and pad settings that change nothing in the rules. The file is plain
// "key = value" lines; keys it does not know are kept as they are, a damaged line is ignored and
// its setting keeps the default.
struct TComfortSettings {
  static constexpr int VolumeStep = 10;
  static constexpr int MinPadSpeed = 50;
  static constexpr int MaxPadSpeed = 200;
  static constexpr int PadSpeedStep = 25;

  int MusicVolume = 100;    // percent, 0 to 100 in steps of 10
  int EffectsVolume = 100;  // percent, 0 to 100 in steps of 10
  TSightSize SightSize = TSightSize::Normal;
  TSightColour SightColour = TSightColour::Standard;
  bool Mono = false;
  int PadSpeed = 100;  // percent of the pad's pointer speed, 50 to 200 in steps of 25

  // The lines of the file as read, so that saving keeps what another version wrote.
  std::vector<std::string> Lines;

  // Reads the file; a missing or unreadable file gives the defaults.
  static TComfortSettings Load(const std::filesystem::path& path);
  // Writes the file whole beside itself and renames it over the old one; false when it cannot.
  bool Save(const std::filesystem::path& path) const;
  // The file's text: the kept lines with the known keys set to the values above.
  std::string Text() const;
};

// The picture of a sight ("pricel" or "pricel_anim") in a size and colour; the normal standard
// sight is the base picture itself.
std::string SightPicture(const std::string& base, TSightSize size, TSightColour colour);
const char* SightSizeName(TSightSize size);
const char* SightColourName(TSightColour colour);
