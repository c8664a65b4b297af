#include "kit/chance.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

constexpr std::uint64_t kTwo32 = 1ULL << 32U;

// The least u whose roll of k is at least value (the boundaries of u, found by the definition).
std::uint32_t first_u_reaching(int k, int value) {
  std::uint64_t low = 0;
  std::uint64_t high = kTwo32;
  while (low < high) {
    const std::uint64_t mid = (low + high) / 2;
    if (kit::roll_of(static_cast<std::uint32_t>(mid), k) >= value) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return static_cast<std::uint32_t>(low);
}

TEST(Mt19937, MatchesThePublishedGenerator) {
  kit::Mt19937 ours(5489U);
  std::mt19937 reference(5489U);
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(ours.next(), reference()) << "output " << i;
  // The standard's check value: the 10000th output for the default seed.
  kit::Mt19937 fresh(5489U);
  std::uint32_t u = 0;
  for (int i = 0; i < 10000; ++i) u = fresh.next();
  EXPECT_EQ(u, 4123659995U);
}

TEST(Mt19937, SeedsLikeTheStandardForAnySeed) {
  for (const std::uint32_t seed : {0U, 1U, 42U, 0x80000000U, 0xFFFFFFFFU}) {
    kit::Mt19937 ours(seed);
    std::mt19937 reference(seed);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(ours.next(), reference()) << "seed " << seed;
  }
}

TEST(ChanceRoll, StaysWithinZeroToK) {
  for (int k = 0; k <= 900; ++k) {
    EXPECT_EQ(kit::roll_of(0U, k), 0);
    EXPECT_EQ(kit::roll_of(0xFFFFFFFFU, k), k);
  }
}

// u * k / 2^32 exactly on a half: ties go to the even neighbour, so 0.5 rounds to 0, 1.5 to 2.
TEST(ChanceRoll, HalvesRoundToEven) {
  struct Case {
    std::uint32_t u;
    int k;
    int expected;
  };
  const Case cases[] = {
      {0x80000000U, 1, 0},  // 0.5
      {0x80000001U, 1, 1},  // just above 0.5
      {0x7FFFFFFFU, 1, 0},  // just below
      {0x40000000U, 2, 0},  // 0.25 * 2 = 0.5
      {0xC0000000U, 2, 2},  // 0.75 * 2 = 1.5
      {0xBFFFFFFFU, 2, 1},  // just below 1.5
      {0x20000000U, 4, 0},  // 0.5
      {0x60000000U, 4, 2},  // 1.5
      {0xA0000000U, 4, 2},  // 2.5
      {0xE0000000U, 4, 4},  // 3.5
      {0xDFFFFFFFU, 4, 3},  // just below 3.5
      {0x10000000U, 8, 0},  // 0.5
      {0x30000000U, 8, 2},  // 1.5
      {0x70000000U, 8, 4},  // 3.5
      {0x50000000U, 8, 2},  // 2.5
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kit::roll_of(c.u, c.k), c.expected) << "u " << c.u << " k " << c.k;
  }
}

// Each inner value owns 2^32 / k outputs and each end half of that, to within a tie's one output.
TEST(ChanceRoll, EndsAreHalfAsLikelyAsInnerValues) {
  for (const int k : {1, 2, 3, 4, 5, 6, 9, 20, 30, 35, 60, 100, 120, 170, 220, 300, 900}) {
    std::uint64_t previous = 0;
    for (int value = 1; value <= k + 1; ++value) {
      const std::uint64_t start = value <= k ? first_u_reaching(k, value) : kTwo32;
      const std::uint64_t share = start - previous;  // how many u give value - 1
      const long double ideal = static_cast<long double>(kTwo32) / k;
      const long double expected = (value == 1 || value == k + 1) ? ideal / 2 : ideal;
      EXPECT_LE(std::abs(static_cast<long double>(share) - expected), 1.0L)
          << "k " << k << " value " << value - 1;
      previous = start;
    }
  }
}

// The boundary of u between two values is where u * k / 2^32 crosses value - 1/2, exactly.
TEST(ChanceRoll, BoundariesAreExactHalves) {
  for (const int k : {3, 5, 9, 900}) {
    for (int value = 1; value <= k; ++value) {
      const std::uint32_t u = first_u_reaching(k, value);
      // u * k >= (value - 1/2) * 2^32 and (u - 1) * k < that, or equal with value - 1 even.
      const std::uint64_t half_point = (2ULL * value - 1) * (kTwo32 / 2);
      const std::uint64_t at = std::uint64_t{u} * k;
      const std::uint64_t before = std::uint64_t{u - 1} * k;
      EXPECT_GE(at, half_point) << "k " << k << " value " << value;
      EXPECT_TRUE(before < half_point || (before == half_point && (value - 1) % 2 == 0))
          << "k " << k << " value " << value;
    }
  }
}

TEST(ChanceRoll, RollOfZeroIsZeroButStillDraws) {
  kit::Chance chance(7U);
  kit::Mt19937 reference(7U);
  EXPECT_EQ(chance.roll(0), 0);
  reference.next();
  EXPECT_EQ(chance.roll(900), kit::roll_of(reference.next(), 900));
}

TEST(ChanceRoll, RollOfOneIsEvenOdds) {
  EXPECT_EQ(first_u_reaching(1, 1), 0x80000001U);  // 0.5 itself ties to 0: exactly half each
}

}  // namespace
