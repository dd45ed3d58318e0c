#include "server/SubmissionRecord.h"

#include <array>

namespace {

constexpr size_t MaxNameLength = 10;
constexpr size_t MaxAdditionalLength = 10;
constexpr size_t MaxTokenLength = 64;
// The game pads with "0" to a multiple of 5, so never five or more.
constexpr size_t MaxPadding = 4;

bool AllCapitals(std::string_view text) {
  for (const char c : text) {
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

bool AllCapitalsOrDigits(std::string_view text) {
  for (const char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// The game writes scores as plain decimals: no sign, no leading zero, no spaces.
bool ParseScore(std::string_view text, int32_t& score) {
  if (text.empty() || text.size() > 10) return false;
  if (text.size() > 1 && text[0] == '0') return false;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > INT32_MAX) return false;
  score = static_cast<int32_t>(value);
  return true;
}

// Takes "name=" off the front of field, or says it is not there.
bool TakeField(std::string_view field, std::string_view name, std::string_view& value) {
  if (field.size() < name.size() + 1 || field.substr(0, name.size()) != name || field[name.size()] != '=') {
    return false;
  }
  value = field.substr(name.size() + 1);
  return true;
}

}  // namespace

TSubmissionCheck ParseSubmissionRecord(std::string_view record, char expectedKey) {
  static constexpr std::array<std::string_view, 7> FieldNames = {"type", "name", "score", "key", "p", "add", "z"};
  std::array<std::string_view, 7> values;
  TSubmissionCheck check;
  size_t index = 0;
  while (true) {
    const size_t bar = record.find('|');
    const std::string_view field = record.substr(0, bar);
    if (index == FieldNames.size()) {
      check.Error = "too many fields";
      return check;
    }
    if (!TakeField(field, FieldNames[index], values[index])) {
      check.Error = "field " + std::to_string(index + 1) + " is not " + std::string(FieldNames[index]) + "=";
      return check;
    }
    ++index;
    if (bar == std::string_view::npos) break;
    record = record.substr(bar + 1);
  }
  if (index != FieldNames.size()) {
    check.Error = "the record ends early";
    return check;
  }
  const auto [type, name, score, key, p, additional, end] = values;
  if (type != "0") {
    check.Error = "unknown type";
  } else if (name.empty() || name.size() > MaxNameLength || !AllCapitals(name)) {
    check.Error = "the name must be 1 to 10 capital letters";
  } else if (!ParseScore(score, check.Submission.Score)) {
    check.Error = "the score must be a whole number from 0 to 2147483647";
  } else if (key.size() != 1 || key[0] != expectedKey) {
    check.Error = "wrong key";
  } else if (p.empty() || p.size() > MaxTokenLength || !AllCapitalsOrDigits(p)) {
    check.Error = "malformed token";
  } else if (additional.size() > MaxAdditionalLength || !AllCapitals(additional)) {
    check.Error = "the additional text must be at most 10 capital letters";
  } else if (end.size() > MaxPadding || end.find_first_not_of('0') != std::string_view::npos) {
    check.Error = "bad padding after the end mark";
  }
  if (!check.Ok()) return check;
  check.Submission.Name = name;
  check.Submission.Key = key[0];
  check.Submission.P = p;
  check.Submission.Additional = additional;
  return check;
}
