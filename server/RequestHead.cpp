#include "server/RequestHead.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

namespace {

constexpr std::array<std::string_view, 10> KnownMethods = {"GET",     "HEAD",  "POST",  "PUT", "DELETE",
                                                           "CONNECT", "OPTIONS", "TRACE", "PATCH", "PRI"};

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20);
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ParseCount(std::string_view text, uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// "GET /path?query HTTP/1.1": one space each, a target without spaces that does not start with
// '?', and HTTP/1.0 or 1.1.
bool ParseRequestLine(std::string_view line, TRequestHead& head) {
  const size_t first = line.find(' ');
  const size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos) return false;
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  head.Method = method;
  head.Target = target;
  if (std::find(KnownMethods.begin(), KnownMethods.end(), method) == KnownMethods.end()) return false;
  if (target.empty() || target.front() == '?') return false;
  if (std::any_of(target.begin(), target.end(), [](char c) { return static_cast<unsigned char>(c) < 0x21; })) {
    return false;
  }
  if (version != "HTTP/1.0" && version != "HTTP/1.1") return false;
  head.Version = version;
  return true;
}

THeadCheck Refuse(int status, TRequestHead head = {}) {
  THeadCheck check;
  check.State = THeadCheck::TState::Refused;
  check.Status = status;
  check.Head = std::move(head);
  return check;
}

}  // namespace

const std::string* TRequestHead::Find(std::string_view name) const {
  for (const auto& [key, value] : Fields) {
    if (SameText(key, name)) return &value;
  }
  return nullptr;
}

const std::string* TRequestHead::FindLast(std::string_view name) const {
  for (auto field = Fields.rbegin(); field != Fields.rend(); ++field) {
    if (SameText(field->first, name)) return &field->second;
  }
  return nullptr;
}

THeadCheck CheckRequest(std::string_view bytes, const THeadLimits& limits) {
  const size_t end = bytes.find("\r\n\r\n");
  if (end == std::string_view::npos || end + 4 > limits.MaxHead) {
    if (bytes.size() >= limits.MaxHead) return Refuse(431);
    // A request line that is already broken need not wait for the rest.
    const size_t lineEnd = bytes.find("\r\n");
    if (lineEnd != std::string_view::npos) {
      TRequestHead head;
      if (!ParseRequestLine(bytes.substr(0, lineEnd), head)) return Refuse(400, std::move(head));
    }
    return {};
  }
  TRequestHead head;
  head.Length = end + 4;
  const std::string_view text = bytes.substr(0, end + 2);
  size_t lineEnd = text.find("\r\n");
  if (lineEnd + 2 > limits.MaxLine) return Refuse(414, std::move(head));
  if (!ParseRequestLine(text.substr(0, lineEnd), head)) return Refuse(400, std::move(head));
  for (size_t from = lineEnd + 2; from < text.size(); from = lineEnd + 2) {
    lineEnd = text.find("\r\n", from);
    const std::string_view line = text.substr(from, lineEnd - from);
    if (line.size() + 2 > limits.MaxLine) return Refuse(431, std::move(head));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' || line.front() == '\t') {
      return Refuse(400, std::move(head));
    }
    head.Fields.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
  }

  // Bodies come with a length, so the front can wait for all of one without holding a thread.
  if (head.Find("Transfer-Encoding") != nullptr) return Refuse(411, std::move(head));
  uint64_t bodyLength = 0;
  for (const auto& [key, value] : head.Fields) {
    if (!SameText(key, "Content-Length")) continue;
    uint64_t length = 0;
    if (!ParseCount(value, length) || (&value != head.Find("Content-Length") && length != bodyLength)) {
      return Refuse(400, std::move(head));
    }
    bodyLength = length;
  }
  if (bodyLength > limits.MaxBody) return Refuse(413, std::move(head));
  if (const std::string* range = head.Find("Range"); range != nullptr && !RangesAcceptable(*range, limits.MaxRanges)) {
    return Refuse(416, std::move(head));
  }
  if (bytes.size() < head.Length + bodyLength) {
    THeadCheck waiting;
    waiting.Head = std::move(head);
    waiting.BodyLength = static_cast<size_t>(bodyLength);
    return waiting;
  }
  THeadCheck check;
  check.State = THeadCheck::TState::Complete;
  check.Head = std::move(head);
  check.BodyLength = static_cast<size_t>(bodyLength);
  return check;
}

bool RangesAcceptable(std::string_view value, size_t maxRanges) {
  constexpr std::string_view Unit = "bytes=";
  if (value.size() < Unit.size() || !SameText(value.substr(0, Unit.size()), Unit)) return true;
  value.remove_prefix(Unit.size());
  const size_t count = static_cast<size_t>(std::count(value.begin(), value.end(), ',')) + 1;
  if (count > maxRanges) return false;
  uint64_t nextFree = 0;
  bool openEnded = false;
  while (true) {
    const size_t comma = value.find(',');
    const std::string_view spec = Trim(value.substr(0, comma));
    const size_t dash = spec.find('-');
    if (dash == std::string_view::npos) return false;
    uint64_t first = 0;
    uint64_t last = std::numeric_limits<uint64_t>::max();
    if (dash == 0) {
      // A suffix ("the last n bytes") stands alone: its place in the file is unknown here.
      if (count > 1 || !ParseCount(spec.substr(1), last)) return false;
    } else {
      if (openEnded || !ParseCount(spec.substr(0, dash), first) || first < nextFree) return false;
      if (dash + 1 == spec.size()) {
        openEnded = true;
      } else if (!ParseCount(spec.substr(dash + 1), last) || last < first) {
        return false;
      }
      nextFree = last == std::numeric_limits<uint64_t>::max() ? last : last + 1;
    }
    if (comma == std::string_view::npos) return true;
    value.remove_prefix(comma + 1);
  }
}

std::optional<std::string> NormalAddress(std::string_view text) {
  const std::string copy(Trim(text));
  char printed[INET6_ADDRSTRLEN] = {};
  in_addr v4{};
  if (inet_pton(AF_INET, copy.c_str(), &v4) == 1) return std::string(inet_ntop(AF_INET, &v4, printed, sizeof printed));
  in6_addr v6{};
  if (inet_pton(AF_INET6, copy.c_str(), &v6) != 1) return std::nullopt;
  if (IN6_IS_ADDR_V4MAPPED(&v6)) {
    std::copy(v6.s6_addr + 12, v6.s6_addr + 16, reinterpret_cast<unsigned char*>(&v4));
    return std::string(inet_ntop(AF_INET, &v4, printed, sizeof printed));
  }
  return std::string(inet_ntop(AF_INET6, &v6, printed, sizeof printed));
}

std::string ClientAddress(const std::string& peer, const std::string& trustedProxy, const std::string* forwardedFor) {
  if (trustedProxy.empty() || peer != trustedProxy || forwardedFor == nullptr) return peer;
  const size_t comma = forwardedFor->rfind(',');
  const std::string_view last =
      comma == std::string::npos ? std::string_view(*forwardedFor) : std::string_view(*forwardedFor).substr(comma + 1);
  return NormalAddress(last).value_or(peer);
}
