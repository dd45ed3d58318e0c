#include "server/Query.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      result.push_back(' ');
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      result.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      result.push_back(c);
    }
  }
  return result;
}

TQuery TQuery::Parse(std::string_view query) {
  TQuery result;
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (piece.empty()) continue;
    const size_t eq = piece.find('=');
    if (eq == std::string_view::npos) {
      result.FParams.emplace_back(PercentDecode(piece), std::string());
    } else {
      result.FParams.emplace_back(PercentDecode(piece.substr(0, eq)), PercentDecode(piece.substr(eq + 1)));
    }
  }
  return result;
}

TQuery TQuery::FromTarget(std::string_view target) {
  target = target.substr(0, target.find('#'));
  const size_t question = target.find('?');
  if (question == std::string_view::npos) return TQuery();
  return Parse(target.substr(question + 1));
}

const std::string* TQuery::Find(std::string_view key) const {
  for (const auto& [name, value] : FParams) {
    if (name == key) return &value;
  }
  return nullptr;
}
