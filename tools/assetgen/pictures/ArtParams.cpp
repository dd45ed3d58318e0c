#include "ArtParams.h"

#include <fstream>
#include <stdexcept>

namespace {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

}  // namespace

TArtParams::TArtParams(const std::filesystem::path& folder) : FFolder(folder) {
  if (!std::filesystem::is_directory(folder)) return;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().extension() != ".txt") continue;
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      const std::string t = Trim(line);
      if (t.empty() || t[0] == '#') continue;
      const size_t eq = t.find('=');
      if (eq == std::string::npos)
        throw std::runtime_error(entry.path().string() + ":" + std::to_string(number) + ": expected key = value");
      FValues[Trim(t.substr(0, eq))] = Trim(t.substr(eq + 1));
    }
  }
}

TColor TArtParams::Color(const std::string& key, uint32_t fallback) const {
  const auto it = FValues.find(key);
  if (it == FValues.end()) return Rgb(fallback);
  const std::string& v = it->second;
  if (v.size() != 7 || v[0] != '#') throw std::runtime_error("colour " + key + " must be #rrggbb");
  return Rgb(static_cast<uint32_t>(std::stoul(v.substr(1), nullptr, 16)));
}

TColor TArtParams::Color(const std::string& key, const TColor& fallback) const {
  return FValues.count(key) ? Color(key, 0u) : fallback;
}

double TArtParams::Number(const std::string& key, double fallback) const {
  const auto it = FValues.find(key);
  return it == FValues.end() ? fallback : std::stod(it->second);
}

std::string TArtParams::Text(const std::string& key, const std::string& fallback) const {
  const auto it = FValues.find(key);
  return it == FValues.end() ? fallback : it->second;
}
