#include "server/TokenBook.h"

#include <cstdint>

namespace {

// The coder's alphabet: tokens travel inside the coded record and read well in logs.
constexpr char TokenAlphabet[] = "QWERTYUPASDFGHJKLZXCVBNM23456789";

}  // namespace

std::string TTokenBook::Issue(TSteadyTime now) {
  std::lock_guard lock(FLock);
  std::string token;
  do {
    token.clear();
    // 16 characters of 5 bits: 80 bits from the system's random source.
    uint64_t bits = 0;
    int available = 0;
    while (token.size() < TokenLength) {
      if (available < 5) {
        bits = static_cast<uint64_t>(FRandom()) | (static_cast<uint64_t>(FRandom()) << 32);
        available = 64;
      }
      token.push_back(TokenAlphabet[bits & 31u]);
      bits >>= 5;
      available -= 5;
    }
  } while (FExpiry.count(token) != 0);
  Forget(now);
  while (FByExpiry.size() >= FCapacity) {
    FExpiry.erase(FByExpiry.front().second);
    FByExpiry.pop_front();
  }
  const TSteadyTime expiry = now + Lifetime;
  FExpiry.emplace(token, expiry);
  FByExpiry.emplace_back(expiry, token);
  return token;
}

bool TTokenBook::Redeem(const std::string& token, TSteadyTime now) {
  std::lock_guard lock(FLock);
  Forget(now);
  const auto found = FExpiry.find(token);
  if (found == FExpiry.end()) return false;
  const bool fresh = now < found->second;
  FExpiry.erase(found);
  return fresh;
}

size_t TTokenBook::Outstanding() const {
  std::lock_guard lock(FLock);
  return FExpiry.size();
}

void TTokenBook::Forget(TSteadyTime now) {
  while (!FByExpiry.empty() && FByExpiry.front().first <= now) {
    const auto found = FExpiry.find(FByExpiry.front().second);
    // A token redeemed and, by chance, issued again later has a later expiry: leave that one.
    if (found != FExpiry.end() && found->second == FByExpiry.front().first) FExpiry.erase(found);
    FByExpiry.pop_front();
  }
}
