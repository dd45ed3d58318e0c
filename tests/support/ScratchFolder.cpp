#include "support/ScratchFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

TScratchFolder::TScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zarvok-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("cannot create a scratch folder");
  FPath = buffer.data();
  FOldWorkingDir = std::filesystem::current_path();
  std::filesystem::current_path(FPath);
}

TScratchFolder::~TScratchFolder() {
  std::error_code error;
  std::filesystem::current_path(FOldWorkingDir, error);
  std::filesystem::remove_all(FPath, error);
}

void TScratchFolder::CopyGameData(const std::filesystem::path& gameDir) {
  for (const char* folder : {"Data", "Music"}) {
    const std::filesystem::path from = gameDir / folder;
    if (std::filesystem::exists(from))
      std::filesystem::copy(from, FPath / folder, std::filesystem::copy_options::recursive);
  }
}
