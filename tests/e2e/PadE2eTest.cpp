#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "GameProcess.h"
#include "XSession.h"
#include "ui/ButtonRects.h"

namespace fs = std::filesystem;

namespace {

// The game's state as the probe reports it.
struct TProbeState {
  int Screen = -1, Intro = 0, Held = 0, X = 0, Y = 0, Shots = 0, Frames = 0;
  double SightX = -1;
};

// The probe (the real game with a virtual pad, tests/e2e/PadProbe.cpp) in a scratch copy of the
// game folder, with pipes to its standard input and output.
class TProbeProcess {
 public:
  explicit TProbeProcess(const std::string& display) {
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
    FPid = fork();
    if (FPid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      if (chdir(FGame.Folder().c_str()) != 0) _exit(126);
      setenv("DISPLAY", display.c_str(), 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      execl(ZARVOK_PAD_PROBE, "zarvok_padprobe", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    FIn = in[1];
    FOut = out[0];
  }
  ~TProbeProcess() {
    Send("quit");
    close(FIn);
    close(FOut);
    if (FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
  }

  void Send(const std::string& command) {
    const std::string line = command + "\n";
    if (write(FIn, line.data(), line.size()) < 0) return;
  }

  // The next output line that starts with prefix, waiting up to timeoutMs; empty when none came.
  std::string ReadLine(const std::string& prefix, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      for (auto newline = FBuffer.find('\n'); newline != std::string::npos; newline = FBuffer.find('\n')) {
        std::string line = FBuffer.substr(0, newline);
        FBuffer.erase(0, newline + 1);
        if (line.rfind(prefix, 0) == 0) return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return {};
      pollfd p{FOut, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char chunk[512];
      const ssize_t n = read(FOut, chunk, sizeof chunk);
      if (n <= 0) return {};
      FBuffer.append(chunk, static_cast<std::size_t>(n));
    }
  }

  TProbeState State() {
    Send("state");
    const std::string line = ReadLine("state ");
    TProbeState s;
    std::sscanf(line.c_str(), "state screen=%d intro=%d held=%d x=%d y=%d sight=%lf shots=%d frames=%d", &s.Screen,
                &s.Intro, &s.Held, &s.X, &s.Y, &s.SightX, &s.Shots, &s.Frames);
    return s;
  }

  // Holds an axis at value until the predicate holds for the state (at most timeoutMs), then
  // lets it go; true when it held.
  template <class P>
  bool Steer(int axis, int value, P arrived, int timeoutMs = 4000) {
    Send("axis " + std::to_string(axis) + " " + std::to_string(value));
    bool ok = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ok && std::chrono::steady_clock::now() < deadline) ok = arrived(State());
    Send("axis " + std::to_string(axis) + " 0");
    return ok;
  }

 private:
  TGameProcess FGame;  // only its scratch copy of the game folder is used
  pid_t FPid = -1;
  int FIn = -1;
  int FOut = -1;
  std::string FBuffer;
};

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

constexpr int AxisLeftX = 0;
constexpr int AxisLeftY = 1;
constexpr int ButtonA = 0;

class PadE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    FSession = std::make_unique<TXSession>(1024, 768);
    FProbe = std::make_unique<TProbeProcess>(FSession->DisplayName());
    FWindow = FSession->WaitForWindow("ZARVOK", 15000);
    ASSERT_NE(FWindow, 0u) << "the game window did not appear";
    // The splash is up and frames run before the pad does anything.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    TProbeState first = FProbe->State();
    while (first.Frames < 10 && std::chrono::steady_clock::now() < deadline) first = FProbe->State();
    ASSERT_GE(first.Frames, 10) << "the probe shows no frames";
    fs::create_directories(ZARVOK_E2E_SCREENS);
  }
  void Save(const std::string& name) {
    FSession->Grab(FWindow).SavePng((fs::path(ZARVOK_E2E_SCREENS) / (name + ".png")).string());
  }
  void PressA() {
    FProbe->Send("button " + std::to_string(ButtonA) + " 1");
    Pause(120);
    FProbe->Send("button " + std::to_string(ButtonA) + " 0");
    Pause(120);
  }

  std::unique_ptr<TXSession> FSession;
  std::unique_ptr<TProbeProcess> FProbe;
  Window FWindow = 0;
};

TEST_F(PadE2e, TheStickMovesTheSightAOverStartGameStartsALevelAndHeldAFiresBursts) {
  PressA();  // a click leaves the splash
  ASSERT_EQ(FProbe->State().Screen, 2);
  const TProbeState rest = FProbe->State();
  // The window may open under the X pointer, which puts the game's pointer there first.
  const int towards = rest.X < 400 ? 32767 : -32768;
  ASSERT_TRUE(FProbe->Steer(AxisLeftX, towards, [&](const TProbeState& s) { return std::abs(s.X - rest.X) >= 200; }));
  Pause(100);
  const TProbeState moved = FProbe->State();
  EXPECT_GE(std::abs(moved.SightX - rest.SightX), 190);
  EXPECT_EQ(moved.SightX, moved.X - 24);  // the menu sight is centred on the pointer
  Save("pad-01-sight-moved");

  constexpr TButtonRect start = ButtonRects::StartGame;
  const auto insideX = [&](const TProbeState& s) { return s.X >= start.X1 + 40 && s.X <= start.X2 - 40; };
  if (!insideX(moved)) {
    ASSERT_TRUE(FProbe->Steer(AxisLeftX, moved.X > start.X2 ? -20000 : 20000, insideX));
  }
  ASSERT_TRUE(FProbe->Steer(AxisLeftY, moved.Y > 60 ? -32768 : 32767,
                            [&](const TProbeState& s) { return s.Y >= start.Y1 + 10 && s.Y <= start.Y2 - 10; }));
  Save("pad-02-over-start-game");
  PressA();
  EXPECT_EQ(FProbe->State().Screen, 3);

  // After the level intro, burst fire: A held while the stick moves fires on every move.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (FProbe->State().Intro != 0 && std::chrono::steady_clock::now() < deadline) Pause(200);
  ASSERT_EQ(FProbe->State().Intro, 0);
  FProbe->Send("burst");
  ASSERT_TRUE(FProbe->Steer(AxisLeftY, 32767, [](const TProbeState& s) { return s.Y >= 250; }));
  const int before = FProbe->State().Shots;
  FProbe->Send("button " + std::to_string(ButtonA) + " 1");
  FProbe->Send("axis " + std::to_string(AxisLeftX) + " -20000");
  Pause(700);
  Save("pad-03-burst-fire");
  FProbe->Send("axis " + std::to_string(AxisLeftX) + " 0");
  FProbe->Send("button " + std::to_string(ButtonA) + " 0");
  const int during = FProbe->State().Shots - before;
  EXPECT_GE(during, 8) << "shots while A was held and the stick moved";

  // Pulled out with A held, the pad lets go of the trigger; plugged in again, it steers again.
  FProbe->Send("button " + std::to_string(ButtonA) + " 1");
  Pause(150);
  EXPECT_EQ(FProbe->State().Held, 1);
  FProbe->Send("unplug");
  Pause(150);
  EXPECT_EQ(FProbe->State().Held, 0);
  FProbe->Send("plug");
  Pause(150);
  const int x = FProbe->State().X;
  EXPECT_TRUE(FProbe->Steer(AxisLeftX, 32767, [&](const TProbeState& s) { return s.X >= x + 50; }));

  // The figure: frames from the stick's tilt to a moved sight, at random moments of the loop.
  std::vector<int> latencies;
  for (int i = 0; i < 12; ++i) {
    Pause(37 + 13 * i % 29);
    FProbe->Send("measure");
    const std::string line = FProbe->ReadLine("latency ", 3000);
    if (!line.empty()) latencies.push_back(std::stoi(line.substr(8)));
    FProbe->Steer(AxisLeftX, -32768, [](const TProbeState& s) { return s.X <= 300; });
  }
  ASSERT_FALSE(latencies.empty());
  std::ostringstream figure;
  for (int l : latencies) figure << l << " ";
  std::printf("pad latency in frames (stick tilt to sight moved): %s\n", figure.str().c_str());
  RecordProperty("pad_latency_frames", figure.str());
  EXPECT_LE(*std::max_element(latencies.begin(), latencies.end()), 3);
}

}  // namespace
