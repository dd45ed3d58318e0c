// Writes the seed corpora of the fuzz targets with the game's own writers:
//   fuzz_seeds <corpus folder>
// The files are small on purpose: the fuzzer mutates them, it does not need real game data.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "assetgen/music/XmWriter.h"
#include "audio/WaveArchive.h"
#include "engine/PictureArchiveWriter.h"
#include "platform/replay/Replay.h"
#include "scores/TextCoder.h"
#include "tests/fuzz/StartOfAGame.h"

namespace {

namespace fs = std::filesystem;

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void SaveText(const fs::path& path, const std::string& text) { Save(path, std::vector<uint8_t>(text.begin(), text.end())); }

TPictureSource Picture(const std::string& name, int32_t width, int32_t height) {
  TPictureSource source;
  source.Name = name;
  source.Width = width;
  source.Height = height;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      source.Bgr.push_back(static_cast<uint8_t>(x * 31));
      source.Bgr.push_back(static_cast<uint8_t>(y * 47));
      source.Bgr.push_back(static_cast<uint8_t>((x + y) & 1 ? 255 : 0));
    }
  return source;
}

TWave Tone(int32_t channels, int32_t bits, int32_t rate, int frames) {
  std::vector<float> samples;
  for (int i = 0; i < frames * channels; ++i) samples.push_back(0.5F * std::sin(static_cast<float>(i) * 0.3F));
  TWave wave = TWave::FromFloat(samples, channels, rate);
  if (bits == 8) {
    TWave narrow;
    narrow.Channels = channels;
    narrow.SampleRate = rate;
    narrow.BitsPerSample = 8;
    for (const float s : samples) narrow.Data.push_back(static_cast<uint8_t>(128 + std::lround(s * 100)));
    return narrow;
  }
  return wave;
}

// The settings file: 25 coded lines ended by CR LF, text lines padded with "%" to whole groups.
std::string SettingsFile(const std::vector<std::string>& lines) {
  std::string file;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string text = lines[i];
    if (i >= 3 && !text.empty())
      while (text.size() % 5 != 0) text += '%';
    file += EncodeText(text) + "\r\n";
  }
  return file;
}

TXmModule Module(int channels, int rows, bool looped) {
  TXmModule module;
  module.Name = "seed";
  module.Channels = channels;
  module.Orders = {0, 1, 0};
  for (int p = 0; p < 2; ++p) {
    TXmPattern pattern;
    pattern.Rows = rows;
    pattern.Cells.resize(static_cast<size_t>(rows * channels));
    for (int row = 0; row < rows; row += 2) {
      TXmCell& cell = pattern.Cells[static_cast<size_t>(row * channels + row % channels)];
      cell.Note = static_cast<uint8_t>(49 + row % 12 + p);
      cell.Instrument = 1;
      cell.Volume = 0x40;
      if (row == 4) {
        cell.Effect = 0x0F;  // speed
        cell.Param = 4;
      }
    }
    module.Patterns.push_back(pattern);
  }
  TXmInstrument instrument;
  instrument.Name = "saw";
  for (int i = 0; i < 64; ++i) instrument.Sample.Data.push_back(static_cast<int16_t>(i * 1000 - 32000));
  if (looped) {
    instrument.Sample.LoopStart = 8;
    instrument.Sample.LoopLength = 32;
  }
  instrument.VolumeEnvelope = {{0, 64}, {8, 32}, {32, 0}};
  instrument.VolumeSustain = 1;
  instrument.Fadeout = 256;
  module.Instruments.push_back(instrument);
  return module;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds <corpus folder>\n";
    return 2;
  }
  const fs::path corpus = argv[1];

  Save(corpus / "picture_archive_fuzz" / "one_picture.dxg", WritePictureArchive({Picture("Dot", 3, 2)}));
  TPictureSource frames = Picture("Frames", 8, 4);
  frames.PatternWidth = 3;
  frames.PatternHeight = 2;
  frames.SkipWidth = 1;
  frames.TransparentColor = 0x00FF0000;
  TPictureSource solid = Picture("Solid", 5, 1);
  solid.Transparent = false;
  solid.SystemMemory = true;
  Save(corpus / "picture_archive_fuzz" / "patterns.dxg", WritePictureArchive({frames, solid}));

  Save(corpus / "wave_archive_fuzz" / "one_wave.dxw", WriteWaveArchive({{"beep", false, 2, Tone(1, 16, 22050, 40)}}));
  Save(corpus / "wave_archive_fuzz" / "three_waves.dxw",
       WriteWaveArchive({{"loop", true, 0, Tone(2, 16, 44100, 16)},
                         {"narrow", false, 0, Tone(1, 8, 11025, 24)},
                         {"wide", false, 3, Tone(2, 8, 8000, 8)}}));

  SaveText(corpus / "text_coder_fuzz" / "version_reply.txt", "OK|1.0|x|y|P123|z");
  SaveText(corpus / "text_coder_fuzz" / "coded.txt", EncodeText("ZARVOK|12345|Z|P|0000"));
  SaveText(corpus / "text_coder_fuzz" / "refused.txt", "ERROR old version\r\n");

  std::vector<std::string> lines = {"false", "true", "false", "EXTRA", "PLAYER"};
  for (int rank = 0; rank < 10; ++rank) {
    lines.push_back("NAME" + std::to_string(rank));
    lines.push_back(std::to_string(10000 - rank * 900));
  }
  SaveText(corpus / "settings_fuzz" / "full.cfg", SettingsFile(lines));
  SaveText(corpus / "settings_fuzz" / "short.cfg", SettingsFile({"true", "false", "true", "", "AB"}));
  SaveText(corpus / "settings_fuzz" / "signed.cfg",
           SettingsFile({"false", "false", "false", "", "", "X", "-2147483648", "Y", "+7"}));

  Save(corpus / "xm_module_fuzz" / "two_patterns.xm", WriteXm(Module(2, 16, false)));
  Save(corpus / "xm_module_fuzz" / "looped.xm", WriteXm(Module(4, 8, true)));

  // A short game: a few frames, a move, a shot and the Esc that ends it.
  TReplay replay = StartOfAGame();
  TReplayRecordWriter writer(400, 300);
  TPlatformEvent event;
  for (int frame = 0; frame < 40; ++frame) writer.Add(30, 30, nullptr, TWindowState::wsNormal);
  event.Kind = TPlatformEvent::TKind::MouseMove;
  event.X = 420;
  event.Y = 380;
  writer.Add(30, 31, &event, TWindowState::wsNormal);
  event.Kind = TPlatformEvent::TKind::MouseDown;
  writer.Add(0, 0, &event, TWindowState::wsNormal);
  event.Kind = TPlatformEvent::TKind::KeyDown;
  event.Key = 27;
  writer.Add(30, 12, &event, TWindowState::wsNormal);
  replay.Header.RecordCount = writer.Count();
  replay.Header.DurationMs = 40 * 30 + 31 + 12;
  replay.Records = writer.Finish();
  const std::string bytes = WriteReplay(replay);
  Save(corpus / "replay_fuzz" / "short_game.zrp", std::vector<uint8_t>(bytes.begin(), bytes.end()));
  // The same records alone, for the target's records mode (any first byte but 'Z').
  std::vector<uint8_t> records{'R'};
  records.insert(records.end(), replay.Records.begin(), replay.Records.end());
  Save(corpus / "replay_fuzz" / "short_game.records", records);
  return 0;
}
