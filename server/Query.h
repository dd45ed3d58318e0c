#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The parameters of a request's query in their order, percent-decoded. The game's own requests use
// bare keys ("version", "hs", "show"), so a key without "=" counts as present with an empty value.
class TQuery {
 public:
  // query is the text after '?'.
  static TQuery Parse(std::string_view query);
  // target is the raw request target: path, then optionally '?' and the query, maybe a '#' fragment.
  static TQuery FromTarget(std::string_view target);

  bool Has(std::string_view key) const { return Find(key) != nullptr; }
  // The value of the first parameter with this key, or null.
  const std::string* Find(std::string_view key) const;
  size_t Count() const { return FParams.size(); }

 private:
  std::vector<std::pair<std::string, std::string>> FParams;
};

// "%41" becomes "A" and "+" a space; a broken escape stays as it was written.
std::string PercentDecode(std::string_view text);
