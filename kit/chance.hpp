// The one source of chance in every game: MT19937 and the exact chance roll.
#pragma once

#include <cstdint>

namespace kit {

// The 32-bit Mersenne Twister, written out so that the programs need nothing from the C++ runtime
// library; its outputs are fixed by the published generator (and equal std::mt19937's).
class Mt19937 {
 public:
  explicit constexpr Mt19937(std::uint32_t seed) {
    state_[0] = seed;
    for (std::uint32_t i = 1; i < kSize; ++i) {
      state_[i] = 1812433253U * (state_[i - 1] ^ (state_[i - 1] >> 30U)) + i;
    }
  }

  constexpr std::uint32_t next() {
    if (index_ == kSize) twist();
    std::uint32_t y = state_[index_++];
    y ^= y >> 11U;
    y ^= (y << 7U) & 0x9D2C5680U;
    y ^= (y << 15U) & 0xEFC60000U;
    y ^= y >> 18U;
    return y;
  }

 private:
  static constexpr std::uint32_t kSize = 624;
  static constexpr std::uint32_t kShift = 397;

  constexpr void twist() {
    for (std::uint32_t i = 0; i < kSize; ++i) {
      const std::uint32_t y = (state_[i] & 0x80000000U) | (state_[(i + 1) % kSize] & 0x7FFFFFFFU);
      state_[i] = state_[(i + kShift) % kSize] ^ (y >> 1U) ^ ((y & 1U) != 0 ? 0x9908B0DFU : 0U);
    }
    index_ = 0;
  }

  std::uint32_t state_[kSize] = {};
  std::uint32_t index_ = kSize;
};

// The chance roll of k for the generator output u: u / 2^32 * k rounded to the nearest whole
// number, a tie going to the even neighbour. Done in integers because u * k / 2^32 is exact there
// and needs no extended precision. Defined for 0 <= k < 2^31; the games use 0 to 900.
constexpr int roll_of(std::uint32_t u, int k) {
  const std::uint64_t product = std::uint64_t{u} * static_cast<std::uint32_t>(k);
  const std::uint64_t whole = product >> 32U;
  const std::uint64_t rest = product & 0xFFFFFFFFU;
  constexpr std::uint64_t half = 0x80000000U;
  const bool up = rest > half || (rest == half && (whole & 1U) != 0);
  return static_cast<int>(whole + (up ? 1U : 0U));
}

// Where the games get their rolls. Production and most tests draw from an MT19937; a test that
// needs given rolls installs a script, which also learns the k of every roll asked for.
class Chance {
 public:
  using Script = int (*)(void* context, int k);

  explicit constexpr Chance(std::uint32_t seed) : generator_(seed) {}
  constexpr Chance(Script script, void* context)
      : generator_(0), script_(script), context_(context) {}

  // Every roll draws exactly one generator output, a roll of 0 included.
  constexpr int roll(int k) {
    if (script_ != nullptr) return script_(context_, k);
    return roll_of(generator_.next(), k);
  }

 private:
  Mt19937 generator_;
  Script script_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace kit
