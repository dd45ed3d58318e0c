#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/sdl/SdlDesktop.h"

namespace {

TEST(SdlDesktop, FilesBecomeAbsoluteEncodedFileAddresses) {
  struct Case {
    std::string Path;
    std::string Url;
  };
  const Case cases[] = {
      {"/srv/game/play.url", "file:///srv/game/play.url"},
      {"/srv/my game/play.url", "file:///srv/my%20game/play.url"},
      {"/srv/a#b?c%d/x.url", "file:///srv/a%23b%3Fc%25d/x.url"},
      {"/srv/./game/../play.url", "file:///srv/play.url"},
  };
  for (const Case& c : cases) EXPECT_EQ(TSdlDesktop::FileUrl(c.Path), c.Url);
  EXPECT_EQ(TSdlDesktop::FileUrl("play.url"),
            TSdlDesktop::FileUrl((std::filesystem::current_path() / "play.url").string()));
}

}  // namespace
