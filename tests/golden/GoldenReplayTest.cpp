#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "battlefield/FieldLog.h"
#include "support/GameHarness.h"

namespace {

struct TScriptEvent {
  uint32_t AtMs;
  std::string Action;
  int X, Y;
};

std::vector<TScriptEvent> ReadScript(const std::string& path) {
  std::vector<TScriptEvent> events;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TScriptEvent event;
    fields >> event.AtMs >> event.Action >> event.X >> event.Y;
    events.push_back(event);
  }
  return events;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Replays a recorded input script from the start of a game for 100 s of fake time (two levels
// with their intros) and logs the state once a second. Regenerate the expected log after a
// deliberate change with ZARVOK_UPDATE_GOLDEN=1 and read the difference before committing it.
TEST(GoldenReplay, TwoLevelsOfScriptedPlay) {
  const std::string dir = std::string(ZARVOK_SOURCE_DIR) + "/tests/golden/";
  const std::vector<TScriptEvent> script = ReadScript(dir + "two_levels.script");
  ASSERT_FALSE(script.empty());

  TGameHarness harness;
  ASSERT_TRUE(harness.StartGameAndSkipIntro() || harness.Form().CurrentScreen == scGame);
  std::ostringstream log;
  size_t next = 0;
  for (uint32_t ms = 0; ms <= 100000; ms += 10) {
    while (next < script.size() && script[next].AtMs <= ms) {
      const TScriptEvent& e = script[next++];
      if (e.Action == "move")
        harness.MoveMouse(e.X, e.Y);
      else if (e.Action == "press")
        harness.Press(e.X, e.Y);
      else if (e.Action == "release")
        harness.Release(e.X, e.Y);
    }
    if (ms % 1000 == 0) log << StateLine(harness.Form(), ms / 1000) << '\n';
    harness.RunFor(10);
  }

  const std::string expectedPath = dir + "two_levels.log";
  const char* update = std::getenv("ZARVOK_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(expectedPath) << log.str();
    GTEST_SKIP() << "rewrote " << expectedPath;
  }
  const std::string expected = ReadFile(expectedPath);
  ASSERT_FALSE(expected.empty()) << "no " << expectedPath << "; run with ZARVOK_UPDATE_GOLDEN=1";
  EXPECT_EQ(log.str(), expected) << "the replay differs; if the change is deliberate, rerun with "
                                    "ZARVOK_UPDATE_GOLDEN=1 and review the new log";
}

}  // namespace
