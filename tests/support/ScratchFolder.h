#pragma once

#include <filesystem>

// A fresh temporary folder that is the working folder while this object lives; removed after.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // Copies the folders Data/ and Music/ of a game folder (the built one by default) into it.
  void CopyGameData(const std::filesystem::path& gameDir);

 private:
  std::filesystem::path FOldWorkingDir;
  std::filesystem::path FPath;
};
