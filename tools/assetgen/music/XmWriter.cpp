#include "assetgen/music/XmWriter.h"

#include <algorithm>
#include <stdexcept>

namespace {

class TOut {
 public:
  void U8(uint8_t v) { Bytes.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Text(const std::string& s, std::size_t width, char pad = '\0') {
    for (std::size_t i = 0; i < width; ++i) U8(static_cast<uint8_t>(i < s.size() ? s[i] : pad));
  }
  void Zeros(std::size_t n) { Bytes.insert(Bytes.end(), n, 0); }
  std::vector<uint8_t> Bytes;
};

std::vector<uint8_t> PackPattern(const TXmPattern& pattern) {
  std::vector<uint8_t> packed;
  for (const TXmCell& c : pattern.Cells) {
    uint8_t mask = 0x80;
    if (c.Note) mask |= 0x01;
    if (c.Instrument) mask |= 0x02;
    if (c.Volume) mask |= 0x04;
    if (c.Effect) mask |= 0x08;
    if (c.Param) mask |= 0x10;
    packed.push_back(mask);
    if (c.Note) packed.push_back(c.Note);
    if (c.Instrument) packed.push_back(c.Instrument);
    if (c.Volume) packed.push_back(c.Volume);
    if (c.Effect) packed.push_back(c.Effect);
    if (c.Param) packed.push_back(c.Param);
  }
  return packed;
}

}  // namespace

std::vector<uint8_t> WriteXm(const TXmModule& module) {
  if (module.Orders.empty() || module.Orders.size() > 256 || module.Patterns.size() > 256 ||
      module.Instruments.size() > 128 || module.Channels < 1 || module.Channels > 32)
    throw std::runtime_error("the module does not fit the XM format");
  TOut out;
  out.Text("Extended Module: ", 17);
  out.Text(module.Name, 20, ' ');
  out.U8(0x1A);
  out.Text("Zarvok assetgen", 20, ' ');
  out.U16(0x0104);
  out.U32(276);
  out.U16(static_cast<uint16_t>(module.Orders.size()));
  out.U16(0);  // restart position
  out.U16(static_cast<uint16_t>(module.Channels));
  out.U16(static_cast<uint16_t>(module.Patterns.size()));
  out.U16(static_cast<uint16_t>(module.Instruments.size()));
  out.U16(1);  // linear frequency table
  out.U16(static_cast<uint16_t>(module.Speed));
  out.U16(static_cast<uint16_t>(module.Bpm));
  for (std::size_t i = 0; i < 256; ++i) out.U8(i < module.Orders.size() ? module.Orders[i] : 0);

  for (const TXmPattern& pattern : module.Patterns) {
    if (pattern.Cells.size() != static_cast<std::size_t>(pattern.Rows * module.Channels))
      throw std::runtime_error("a pattern has the wrong number of cells");
    const std::vector<uint8_t> packed = PackPattern(pattern);
    out.U32(9);
    out.U8(0);
    out.U16(static_cast<uint16_t>(pattern.Rows));
    out.U16(static_cast<uint16_t>(packed.size()));
    out.Bytes.insert(out.Bytes.end(), packed.begin(), packed.end());
  }

  for (const TXmInstrument& instrument : module.Instruments) {
    out.U32(263);
    out.Text(instrument.Name, 22);
    out.U8(0);
    out.U16(1);
    out.U32(40);
    out.Zeros(96);  // every note plays sample 0
    for (std::size_t i = 0; i < 12; ++i) {
      const TXmEnvelopePoint p = i < instrument.VolumeEnvelope.size() ? instrument.VolumeEnvelope[i] : TXmEnvelopePoint{};
      out.U16(p.Tick);
      out.U16(p.Value);
    }
    out.Zeros(48);  // no panning envelope
    out.U8(static_cast<uint8_t>(std::min<std::size_t>(12, instrument.VolumeEnvelope.size())));
    out.U8(0);
    out.U8(static_cast<uint8_t>(std::max(0, instrument.VolumeSustain)));
    out.U8(0);
    out.U8(0);
    out.Zeros(3);
    uint8_t volumeType = instrument.VolumeEnvelope.empty() ? 0 : 1;
    if (!instrument.VolumeEnvelope.empty() && instrument.VolumeSustain >= 0) volumeType |= 2;
    out.U8(volumeType);
    out.U8(0);
    out.U8(0);  // vibrato: sine
    out.U8(instrument.VibratoSweep);
    out.U8(instrument.VibratoDepth);
    out.U8(instrument.VibratoRate);
    out.U16(instrument.Fadeout);
    out.Zeros(22);

    const TXmSample& s = instrument.Sample;
    out.U32(static_cast<uint32_t>(s.Data.size() * 2));
    out.U32(s.LoopStart * 2);
    out.U32(s.LoopLength * 2);
    out.U8(s.Volume);
    out.U8(static_cast<uint8_t>(s.Finetune));
    out.U8(static_cast<uint8_t>((s.LoopLength > 0 ? 1 : 0) | 0x10));
    out.U8(s.Panning);
    out.U8(static_cast<uint8_t>(s.RelativeNote));
    out.U8(0);
    out.Text(s.Name, 22);
    int16_t previous = 0;
    for (const int16_t v : s.Data) {
      out.U16(static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous)));
      previous = v;
    }
  }
  return std::move(out.Bytes);
}
