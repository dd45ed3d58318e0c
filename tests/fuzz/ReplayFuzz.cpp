// Feeds any bytes to the replay reader, as the score server and `zarvok --replay` read them. A
// file it accepts is played headless in a scratch copy of the game folder, as the server's
// verifier plays it; games of more than a minute are left out to keep each run short.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/ReplayPlayer.h"
#include "platform/replay/Replay.h"

namespace {

// Moves into a scratch copy of the game folder once, for the whole fuzzing process.
bool EnterGameFolder() {
  const char* from = std::getenv("ZARVOK_FUZZ_GAME_DIR");
  const std::filesystem::path game = from != nullptr ? from : ZARVOK_GAME_DIR;
  const std::filesystem::path scratch = std::filesystem::temp_directory_path() / ("zarvok-replay-fuzz-" + std::to_string(getpid()));
  std::error_code error;
  std::filesystem::create_directories(scratch / "Data", error);
  std::filesystem::copy(game / "Data", scratch / "Data", std::filesystem::copy_options::overwrite_existing, error);
  if (error) return false;
  std::filesystem::current_path(scratch, error);
  return !error;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = EnterGameFolder();
  TReplay replay;
  try {
    replay = ReadReplay(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EReplayError&) {
    return 0;
  }
  if (ready && replay.Header.DurationMs <= 60000) VerifyReplay(replay);
  return 0;
}
