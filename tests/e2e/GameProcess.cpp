#include "GameProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

TGameProcess::TGameProcess() {
  char pattern[] = "/tmp/zarvok-e2e-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  FFolder = pattern;
  const fs::path game = ZARVOK_GAME_DIR;
  fs::copy_file(game / "zarvok", FFolder / "zarvok");
  fs::copy(game / "Data", FFolder / "Data", fs::copy_options::recursive);
  fs::copy(game / "Music", FFolder / "Music", fs::copy_options::recursive);
  // The opener SDL_OpenURL runs on Linux, replaced by one that only writes down its argument.
  fs::create_directories(FFolder / "bin");
  const fs::path opener = FFolder / "bin" / "xdg-open";
  std::ofstream(opener) << "#!/bin/sh\necho \"$@\" >> \"" << (FFolder / "opened.txt").string() << "\"\n";
  fs::permissions(opener, fs::perms::owner_all);
}

TGameProcess::~TGameProcess() {
  Kill();
  std::error_code ignored;
  fs::remove_all(FFolder, ignored);
}

std::string TGameProcess::Opened() const {
  std::ifstream in(FFolder / "opened.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void TGameProcess::Start(const std::string& display) {
  FStatus.reset();
  FPid = fork();
  if (FPid < 0) throw std::runtime_error("fork failed");
  if (FPid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    if (chdir(FFolder.c_str()) != 0) _exit(126);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    const std::string path = (FFolder / "bin").string() + ":" + (getenv("PATH") ? getenv("PATH") : "");
    setenv("PATH", path.c_str(), 1);
    std::vector<char*> argv = {const_cast<char*>("zarvok")};
    for (const std::string& argument : Arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv("./zarvok", argv.data());
    _exit(127);
  }
}

bool TGameProcess::Running() { return FPid > 0 && !WaitExit(0); }

std::optional<int> TGameProcess::WaitExit(int timeoutMs) {
  if (FStatus || FPid <= 0) return FStatus;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(FPid, &status, WNOHANG);
    if (r == FPid) {
      FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      FPid = -1;
      return FStatus;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void TGameProcess::Kill() {
  if (FPid > 0) {
    kill(FPid, SIGKILL);
    int status = 0;
    waitpid(FPid, &status, 0);
    FPid = -1;
  }
}
