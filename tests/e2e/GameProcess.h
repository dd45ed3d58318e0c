#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

// The real zarvok executable running in a scratch copy of its game folder, with a stand-in for the
// desktop opener first on PATH that records what it was asked to open.
class TGameProcess {
 public:
  // Copies the built game folder into a fresh scratch folder (once per instance).
  TGameProcess();
  ~TGameProcess();
  TGameProcess(const TGameProcess&) = delete;
  TGameProcess& operator=(const TGameProcess&) = delete;

  const std::filesystem::path& Folder() const { return FFolder; }
  // Everything the stand-in opener was asked to open, one line each.
  std::string Opened() const;

  // Arguments the program is started with.
  std::vector<std::string> Arguments;
  void Start(const std::string& display);
  pid_t Pid() const { return FPid; }
  bool Running();
  // Waits up to timeoutMs for the game to end; its exit status, or nothing if it still runs.
  std::optional<int> WaitExit(int timeoutMs);
  void Kill();

 private:
  std::filesystem::path FFolder;
  pid_t FPid = -1;
  std::optional<int> FStatus;
};
