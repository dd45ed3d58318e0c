#pragma once

#include <cxxabi.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/MainForm.h"
#include "platform/Surface.h"

// The live top-level sprites by class name, in name order.
inline std::map<std::string, int> LiveSpritesByClass(TMainForm& form) {
  std::map<std::string, int> counts;
  TSpriteEngine& engine = form.Engine();
  for (int32_t i = 0; i < engine.Count(); ++i) {
    const TSprite& sprite = engine.Items(i);
    if (sprite.IsDead()) continue;
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(sprite).name(), nullptr, nullptr, &status), std::free);
    ++counts[status == 0 ? name.get() : typeid(sprite).name()];
  }
  return counts;
}

// One line of a state log: the screen, the game's numbers and what is alive on the field.
inline std::string StateLine(TMainForm& form, uint32_t second) {
  std::ostringstream line;
  line << "t=" << second << " screen=" << int(form.CurrentScreen) << " level=" << form.LevelNumber
       << " score=" << form.Score << " lives=" << form.Lives << " health=" << form.Health << " |";
  for (const auto& [name, count] : LiveSpritesByClass(form)) line << ' ' << name << '=' << count;
  return line.str();
}

// Writes an RGB565 surface as a PNG (stored, uncompressed deflate blocks).
inline void WritePng(const TSurface& surface, const std::string& path) {
  auto crc32 = [](const std::vector<uint8_t>& data, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
      crc ^= data[i];
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
  };
  auto put32 = [](std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
  };
  auto chunk = [&](std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    put32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(out, start));
  };
  const int w = surface.Width(), h = surface.Height();
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      const uint16_t p = surface.Pixel(x, y);
      raw.push_back(static_cast<uint8_t>(((p >> 11) & 31) * 255 / 31));
      raw.push_back(static_cast<uint8_t>(((p >> 5) & 63) * 255 / 63));
      raw.push_back(static_cast<uint8_t>((p & 31) * 255 / 31));
    }
  }
  std::vector<uint8_t> z{0x78, 0x01};
  for (size_t at = 0; at < raw.size(); at += 65535) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put32(z, (b << 16) | a);
  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  put32(header, static_cast<uint32_t>(w));
  put32(header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                             static_cast<std::streamsize>(png.size()));
}
