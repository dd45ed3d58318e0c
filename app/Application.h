#pragma once

#include <cstdint>
#include <filesystem>

#include "app/CommandLine.h"
#include "platform/Platform.h"

class TMainForm;

// The message loop of the one user-interface thread: it hands the window's events to the form,
// fires the plain timers that are due and polls the frame timer, and between them it blocks in
// the window's wait until the next event or deadline instead of spinning.
class TApplication {
 public:
  explicit TApplication(TMainForm& form);

  // Runs until the form terminates the application.
  void Run();

  // One event, as the form's window would route it.
  void Dispatch(const TPlatformEvent& event);
  // Fires each due plain timer once, then the frame timer when it is due; true when any ran.
  bool RunDue();
  // Milliseconds until a timer or the frame timer is next due; the wait limit when none runs.
  uint32_t TimeToNextDeadline() const;

  // The longest single wait, so that a stalled clock or a lost event never blocks for good.
  static constexpr uint32_t MaxWaitMs = 1000;

 private:
  // Runs one handler; an exception that escapes it is shown in a message box and the loop goes on.
  template <class F>
  void Guarded(F&& handler);

  TMainForm& FForm;
};

// Opens "play.url" of the folder with the desktop if it exists. A desktop that does not open
// Internet shortcuts (Linux) is given the address on the file's "URL=" line; a file without such
// a line is opened as it is.
void GoToLink(TDesktop& desktop, const std::filesystem::path& folder = ".");

// The whole program on a platform: finds the game's folders (through the platform's places;
// without them, the working folder), builds the form, shows it, runs the loop and then GoToLink
// on the user folder. A start-up failure (a missing or malformed archive) is shown in a message
// box; the result is then 1, else 0.
int RunGame(TPlatform& platform, const TCommandLineOptions& options = {});
