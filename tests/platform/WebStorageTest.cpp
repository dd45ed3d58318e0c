#include "platform/web/WebStorage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/ScratchFolder.h"

namespace {

// The settings file of the game (in the working folder) and its stored copy (in "persist/", the
// page's IndexedDB folder); outside the browser both are plain files.
class WebStorageTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories("persist"); }

  static void Write(const std::filesystem::path& path, const std::string& bytes, int secondsAgo = 0) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    // Each write of a test gets its own time, as writes a frame or more apart do.
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::seconds(secondsAgo));
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  TScratchFolder Folder;
  TWebStorage Storage{"Config.cfg", "persist/Config.cfg"};
};

const std::string Settings = "QWERT\r\nASDFG\r\n";
const std::string Changed = "QWERT\r\nZXCVB\r\n";  // the same size

TEST_F(WebStorageTest, RestorePutsTheStoredBytesWhereTheGameReadsThemAndLeavesAFirstVisitAlone) {
  Storage.Restore();
  EXPECT_FALSE(std::filesystem::exists("Config.cfg")) << "nothing stored: the game starts with its defaults";
  EXPECT_FALSE(Storage.Poll());

  Write("persist/Config.cfg", Settings);
  TWebStorage again("Config.cfg", "persist/Config.cfg");
  again.Restore();
  EXPECT_EQ(Read("Config.cfg"), Settings);
  EXPECT_FALSE(again.Poll()) << "the restored file is not stored back";
}

TEST_F(WebStorageTest, StoresEachChangeOfTheFileOnceAndOnlyChanges) {
  Storage.Restore();
  Write("Config.cfg", Settings, 30);
  EXPECT_TRUE(Storage.Poll());
  EXPECT_EQ(Read("persist/Config.cfg"), Settings);
  EXPECT_FALSE(Storage.Poll());

  // Written again with the same bytes (leaving the options screen without a change): nothing to store.
  Write("Config.cfg", Settings, 20);
  EXPECT_FALSE(Storage.Poll());

  // A change that keeps the size is still seen.
  Write("Config.cfg", Changed, 10);
  EXPECT_TRUE(Storage.Poll());
  EXPECT_EQ(Read("persist/Config.cfg"), Changed);
  EXPECT_FALSE(std::filesystem::exists("persist/Config.cfg.tmp"));

  // A file that is gone leaves the stored copy as it was.
  std::filesystem::remove("Config.cfg");
  EXPECT_FALSE(Storage.Poll());
  EXPECT_EQ(Read("persist/Config.cfg"), Changed);
}

}  // namespace
