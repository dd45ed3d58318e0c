// Feeds replays to the reader and plays what it accepts headless in a scratch copy of the game
// folder, as the score server's verifier and `zarvok --replay` do. The first byte chooses:
//   'Z' (a replay file as it stands): its closing checksum is set right first, so that mutations
//       reach the header and the packed records instead of stopping at the checksum;
//   anything else: the rest are the unpacked records of a game with a fixed start, packed and
//       written as the recorder would, so that mutations reach the record reader and the game.
// Games of more than a minute are left out to keep each run short.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/ReplayPlayer.h"
#include "platform/replay/Replay.h"
#include "tests/fuzz/StartOfAGame.h"

namespace {

// Moves into a scratch copy of the game folder once, for the whole fuzzing process.
bool EnterGameFolder() {
  const char* from = std::getenv("ZARVOK_FUZZ_GAME_DIR");
  const std::filesystem::path game = from != nullptr ? from : ZARVOK_GAME_DIR;
  const std::filesystem::path scratch = std::filesystem::temp_directory_path() / ("zarvok-replay-fuzz-" + std::to_string(getpid()));
  std::error_code error;
  std::filesystem::create_directories(scratch / "Data", error);
  std::filesystem::copy(game / "Data", scratch / "Data",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                        error);
  if (error || !std::filesystem::is_regular_file(scratch / "Data/Graphic.dxg")) return false;
  std::filesystem::current_path(scratch, error);
  return !error;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Without the game's data only the reader would be fuzzed, which is not what this target says.
  static const bool ready = EnterGameFolder() || (std::fputs("replay_fuzz: no game data folder "
                                                             "(ZARVOK_FUZZ_GAME_DIR)\n", stderr),
                                                  std::abort(), false);
  if (size == 0) return 0;
  std::string bytes;
  if (data[0] == 'Z') {
    bytes.assign(reinterpret_cast<const char*>(data), size);
    if (bytes.size() >= 8) {
      const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
      for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    }
  } else {
    TReplay made = StartOfAGame();
    made.Header.DurationMs = 8000;
    made.Records.assign(data + 1, data + size);
    try {
      TReplayRecordReader reader(made.Records, made.Header.Start.PointerX, made.Header.Start.PointerY);
      while (!reader.AtEnd()) {
        reader.Read();
        ++made.Header.RecordCount;
      }
      bytes = WriteReplay(made);
    } catch (const EReplayError&) {
      return 0;
    }
  }
  TReplay replay;
  try {
    replay = ReadReplay(bytes);
  } catch (const EReplayError&) {
    return 0;
  }
  if (ready && replay.Header.DurationMs <= 60000) VerifyReplay(replay);
  return 0;
}
