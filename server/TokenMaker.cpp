#include "server/TokenMaker.h"

#include <cstdint>

namespace {

// The coder's alphabet: tokens travel inside the coded record and read well in logs.
constexpr char TokenAlphabet[] = "QWERTYUPASDFGHJKLZXCVBNM23456789";

}  // namespace

std::string TTokenMaker::Make() {
  std::lock_guard lock(FLock);
  std::string token;
  // 16 characters of 5 bits.
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
  return token;
}
