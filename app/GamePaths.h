#pragma once

#include <filesystem>
#include <string>

struct TCommandLineOptions;
class TPlaces;

// The two folders of one run: the data folder (Data/, Music/; only read) and the user folder
// (Config.cfg, play.url and the player's other files). Empty folders stand for the working
// folder, which is what a default-made TGamePaths gives.
class TGamePaths {
 public:
  TGamePaths() = default;
  TGamePaths(std::filesystem::path dataFolder, std::filesystem::path userFolder);

  // The data folder is the first of: --data; $ZARVOK_DATA_DIR; the executable's folder when it
  // holds Data/Graphic.dxg; <executable>/../share/zarvok when it does. When none holds the
  // archive, the share folder if it exists, else the executable's folder, so that the
  // archive's own message names the place looked at. The user folder is the executable's
  // folder when that is the data folder and writable (a portable folder), else the platform's
  // per-user folder. Relative folders are made absolute against the working folder now, so the
  // working folder does not matter afterwards.
  static TGamePaths Resolve(const TCommandLineOptions& options, const TPlaces& places);

  const std::filesystem::path& DataFolder() const { return FDataFolder; }
  const std::filesystem::path& UserFolder() const { return FUserFolder; }
  // A file of the game's data, e.g. DataFile("Data/Graphic.dxg").
  std::filesystem::path DataFile(const std::filesystem::path& relative) const { return FDataFolder / relative; }
  // A file of the player's, e.g. UserFile("Config.cfg").
  std::filesystem::path UserFile(const std::filesystem::path& name) const { return FUserFolder / name; }
  // Makes the user folder and its parents when missing, as the first save must; an empty
  // result, or the system's reason why not.
  std::string MakeUserFolder() const;

  // The file whose presence marks a data folder.
  static constexpr const char* MarkerFile = "Data/Graphic.dxg";

 private:
  std::filesystem::path FDataFolder;
  std::filesystem::path FUserFolder;
};
