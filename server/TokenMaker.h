#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <random>
#include <string>

// Makes the one-time tokens P handed out with the version reply: 80 bits from the system's random
// source, written in the coder's alphabet. The store keeps them with their expiry.
class TTokenMaker {
 public:
  static constexpr std::chrono::minutes Lifetime{10};
  static constexpr size_t TokenLength = 16;

  std::string Make();

 private:
  std::mutex FLock;
  std::random_device FRandom;
};
