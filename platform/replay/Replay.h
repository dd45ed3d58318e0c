#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

// A replay that cannot be used, with the reason the player or the score server is told.
class EReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A plain timer as it stood when the game started; Elapsed counts from its last start.
struct TReplayTimer {
  bool Enabled = false;
  uint32_t Interval = 0;
  uint32_t Elapsed = 0;
};

// What decides a game besides its input: the clock, the random generator, the pointer, the
// timers' phases and the form's switches at the moment START GAME was chosen.
struct TReplayStart {
  uint32_t ClockMs = 0;
  uint64_t RandomState = 0;
  int32_t PointerX = 0;
  int32_t PointerY = 0;
  TReplayTimer FrameTimer;
  std::array<TReplayTimer, 4> Timers;  // Timer1, Timer2, Timer3, TimerLevel
  uint32_t Flags = 0;                  // one bit per switch or flag of the form
  uint8_t WindowState = 0;             // a TWindowState
};

struct TReplayHeader {
  std::string GameVersion;
  uint32_t PictureChecksum = 0;  // CRC-32 of Data/Graphic.dxg
  uint32_t SoundChecksum = 0;    // CRC-32 of Data/Music.dxw
  TReplayStart Start;
  int32_t FinalScore = 0;
  int32_t FinalLevel = 0;
  uint32_t DurationMs = 0;  // game time from the start to the end
  uint32_t RecordCount = 0;
};

// One game as recorded: the header and the coded answers of the window's waits (see
// docs/replay-format.md).
struct TReplay {
  TReplayHeader Header;
  std::vector<uint8_t> Records;
};

inline constexpr uint16_t ReplayFormatVersion = 1;
// Larger files are refused before anything is read: a long game takes a small part of this.
inline constexpr std::size_t MaxReplayBytes = 1 << 20;
// The records unpacked: far more than the longest game holds.
inline constexpr uint32_t MaxReplayRecordBytes = 8u << 20;
// Six hours of play.
inline constexpr uint32_t MaxReplayGameMs = 6u * 3600 * 1000;

// The file's bytes.
std::string WriteReplay(const TReplay& replay);
// Reads and checks a whole file, records included; raises EReplayError with the reason.
TReplay ReadReplay(std::string_view bytes);

// CRC-32 (the zlib polynomial) of some bytes, and of a whole file (0 when it cannot be read).
uint32_t Crc32(const void* data, std::size_t size, uint32_t crc = 0);
uint32_t FileCrc32(const std::string& path);

// What one wait of the window answered.
struct TReplayRecord {
  bool Poll = false;          // the wait had no time-out: no time passed
  bool AfterTimeout = false;  // the time passed is the wait's time-out plus Ms
  uint32_t Ms = 0;            // otherwise the time passed
  bool HasEvent = false;
  TPlatformEvent Event;
  uint8_t WindowState = 0;  // with focus and size events: the window's state then
};

// Writes the records of one game.
class TReplayRecordWriter {
 public:
  explicit TReplayRecordWriter(int32_t pointerX = 0, int32_t pointerY = 0);
  // One wait: poll when its time-out was 0, elapsed the game time it took.
  void Add(uint32_t timeoutMs, uint32_t elapsedMs, const TPlatformEvent* event, TWindowState state);
  // Ends the game: a pending empty poll needs no record.
  std::vector<uint8_t> Finish();
  uint32_t Count() const { return FCount; }
  // One record as it stands (a poll's empty answer included).
  void Put(const TReplayRecord& record);

 private:
  std::vector<uint8_t> FBytes;
  uint32_t FCount = 0;
  int32_t FPointerX;
  int32_t FPointerY;
  // An empty poll is left out, since a poll that finds no record of its own finds nothing; it
  // must be written only when another poll follows it.
  bool FPollNonePending = false;
};

// Reads the records of one game in order; raises EReplayError on a malformed one.
class TReplayRecordReader {
 public:
  TReplayRecordReader(const std::vector<uint8_t>& records, int32_t pointerX, int32_t pointerY);
  bool AtEnd() const { return FPos >= FBytes.size(); }
  // Whether the next record answers a poll; false at the end.
  bool NextIsPoll() const;
  TReplayRecord Read();

 private:
  uint8_t Byte();
  uint32_t Varint();
  int32_t Signed();

  const std::vector<uint8_t>& FBytes;
  std::size_t FPos = 0;
  int32_t FPointerX;
  int32_t FPointerY;
};
