#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

TEST(CommandLine, ReadsEveryOptionAndTheLastOfTwoModesCounts) {
  struct TCase {
    std::vector<std::string> Arguments;
    bool Help;
    bool Version;
    std::optional<bool> FullScreen;
    std::string DataDir;
  };
  const TCase cases[] = {
      {{}, false, false, std::nullopt, ""},
      {{"--help"}, true, false, std::nullopt, ""},
      {{"-h"}, true, false, std::nullopt, ""},
      {{"--version"}, false, true, std::nullopt, ""},
      {{"--window"}, false, false, false, ""},
      {{"--fullscreen"}, false, false, true, ""},
      {{"--fullscreen", "--window"}, false, false, false, ""},
      {{"--data", "/opt/z"}, false, false, std::nullopt, "/opt/z"},
      {{"--data=/opt/z", "--window"}, false, false, false, "/opt/z"},
      {{"--data=a=b"}, false, false, std::nullopt, "a=b"},
      // A value that looks like an option is still the folder the player named.
      {{"--data", "--window"}, false, false, std::nullopt, "--window"},
  };
  for (const TCase& c : cases) {
    TCommandLine commandLine;
    ASSERT_TRUE(commandLine.Parse(c.Arguments)) << commandLine.Error();
    const TCommandLineOptions& o = commandLine.Options();
    const std::string what = c.Arguments.empty() ? "(none)" : c.Arguments[0];
    EXPECT_EQ(o.Help, c.Help) << what;
    EXPECT_EQ(o.Version, c.Version) << what;
    EXPECT_EQ(o.FullScreen, c.FullScreen) << what;
    EXPECT_EQ(o.DataDir, c.DataDir) << what;
  }
}

TEST(CommandLine, RefusesWhatItDoesNotKnowAndSaysWhy) {
  struct TCase {
    std::vector<std::string> Arguments;
    const char* Said;
  };
  const TCase cases[] = {
      {{"--fly"}, "unknown option '--fly'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--Window"}, "unknown option '--Window'"},
      {{"level3"}, "unexpected argument 'level3'"},
      {{"--window", "extra"}, "unexpected argument 'extra'"},
      {{"--data"}, "option '--data' needs DIR"},
      {{"--data="}, "option '--data' needs DIR"},
      {{"--window=yes"}, "option '--window' takes no value"},
  };
  for (const TCase& c : cases) {
    TCommandLine commandLine;
    EXPECT_FALSE(commandLine.Parse(c.Arguments)) << c.Arguments[0];
    EXPECT_EQ(commandLine.Error(), c.Said);
  }
}

TEST(CommandLine, TheUsageNamesEveryOption) {
  const std::string usage = TCommandLine().Usage();
  for (const char* option : {"--help", "--version", "--window", "--fullscreen", "--data DIR", "ZARVOK_DATA_DIR"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
