// Measures the real program under Xvfb, beside the bare SDL present loop of the benchmarks in the
// same X session: processor use on the main menu and during a level, start-up time to the first
// frame, and resident memory. Reports figures; checks nothing.
// Usage: zarvok_figures [seconds per measurement, default 20]

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "GameProcess.h"
#include "XSession.h"
#include "ui/ButtonRects.h"

namespace {

using TClock = std::chrono::steady_clock;

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// User plus system time of a process, in clock ticks.
long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t end = text.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(text.substr(end + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

long StatusKb(pid_t pid, const std::string& key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
  return 0;
}

pid_t StartBareLoop(const std::string& display, int seconds) {
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    setenv("DISPLAY", display.c_str(), 1);
    if (FILE* quiet = freopen("/dev/null", "w", stdout)) (void)quiet;
    const std::string time = std::to_string(seconds + 5);
    execl(ZARVOK_BARE_LOOP, "bare_present_loop", time.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Processor ticks of the game and of the bare loop over the same seconds.
std::pair<long, long> MeasureBesideBareLoop(TXSession& session, pid_t game, Window window, int seconds) {
  const pid_t bare = StartBareLoop(session.DisplayName(), seconds);
  Pause(1500);
  // The new window took the focus; without it the game would rest (menus) or pause (battlefield).
  session.Xdotool({"windowactivate", std::to_string(window)});
  Pause(1000);
  const long g0 = CpuTicks(game), b0 = CpuTicks(bare);
  Pause(seconds * 1000);
  const long g1 = CpuTicks(game), b1 = CpuTicks(bare);
  kill(bare, SIGKILL);
  int status = 0;
  waitpid(bare, &status, 0);
  return {g1 - g0, b1 - b0};
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;
  TXSession session(1024, 768);

  std::vector<double> startups;
  for (int run = 0; run < 5; ++run) {
    TGameProcess game;
    const auto start = TClock::now();
    game.Start(session.DisplayName());
    const Window window = session.WaitForWindow("ZARVOK", 15000);
    while (window && session.Grab(window).ColourCount() <= 8 && TClock::now() - start < std::chrono::seconds(15))
      Pause(2);
    startups.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    game.Kill();
  }
  std::sort(startups.begin(), startups.end());

  TGameProcess game;
  game.Start(session.DisplayName());
  const Window window = session.WaitForWindow("ZARVOK", 15000);
  if (!window) {
    std::fprintf(stderr, "the game window did not appear\n");
    return 1;
  }
  Pause(1500);
  auto click = [&](int x, int y) {
    session.Xdotool({"mousemove", "--window", std::to_string(window), std::to_string(x), std::to_string(y)});
    Pause(100);
    session.Xdotool({"click", "1"});
    Pause(500);
  };
  click(400, 300);  // past the splash
  session.Xdotool({"mousemove", "--window", std::to_string(window), "60", "570"});
  const auto [menuGame, menuBare] = MeasureBesideBareLoop(session, game.Pid(), window, seconds);
  const long menuRss = StatusKb(game.Pid(), "VmRSS");

  const TButtonRect start = ButtonRects::StartGame;
  click((start.X1 + start.X2) / 2, (start.Y1 + start.Y2) / 2);
  Pause(7000);  // the level intro
  session.Xdotool({"mousemove", "--window", std::to_string(window), "400", "300"});
  const auto [playGame, playBare] = MeasureBesideBareLoop(session, game.Pid(), window, seconds);
  const long playRss = StatusKb(game.Pid(), "VmRSS");
  const long peakRss = StatusKb(game.Pid(), "VmHWM");

  std::printf("start-up to the first frame: median %.0f ms (min %.0f, max %.0f, 5 runs)\n", startups[2],
              startups.front(), startups.back());
  std::printf("processor over %d s      game ticks  bare loop ticks  ratio\n", seconds);
  std::printf("  main menu              %10ld  %15ld  %5.2f\n", menuGame, menuBare,
              menuBare ? double(menuGame) / menuBare : 0.0);
  std::printf("  level in play          %10ld  %15ld  %5.2f\n", playGame, playBare,
              playBare ? double(playGame) / playBare : 0.0);
  std::printf("resident memory: %ld KiB on the menu, %ld KiB in play, peak %ld KiB\n", menuRss, playRss, peakRss);
  return 0;
}
