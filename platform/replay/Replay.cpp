#include "platform/replay/Replay.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <zlib.h>

namespace {

constexpr char Magic[4] = {'Z', 'R', 'P', 'L'};
// A pointer far outside any window: no recording holds one.
constexpr int32_t MaxCoordinate = 1 << 16;
// The time codes of a wait that ran to its time-out; the last value says "time follows".
constexpr uint8_t ExplicitTime = 31;

enum TRecordKind : uint8_t { rkNone = 0, rkMove = 1, rkEvent = 2 };

// Little-endian fields.
class TOut {
 public:
  explicit TOut(std::string& bytes) : FBytes(bytes) {}
  void U8(uint8_t v) { FBytes.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Timer(const TReplayTimer& t) {
    U8(t.Enabled ? 1 : 0);
    U32(t.Interval);
    U32(t.Elapsed);
  }

 private:
  std::string& FBytes;
};

class TIn {
 public:
  explicit TIn(std::string_view bytes) : FBytes(bytes) {}
  std::size_t Pos() const { return FPos; }
  std::size_t Left() const { return FBytes.size() - FPos; }
  void Need(std::size_t n) const {
    if (Left() < n) throw EReplayError("the replay is truncated");
  }
  uint8_t U8() {
    Need(1);
    return static_cast<uint8_t>(FBytes[FPos++]);
  }
  uint16_t U16() {
    uint16_t v = 0;
    for (int i = 0; i < 2; ++i) v |= static_cast<uint16_t>(U8() << (8 * i));
    return v;
  }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
    return v;
  }
  uint64_t U64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(U8()) << (8 * i);
    return v;
  }
  TReplayTimer Timer() {
    TReplayTimer t;
    const uint8_t enabled = U8();
    if (enabled > 1) throw EReplayError("the replay's start state is malformed");
    t.Enabled = enabled == 1;
    t.Interval = U32();
    t.Elapsed = U32();
    return t;
  }
  std::string_view Take(std::size_t n) {
    Need(n);
    const std::string_view part = FBytes.substr(FPos, n);
    FPos += n;
    return part;
  }

 private:
  std::string_view FBytes;
  std::size_t FPos = 0;
};

void PutVarint(std::vector<uint8_t>& out, uint32_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

void PutSigned(std::vector<uint8_t>& out, int32_t v) {
  PutVarint(out, (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31));
}

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

bool IsWindowEvent(TPlatformEvent::TKind kind) {
  using TKind = TPlatformEvent::TKind;
  return kind == TKind::FocusGained || kind == TKind::FocusLost || kind == TKind::Resized;
}

bool IsPointerEvent(TPlatformEvent::TKind kind) {
  using TKind = TPlatformEvent::TKind;
  return kind == TKind::MouseMove || kind == TKind::MouseDown || kind == TKind::MouseUp;
}

uint8_t ShiftBits(const TShiftState& s) {
  return static_cast<uint8_t>((s.Shift ? 1 : 0) | (s.Alt ? 2 : 0) | (s.Ctrl ? 4 : 0));
}

std::string Deflate(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, data.data(), static_cast<uLong>(data.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw EReplayError("the replay cannot be packed");
  packed.resize(size);
  return packed;
}

// Unpacks exactly length bytes, never more, whatever the stream claims. One spare byte of room
// shows a stream that holds more; it also gives an empty game's stream room to end in.
std::vector<uint8_t> Inflate(std::string_view packed, uint32_t length) {
  std::vector<uint8_t> data(static_cast<size_t>(length) + 1);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw EReplayError("the replay cannot be unpacked");
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = data.data();
  stream.avail_out = static_cast<uInt>(data.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.total_out == length && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole) throw EReplayError("the replay's records are damaged");
  data.resize(length);
  return data;
}

}  // namespace

uint32_t Crc32(const void* data, std::size_t size, uint32_t crc) {
  const auto& table = CrcTable();
  const auto* bytes = static_cast<const uint8_t*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t FileCrc32(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  uint32_t crc = 0;
  char buffer[1 << 16];
  while (in) {
    in.read(buffer, sizeof buffer);
    crc = Crc32(buffer, static_cast<std::size_t>(in.gcount()), crc);
  }
  return crc;
}

std::string WriteReplay(const TReplay& replay) {
  const TReplayHeader& h = replay.Header;
  std::string bytes(Magic, sizeof Magic);
  TOut out(bytes);
  out.U16(ReplayFormatVersion);
  out.U8(static_cast<uint8_t>(std::min<std::size_t>(h.GameVersion.size(), 255)));
  bytes.append(h.GameVersion.substr(0, 255));
  out.U32(h.PictureChecksum);
  out.U32(h.SoundChecksum);
  const TReplayStart& s = h.Start;
  out.U32(s.ClockMs);
  out.U64(s.RandomState);
  out.U32(static_cast<uint32_t>(s.PointerX));
  out.U32(static_cast<uint32_t>(s.PointerY));
  out.Timer(s.FrameTimer);
  for (const TReplayTimer& t : s.Timers) out.Timer(t);
  out.U32(s.Flags);
  out.U8(s.WindowState);
  out.U32(static_cast<uint32_t>(h.FinalScore));
  out.U32(static_cast<uint32_t>(h.FinalLevel));
  out.U32(h.DurationMs);
  out.U32(h.RecordCount);
  out.U32(static_cast<uint32_t>(replay.Records.size()));
  const std::string packed = Deflate(replay.Records);
  out.U32(static_cast<uint32_t>(packed.size()));
  bytes.append(packed);
  out.U32(Crc32(bytes.data(), bytes.size()));
  return bytes;
}

TReplay ReadReplay(std::string_view bytes) {
  if (bytes.size() > MaxReplayBytes) throw EReplayError("the replay is larger than 1 MB");
  if (bytes.size() < sizeof Magic || bytes.substr(0, sizeof Magic) != std::string_view(Magic, sizeof Magic))
    throw EReplayError("not a replay file");
  TIn in(bytes);
  in.Take(sizeof Magic);
  const uint16_t version = in.U16();
  if (version != ReplayFormatVersion)
    throw EReplayError("the replay has format version " + std::to_string(version) + ", this game reads " +
                       std::to_string(ReplayFormatVersion));
  TReplay replay;
  TReplayHeader& h = replay.Header;
  h.GameVersion = std::string(in.Take(in.U8()));
  h.PictureChecksum = in.U32();
  h.SoundChecksum = in.U32();
  TReplayStart& s = h.Start;
  s.ClockMs = in.U32();
  s.RandomState = in.U64();
  s.PointerX = static_cast<int32_t>(in.U32());
  s.PointerY = static_cast<int32_t>(in.U32());
  s.FrameTimer = in.Timer();
  for (TReplayTimer& t : s.Timers) t = in.Timer();
  s.Flags = in.U32();
  s.WindowState = in.U8();
  if (s.WindowState > 2 || s.PointerX < -MaxCoordinate || s.PointerX > MaxCoordinate ||
      s.PointerY < -MaxCoordinate || s.PointerY > MaxCoordinate)
    throw EReplayError("the replay's start state is malformed");
  h.FinalScore = static_cast<int32_t>(in.U32());
  h.FinalLevel = static_cast<int32_t>(in.U32());
  h.DurationMs = in.U32();
  h.RecordCount = in.U32();
  if (h.DurationMs > MaxReplayGameMs) throw EReplayError("the replay is longer than any game");
  const uint32_t length = in.U32();
  if (length > MaxReplayRecordBytes) throw EReplayError("the replay's records are too large");
  const uint32_t packedLength = in.U32();
  if (packedLength > in.Left()) throw EReplayError("the replay is truncated");
  const std::string_view packed = in.Take(packedLength);
  const std::size_t checked = in.Pos();
  const uint32_t crc = in.U32();
  if (in.Left() != 0) throw EReplayError("the replay has bytes after its end");
  if (crc != Crc32(bytes.data(), checked)) throw EReplayError("the replay is damaged (checksum)");
  replay.Records = Inflate(packed, length);

  // Every record is read once here, so playing it back meets no malformed one.
  TReplayRecordReader reader(replay.Records, s.PointerX, s.PointerY);
  uint32_t count = 0;
  while (!reader.AtEnd()) {
    reader.Read();
    ++count;
  }
  if (count != h.RecordCount) throw EReplayError("the replay's record count does not match its records");
  return replay;
}

TReplayRecordWriter::TReplayRecordWriter(int32_t pointerX, int32_t pointerY)
    : FPointerX(pointerX), FPointerY(pointerY) {}

void TReplayRecordWriter::Add(uint32_t timeoutMs, uint32_t elapsedMs, const TPlatformEvent* event,
                              TWindowState state) {
  const bool poll = timeoutMs == 0;
  if (poll && FPollNonePending) {
    TReplayRecord empty;
    empty.Poll = true;
    Put(empty);
  }
  FPollNonePending = false;
  if (poll && event == nullptr) {
    FPollNonePending = true;
    return;
  }
  TReplayRecord record;
  record.Poll = poll;
  if (!poll) {
    if (elapsedMs >= timeoutMs && elapsedMs - timeoutMs < ExplicitTime) {
      record.AfterTimeout = true;
      record.Ms = elapsedMs - timeoutMs;
    } else {
      record.Ms = elapsedMs;
    }
  }
  if (event != nullptr) {
    record.HasEvent = true;
    record.Event = *event;
    record.WindowState = static_cast<uint8_t>(state);
  }
  Put(record);
}

void TReplayRecordWriter::Put(const TReplayRecord& r) {
  using TKind = TPlatformEvent::TKind;
  const bool plainMove = r.HasEvent && r.Event.Kind == TKind::MouseMove && ShiftBits(r.Event.Shift) == 0;
  const uint8_t kind = !r.HasEvent ? rkNone : plainMove ? rkMove : rkEvent;
  uint8_t time = 0;
  if (!r.Poll) time = r.AfterTimeout ? static_cast<uint8_t>(r.Ms) : ExplicitTime;
  FBytes.push_back(static_cast<uint8_t>(kind << 6 | (r.Poll ? 0x20 : 0) | time));
  if (!r.Poll && !r.AfterTimeout) PutVarint(FBytes, r.Ms);
  ++FCount;
  if (!r.HasEvent) return;
  const TPlatformEvent& e = r.Event;
  const size_t eventByteAt = FBytes.size();
  if (kind == rkEvent) {
    FBytes.push_back(static_cast<uint8_t>(static_cast<uint8_t>(e.Kind) | ShiftBits(e.Shift) << 4));
    if (e.Kind == TKind::KeyDown) PutVarint(FBytes, e.Key);
    if (e.Kind == TKind::MouseDown || e.Kind == TKind::MouseUp) FBytes.push_back(static_cast<uint8_t>(e.Button));
    if (IsWindowEvent(e.Kind)) FBytes.push_back(r.WindowState);
    if (e.Kind == TKind::PadAxis) {
      FBytes.push_back(static_cast<uint8_t>(e.Axis));
      PutSigned(FBytes, e.Value);
    }
    if (e.Kind == TKind::PadButtonDown || e.Kind == TKind::PadButtonUp)
      FBytes.push_back(static_cast<uint8_t>(e.PadButton));
  }
  if (kind == rkEvent && e.X == FPointerX && e.Y == FPointerY) {
    FBytes[eventByteAt] |= 0x80;  // at the pointer: no position follows
    return;
  }
  if (IsPointerEvent(e.Kind)) {
    PutSigned(FBytes, e.X - FPointerX);
    PutSigned(FBytes, e.Y - FPointerY);
    FPointerX = e.X;
    FPointerY = e.Y;
  }
}

std::vector<uint8_t> TReplayRecordWriter::Finish() {
  FPollNonePending = false;
  return std::move(FBytes);
}

TReplayRecordReader::TReplayRecordReader(const std::vector<uint8_t>& records, int32_t pointerX, int32_t pointerY)
    : FBytes(records), FPointerX(pointerX), FPointerY(pointerY) {}

uint8_t TReplayRecordReader::Byte() {
  if (AtEnd()) throw EReplayError("the replay is truncated");
  return FBytes[FPos++];
}

uint32_t TReplayRecordReader::Varint() {
  uint32_t v = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    const uint8_t b = Byte();
    if (shift == 28 && b > 0x0F) throw EReplayError("the replay holds a malformed number");
    v |= static_cast<uint32_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return v;
  }
  throw EReplayError("the replay holds a malformed number");
}

int32_t TReplayRecordReader::Signed() {
  const uint32_t v = Varint();
  return static_cast<int32_t>((v >> 1) ^ (0u - (v & 1)));
}

bool TReplayRecordReader::NextIsPoll() const { return !AtEnd() && (FBytes[FPos] & 0x20) != 0; }

TReplayRecord TReplayRecordReader::Read() {
  using TKind = TPlatformEvent::TKind;
  const uint8_t head = Byte();
  const uint8_t kind = head >> 6;
  if (kind > rkEvent) throw EReplayError("the replay holds an unknown record");
  TReplayRecord r;
  r.Poll = (head & 0x20) != 0;
  const uint8_t time = head & 0x1F;
  if (r.Poll) {
    if (time != 0) throw EReplayError("the replay holds a malformed record");
  } else if (time == ExplicitTime) {
    r.Ms = Varint();
  } else {
    r.AfterTimeout = true;
    r.Ms = time;
  }
  if (kind == rkNone) return r;
  r.HasEvent = true;
  TPlatformEvent& e = r.Event;
  uint8_t b = 0;
  if (kind == rkMove) {
    e.Kind = TKind::MouseMove;
  } else {
    b = Byte();
    if ((b & 0x0F) > static_cast<uint8_t>(TKind::PadRemoved))
      throw EReplayError("the replay holds an unknown event");
    e.Kind = static_cast<TKind>(b & 0x0F);
    e.Shift = TShiftState{(b & 0x10) != 0, (b & 0x20) != 0, (b & 0x40) != 0};
    if (e.Kind == TKind::KeyDown) {
      const uint32_t key = Varint();
      if (key > 0xFFFF) throw EReplayError("the replay holds an unknown key");
      e.Key = static_cast<uint16_t>(key);
    }
    if (e.Kind == TKind::MouseDown || e.Kind == TKind::MouseUp) {
      const uint8_t button = Byte();
      if (button > static_cast<uint8_t>(TMouseButton::mbMiddle)) throw EReplayError("the replay holds an unknown button");
      e.Button = static_cast<TMouseButton>(button);
    }
    if (IsWindowEvent(e.Kind)) {
      r.WindowState = Byte();
      if (r.WindowState > static_cast<uint8_t>(TWindowState::wsMaximized))
        throw EReplayError("the replay holds an unknown window state");
    }
    if (e.Kind == TKind::PadAxis) {
      const uint8_t axis = Byte();
      if (axis > static_cast<uint8_t>(TPadAxis::TriggerRight)) throw EReplayError("the replay holds an unknown pad axis");
      e.Axis = static_cast<TPadAxis>(axis);
      e.Value = Signed();
      if (e.Value < -32768 || e.Value > 32767) throw EReplayError("the replay holds a pad axis out of its range");
    }
    if (e.Kind == TKind::PadButtonDown || e.Kind == TKind::PadButtonUp) {
      const uint8_t button = Byte();
      if (button > static_cast<uint8_t>(TPadButton::Other)) throw EReplayError("the replay holds an unknown pad button");
      e.PadButton = static_cast<TPadButton>(button);
    }
  }
  if (kind == rkEvent && (b & 0x80) != 0) {
    e.X = FPointerX;
    e.Y = FPointerY;
  } else if (IsPointerEvent(e.Kind)) {
    const int64_t x = static_cast<int64_t>(FPointerX) + Signed();
    const int64_t y = static_cast<int64_t>(FPointerY) + Signed();
    if (x < -MaxCoordinate || x > MaxCoordinate || y < -MaxCoordinate || y > MaxCoordinate)
      throw EReplayError("the replay moves the pointer out of any window");
    FPointerX = e.X = static_cast<int32_t>(x);
    FPointerY = e.Y = static_cast<int32_t>(y);
  }
  return r;
}
