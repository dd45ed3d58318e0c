#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What an XM module is made of, as the music builder assembles it; WriteXm packs it into the
// FastTracker 2 file format that the music library plays.
struct TXmCell {
  uint8_t Note = 0;        // 1..96 (C-0..B-7), 97 key off, 0 none
  uint8_t Instrument = 0;  // 1-based, 0 none
  uint8_t Volume = 0;      // volume column byte (0x10..0x50 sets 0..64), 0 none
  uint8_t Effect = 0;
  uint8_t Param = 0;
};

struct TXmPattern {
  int Rows = 64;
  std::vector<TXmCell> Cells;  // Rows x channels, row by row
};

struct TXmEnvelopePoint {
  uint16_t Tick = 0;
  uint16_t Value = 0;  // 0..64
};

struct TXmSample {
  std::string Name;
  std::vector<int16_t> Data;
  uint32_t LoopStart = 0;   // in samples
  uint32_t LoopLength = 0;  // 0: no loop
  uint8_t Volume = 64;
  int8_t Finetune = 0;
  int8_t RelativeNote = 0;
  uint8_t Panning = 128;
};

struct TXmInstrument {
  std::string Name;
  TXmSample Sample;
  std::vector<TXmEnvelopePoint> VolumeEnvelope;  // empty: none
  int VolumeSustain = -1;                        // point index, -1 none
  uint16_t Fadeout = 0;
  uint8_t VibratoDepth = 0;
  uint8_t VibratoRate = 0;
  uint8_t VibratoSweep = 0;
};

struct TXmModule {
  std::string Name;
  int Channels = 8;
  int Speed = 6;  // ticks per row
  int Bpm = 125;
  std::vector<uint8_t> Orders;
  std::vector<TXmPattern> Patterns;
  std::vector<TXmInstrument> Instruments;
};

// The restart position is always 0: a module that has played through starts from the top.
std::vector<uint8_t> WriteXm(const TXmModule& module);
