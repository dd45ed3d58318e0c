#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ReplayPlayer.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/replay/RecordingPlatform.h"
#include "platform/replay/ReplayWindow.h"
#include "platform/replay/Replay.h"
#include "platform/replay/ReplayRecorder.h"
#include "support/RecordedGame.h"
#include "support/ScratchFolder.h"

namespace {

using TKind = TPlatformEvent::TKind;

TPlatformEvent Event(TKind kind, int x = 0, int y = 0) {
  TPlatformEvent e;
  e.Kind = kind;
  e.X = x;
  e.Y = y;
  return e;
}

std::vector<TReplayRecord> ReadAll(const TReplay& replay) {
  TReplayRecordReader reader(replay.Records, replay.Header.Start.PointerX, replay.Header.Start.PointerY);
  std::vector<TReplayRecord> records;
  while (!reader.AtEnd()) records.push_back(reader.Read());
  return records;
}

TReplay WithRecords(const TReplay& base, const std::vector<TReplayRecord>& records) {
  TReplay replay = base;
  TReplayRecordWriter writer(base.Header.Start.PointerX, base.Header.Start.PointerY);
  for (const TReplayRecord& r : records) writer.Put(r);
  replay.Header.RecordCount = writer.Count();
  replay.Records = writer.Finish();
  return replay;
}

// One scripted game of 40 s of shooting, recorded once for every test here.
class ReplayOfScriptedGame : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = new TScratchFolder();
    Folder->CopyGameData(ZARVOK_GAME_DIR);
    Game = new TRecordedGame(RecordGame(ScriptedGame(40000)));
  }
  static void TearDownTestSuite() {
    delete Game;
    delete Folder;
  }
  static TScratchFolder* Folder;
  static TRecordedGame* Game;
};
TScratchFolder* ReplayOfScriptedGame::Folder = nullptr;
TRecordedGame* ReplayOfScriptedGame::Game = nullptr;

TEST_F(ReplayOfScriptedGame, PlaysBackToTheSameScoreFromItsFile) {
  ASSERT_TRUE(Game->Ended);
  ASSERT_GT(Game->Score, 0) << "the script should hit something, or the check proves little";
  EXPECT_EQ(Game->Replay.Header.FinalScore, Game->Score);

  const TReplay read = ReadReplay(WriteReplay(Game->Replay));
  const TReplayOutcome outcome = VerifyReplay(read);
  EXPECT_TRUE(outcome.Matches) << outcome.Reason;
  EXPECT_EQ(outcome.Score, Game->Score);
  EXPECT_EQ(outcome.Level, Game->Level);
  EXPECT_EQ(outcome.GameMs, read.Header.DurationMs);

  // Verifying does not draw; playing back with drawing, as the window does, ends the same.
  TPlatform platform;
  auto clock = std::make_unique<THeadlessClock>(read.Header.Start.ClockMs);
  auto under = std::make_unique<THeadlessWindow>(*clock);
  THeadlessWindow& screen = *under;
  screen.KeepFrames = true;
  platform.Window = std::make_unique<TReplayWindow>(read, *clock, std::move(under));
  platform.Clock = std::move(clock);
  const TReplayOutcome drawn = PlayReplay(platform, read);
  EXPECT_TRUE(drawn.Matches) << drawn.Reason;
  EXPECT_EQ(drawn.Score, Game->Score);
  ASSERT_NE(screen.LastFrame(), nullptr);
}

TEST_F(ReplayOfScriptedGame, ForgedScoreInTheHeaderIsRefused) {
  TReplay forged = Game->Replay;
  forged.Header.FinalScore += 100;
  const TReplayOutcome outcome = VerifyReplay(ReadReplay(WriteReplay(forged)));
  EXPECT_FALSE(outcome.Matches);
  EXPECT_EQ(outcome.Score, Game->Score);
  EXPECT_NE(outcome.Reason.find("claims"), std::string::npos) << outcome.Reason;
}

TEST_F(ReplayOfScriptedGame, OneClockReadingChangedReachesAnotherScoreAndIsRefused) {
  // The game re-seeds its random generator from the clock every frame, so one wait that ended
  // a millisecond later, a third into the game, changes what comes onto the field afterwards.
  std::vector<TReplayRecord> records = ReadAll(Game->Replay);
  size_t i = records.size() / 3;
  while (i < records.size() && (records[i].Poll || records[i].HasEvent)) ++i;
  ASSERT_LT(i, records.size());
  records[i].Ms += 1;
  const TReplayOutcome outcome = VerifyReplay(WithRecords(Game->Replay, records));
  EXPECT_NE(outcome.Score, Game->Score);
  EXPECT_FALSE(outcome.Matches);
}

TEST_F(ReplayOfScriptedGame, CutShortOrOverlongRecordingsAreRefused) {
  std::vector<TReplayRecord> records = ReadAll(Game->Replay);
  const std::vector<TReplayRecord> shorter(records.begin(), records.end() - 20);
  EXPECT_EQ(VerifyReplay(WithRecords(Game->Replay, shorter)).Reason, "the recording ends before the game does");

  std::vector<TReplayRecord> longer = records;
  for (int i = 0; i < 5; ++i) longer.push_back(TReplayRecord{});
  EXPECT_EQ(VerifyReplay(WithRecords(Game->Replay, longer)).Reason, "the game ended before its recording did");
}

TEST_F(ReplayOfScriptedGame, StaysSmall) {
  // A replay holds at most 64 KB for 10 minutes of play with the pointer moving every frame.
  const double minutes = Game->Replay.Header.DurationMs / 60000.0;
  const double bytesPerMinute = WriteReplay(Game->Replay).size() / minutes;
  EXPECT_LT(bytesPerMinute, 64 * 1024 / 10.0);
}

// What a recording window hands the game and what its records give back.
TEST(ReplayRecording, MovesAreHeldToTheEndOfTheWaitAndKeptInOrder) {
  TPlatform platform = MakeHeadlessPlatform(1000);
  THeadlessWindow& real = HeadlessWindow(platform);
  for (int i = 0; i < 5; ++i) real.PostEvent(Event(TKind::MouseMove, 100 + i, 200 - i), 1005 + i);
  real.PostEvent(Event(TKind::MouseDown, 104, 196), 1012);
  real.PostEvent(Event(TKind::MouseMove, 300, 300), 1050);
  RecordPlatform(platform);
  TReplayRecorder& recorder = *platform.Recorder;
  TReplayStart start;
  start.ClockMs = 1000;
  recorder.BeginGame(start);

  std::vector<TPlatformEvent> got;
  TPlatformEvent e;
  for (uint32_t timeout : {30u, 0u, 0u, 30u, 0u, 30u}) {
    if (platform.Window->WaitEvent(e, timeout)) got.push_back(e);
  }
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].Kind, TKind::MouseMove);  // the last of the five, before the press
  EXPECT_EQ(got[0].X, 104);
  EXPECT_EQ(got[1].Kind, TKind::MouseDown);
  EXPECT_EQ(got[2].Kind, TKind::MouseMove);  // held to the end of its wait
  EXPECT_EQ(got[2].X, 300);
  // 1012: the press ended the first wait; 1042: the second ran out; 1072: the third, with its move.
  EXPECT_EQ(platform.Clock->Milliseconds(), 1072u) << "the clock moves only when a wait ends";

  recorder.EndGame(0, 1);
  const TReplay replay = ReadReplay(WriteReplay(*recorder.LastReplay()));
  const std::vector<TReplayRecord> records = ReadAll(replay);
  std::vector<TPlatformEvent> replayed;
  for (const TReplayRecord& r : records)
    if (r.HasEvent) replayed.push_back(r.Event);
  ASSERT_EQ(replayed.size(), got.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(replayed[i].Kind, got[i].Kind);
    EXPECT_EQ(replayed[i].X, got[i].X);
    EXPECT_EQ(replayed[i].Y, got[i].Y);
  }
  EXPECT_EQ(replay.Header.DurationMs, 72u);
}

TEST(ReplayRecords, EveryKindOfWaitReadsBackAsWritten) {
  TPlatformEvent key = Event(TKind::KeyDown);
  key.Key = VK_P;
  key.Shift.Alt = true;
  TPlatformEvent press = Event(TKind::MouseDown, -40, 900);
  press.Button = TMouseButton::mbRight;
  TPlatformEvent shiftedMove = Event(TKind::MouseMove, 10, 10);
  shiftedMove.Shift.Ctrl = true;
  TPlatformEvent stick = Event(TKind::PadAxis);
  stick.Axis = TPadAxis::RightY;
  stick.Value = -32768;
  TPlatformEvent padButton = Event(TKind::PadButtonUp);
  padButton.PadButton = TPadButton::Start;
  struct TWait {
    uint32_t Timeout, Elapsed;
    std::optional<TPlatformEvent> Event;
    TWindowState State;
  };
  const std::vector<TWait> waits = {
      {30, 30, std::nullopt, TWindowState::wsNormal},        // a frame's wait ran out
      {30, 55, std::nullopt, TWindowState::wsNormal},        // ... long past its time
      {0, 0, std::nullopt, TWindowState::wsNormal},          // two empty polls in a row
      {0, 0, std::nullopt, TWindowState::wsNormal},
      {0, 0, key, TWindowState::wsNormal},                   // a poll that found a key
      {30, 12, press, TWindowState::wsNormal},               // an early press off the field
      {1000, 4000000, shiftedMove, TWindowState::wsNormal},  // a long stall
      {30, 31, Event(TKind::FocusLost), TWindowState::wsMinimized},
      {30, 30, Event(TKind::Resized), TWindowState::wsMaximized},
      {30, 7, stick, TWindowState::wsNormal},
      {0, 0, padButton, TWindowState::wsNormal},
      {30, 30, Event(TKind::PadRemoved), TWindowState::wsNormal},
      {0, 0, std::nullopt, TWindowState::wsNormal},  // a last empty poll needs no record
  };
  TReplayRecordWriter writer(400, 300);
  for (const TWait& w : waits) writer.Add(w.Timeout, w.Elapsed, w.Event ? &*w.Event : nullptr, w.State);
  const uint32_t count = writer.Count();
  const std::vector<uint8_t> bytes = writer.Finish();
  EXPECT_EQ(count, 12u);

  TReplayRecordReader reader(bytes, 400, 300);
  for (size_t i = 0; i + 1 < waits.size(); ++i) {
    SCOPED_TRACE(i);
    const TWait& w = waits[i];
    ASSERT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.NextIsPoll(), w.Timeout == 0);
    const TReplayRecord r = reader.Read();
    if (w.Timeout != 0) {
      EXPECT_EQ(r.AfterTimeout ? w.Timeout + r.Ms : r.Ms, w.Elapsed);
    }
    ASSERT_EQ(r.HasEvent, w.Event.has_value());
    if (!r.HasEvent) continue;
    EXPECT_EQ(r.Event.Kind, w.Event->Kind);
    EXPECT_EQ(r.Event.X, w.Event->X);
    EXPECT_EQ(r.Event.Y, w.Event->Y);
    EXPECT_EQ(r.Event.Key, w.Event->Key);
    EXPECT_EQ(r.Event.Button, w.Event->Button);
    EXPECT_EQ(r.Event.Shift.Alt, w.Event->Shift.Alt);
    EXPECT_EQ(r.Event.Shift.Ctrl, w.Event->Shift.Ctrl);
    EXPECT_EQ(r.Event.Axis, w.Event->Axis);
    EXPECT_EQ(r.Event.Value, w.Event->Value);
    EXPECT_EQ(r.Event.PadButton, w.Event->PadButton);
    if (r.Event.Kind == TKind::FocusLost || r.Event.Kind == TKind::Resized) {
      EXPECT_EQ(r.WindowState, static_cast<uint8_t>(w.State));
    }
  }
  EXPECT_TRUE(reader.AtEnd());
}

// A small valid replay to spoil.
TReplay SmallReplay() {
  TReplay replay;
  replay.Header.GameVersion = "1.0";
  replay.Header.FinalScore = 120;
  replay.Header.FinalLevel = 1;
  TReplayRecordWriter writer(0, 0);
  const TPlatformEvent move = Event(TKind::MouseMove, 50, 60);
  writer.Add(30, 30, nullptr, TWindowState::wsNormal);
  writer.Add(30, 31, &move, TWindowState::wsNormal);
  replay.Header.RecordCount = writer.Count();
  replay.Records = writer.Finish();
  return replay;
}

// Rewrites the checksum at the end, as a forger would.
std::string Resealed(std::string bytes) {
  bytes.resize(bytes.size() - 4);
  const uint32_t crc = Crc32(bytes.data(), bytes.size());
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(crc >> (8 * i)));
  return bytes;
}

TEST(ReplayFile, HostileFilesAreRefusedWithTheirReason) {
  const std::string good = WriteReplay(SmallReplay());
  ASSERT_NO_THROW(ReadReplay(good));
  // Where the header of a replay of version "1.0" holds the records' unpacked length; their
  // packed length and the packed records follow.
  constexpr size_t LengthAt = 104;
  const size_t packedAt = LengthAt + 8;
  // A replay whose records are these bytes, sealed as the game would seal it.
  ASSERT_EQ(static_cast<uint8_t>(good[LengthAt]), SmallReplay().Records.size());
  const auto crafted = [](const std::string& records, uint32_t count) {
    TReplay replay = SmallReplay();
    replay.Records.assign(records.begin(), records.end());
    replay.Header.RecordCount = count;
    return WriteReplay(replay);
  };
  struct TCase {
    const char* Name;
    std::function<std::string()> Make;
    const char* Reason;
  };
  const TCase cases[] = {
      {"empty", [] { return std::string(); }, "not a replay file"},
      {"another format", [] { return std::string("\x89PNG\r\n\x1a\n....", 12); }, "not a replay file"},
      {"cut in the header", [&] { return good.substr(0, 20); }, "the replay is truncated"},
      {"cut in the records", [&] { return good.substr(0, good.size() - 6); }, "the replay is truncated"},
      {"over 1 MB", [&] { return good + std::string(MaxReplayBytes, '\0'); }, "the replay is larger than 1 MB"},
      {"later format", [&] { std::string b = good; b[4] = 2; return b; }, "the replay has format version 2"},
      {"one bit flipped", [&] { std::string b = good; b[packedAt + 3] ^= 0x04; return b; }, "checksum"},
      {"bytes after the end", [&] { return good + "x"; }, "the replay has bytes after its end"},
      {"unknown record", [&] { return crafted("\xC0", 1); }, "unknown record"},
      {"endless number", [&] { return crafted("\x1F\xFF\xFF\xFF\xFF\xFF\x01", 1); }, "malformed number"},
      {"pointer thrown away", [&] { return crafted(std::string("\x40\xFE\xFF\xFF\x0F\x00", 6), 1); },
       "out of any window"},
      {"count that lies", [&] { return crafted(std::string("\x00\x00", 2), 7); }, "record count"},
      {"unpacks to less than it says", [&] {
         std::string b = WriteReplay(SmallReplay());
         b[LengthAt] = 100;
         return Resealed(b);
       }, "records are damaged"},
      {"unpacks to more than it says", [&] {
         std::string b = WriteReplay(SmallReplay());
         b[LengthAt] = 1;
         return Resealed(b);
       }, "records are damaged"},
      {"unpacks beyond the limit", [&] {
         std::string b = WriteReplay(SmallReplay());
         b[LengthAt + 3] = '\x7F';
         return Resealed(b);
       }, "too large"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      ReadReplay(c.Make());
      ADD_FAILURE() << "accepted";
    } catch (const EReplayError& error) {
      EXPECT_NE(std::string(error.what()).find(c.Reason), std::string::npos) << error.what();
    }
  }
}

TEST(ReplayFile, AnotherVersionOrOtherDataIsNamed) {
  TReplayHeader header;
  header.GameVersion = "1.0";
  header.PictureChecksum = 1;
  header.SoundChecksum = 2;
  EXPECT_EQ(ReplayIdentityProblem(header, "1.0", 1, 2), "");
  EXPECT_NE(ReplayIdentityProblem(header, "1.1", 1, 2).find("version 1.0"), std::string::npos);
  EXPECT_NE(ReplayIdentityProblem(header, "1.0", 1, 3).find("other data files"), std::string::npos);
}

}  // namespace

namespace {

// The replays the game keeps in the user folder: the last game, and the ten best of those that
// entered the top ten.
TEST(KeptReplays, TheLastGameAndTheTenBestTopGamesStay) {
  TScratchFolder folder;
  TPlatform platform = MakeHeadlessPlatform(1000);
  RecordPlatform(platform);
  TReplayRecorder& recorder = *platform.Recorder;
  const int scores[] = {500, 900, 100, 700, 700, 1200, 300, 800, 1000, 600, 400, 1100};
  for (const int score : scores) {
    recorder.BeginGame(TReplayStart{});
    recorder.EndGame(score, 1);
    KeepLastReplay(platform, folder.Path(), true);
  }
  recorder.BeginGame(TReplayStart{});
  recorder.EndGame(50, 1);
  KeepLastReplay(platform, folder.Path(), false);

  std::ifstream last(folder.Path() / LastReplayFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(last)), std::istreambuf_iterator<char>());
  EXPECT_EQ(ReadReplay(bytes).Header.FinalScore, 50);
  std::vector<std::string> kept;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path() / TopReplayFolder))
    kept.push_back(entry.path().filename().string());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"top-1000-1.zrp", "top-1100-1.zrp", "top-1200-1.zrp", "top-400-1.zrp",
                                            "top-500-1.zrp", "top-600-1.zrp", "top-700-1.zrp", "top-700-2.zrp",
                                            "top-800-1.zrp", "top-900-1.zrp"}));
}

}  // namespace
