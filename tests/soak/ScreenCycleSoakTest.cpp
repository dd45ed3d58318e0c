#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/Random.h"
#include "platform/headless/HeadlessHttpTransport.h"
#include "platform/sdl/XmpMusicLib.h"
#include "support/GameHarness.h"
#include "ui/ButtonRects.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZARVOK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARVOK_ASAN 1
#endif
#endif

namespace {

// Resident memory of this process in KiB.
long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void ClickOn(TGameHarness& game, const TButtonRect& rect) {
  game.Click((rect.X1 + rect.X2) / 2, (rect.Y1 + rect.Y2) / 2);
}

// Thirty simulated minutes of whole rounds with the real music library: main menu, a game with
// random shooting, game over, the name panel, a submission, the high-score table and back. Every
// screen change loads and frees modules, sprites and sounds; none of it may pile up. The resident
// size per simulated minute is reported; after the first three minutes it may grow by 5 MB at most.
// Under AddressSanitizer the allocator keeps freed memory in quarantine, so there LeakSanitizer
// judges the leaks and the size is only reported.
TEST(Soak, ThirtyMinutesOfMenusGamesAndTables) {
  TGameHarness::TOptions options;
  options.MakeMusic = [] { return std::make_unique<TXmpMusicLib>(); };
  TGameHarness game(options);
  TMainForm& form = game.Form();
  TRandom input(20261210);
  constexpr uint32_t Minute = 60 * 1000;
  constexpr uint32_t Total = 30 * Minute;
  std::vector<long> rssPerMinute;
  uint32_t elapsed = 0;
  int rounds = 0;
  // Runs ms of fake time in steps of a frame, with random input when shooting, and samples the
  // resident size at each whole simulated minute.
  const auto run = [&](uint32_t ms, bool shoot) {
    for (uint32_t done = 0; done < ms; done += 30) {
      if (shoot) {
        const int x = input.Random(800);
        const int y = input.Random(600);
        switch (input.Random(4)) {
          case 0: game.MoveMouse(x, y); break;
          case 1: game.Click(x, y); break;
          default: break;
        }
      }
      game.RunFor(30);
      elapsed += 30;
      if (elapsed % 1000 < 30) game.Audio().Pull(1024);
      if (elapsed / Minute > rssPerMinute.size()) rssPerMinute.push_back(ResidentKiB());
    }
  };

  game.SkipSplash();
  while (elapsed < Total) {
    ++rounds;
    ASSERT_EQ(form.CurrentScreen, scMainMenu) << "round " << rounds;
    run(1000, false);
    ASSERT_TRUE(game.StartGameAndSkipIntro()) << "round " << rounds;
    run(45000, true);
    // A round ends in a game over with a score for the table, if the enemy has not ended it.
    if (form.CurrentScreen == scGame) {
      form.Score = std::max(form.Score, form.HighScores[9].Score + 1 + rounds);
      form.SwitchScreen(scGameOver);
    }
    ASSERT_EQ(form.CurrentScreen, scGameOver) << "round " << rounds;
    if (form.Score <= form.HighScores[9].Score) form.Score = form.HighScores[9].Score + 1;
    run(5100, false);
    game.Type("SOAK");
    run(30, false);
    game.Http().QueueBody("OK|a|b|c|d|e");
    game.Http().QueueBody("thanks");
    game.Key(VK_RETURN);
    ASSERT_EQ(form.CurrentScreen, scHighScores) << "round " << rounds;
    run(2000, false);
    ClickOn(game, ButtonRects::HighScoreBackClick);
    run(500, false);
    game.ClearSounds();
  }
  EXPECT_TRUE(game.Messages().empty());

  std::ostringstream curve;
  for (size_t minute = 0; minute < rssPerMinute.size(); ++minute)
    curve << (minute ? " " : "") << rssPerMinute[minute] / 1024.0;
  std::cout << "Resident MiB per simulated minute (" << rounds << " rounds): " << curve.str() << "\n";
  RecordProperty("Rounds", rounds);
  RecordProperty("ResidentMiBPerMinute", curve.str());
  ASSERT_GE(rssPerMinute.size(), 30u);
#ifndef ZARVOK_ASAN
  const long warm = rssPerMinute[2];
  const long peak = *std::max_element(rssPerMinute.begin() + 2, rssPerMinute.end());
  EXPECT_LE(peak - warm, 5 * 1024) << curve.str();
#endif
}

}  // namespace
