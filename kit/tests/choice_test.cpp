#include "kit/choice.hpp"

#include <gtest/gtest.h>

#include <string>

#include "kit/testing/session.hpp"

namespace {

// The key names of every reader, then the fallback of code mod n for the common keys.
TEST(ChoiceKeys, DigitsAndLettersNameTheirPositions) {
  for (int n = 2; n <= 6; ++n) {
    for (int i = 0; i < n; ++i) {
      const char letter = static_cast<char>('A' + i);
      for (const bool as_typed : {false, true}) {
        EXPECT_EQ(kit::choice_of('1' + i, n, as_typed), letter) << n << " digit " << i + 1;
        EXPECT_EQ(kit::choice_of('a' + i, n, as_typed), letter) << n << " small " << i;
        EXPECT_EQ(kit::choice_of('A' + i, n, as_typed), letter) << n << " capital " << i;
      }
    }
  }
}

TEST(ChoiceKeys, OtherKeysTakeCodeModN) {
  struct Row {
    int code;
    const char* letters;  // 2-way, 3-way, 3-way as typed, 4-way, 5-way, 6-way
  };
  const Row rows[] = {
      {0, "AAAAAA"},  {13, "BBBBDB"}, {27, "BAADCD"}, {32, "ACCACC"},
      {48, "AAAADA"}, {55, "BBBDAB"}, {57, "BAABCD"}, {120, "AAAAAA"},
      {88, "AABAAA"}, {90, "ACACCC"}, {51, "BCCCCC"},  // '3' is no digit choice for the two-way
                                                       // reader: 51 mod 2
  };
  for (const Row& row : rows) {
    const std::string got{kit::choice_of(row.code, 2),       kit::choice_of(row.code, 3),
                          kit::choice_of(row.code, 3, true), kit::choice_of(row.code, 4),
                          kit::choice_of(row.code, 5),       kit::choice_of(row.code, 6)};
    EXPECT_EQ(got, row.letters) << "code " << row.code;
  }
}

TEST(ChoiceKeys, EveryCodeGivesALetterOfTheReader) {
  for (int n = 2; n <= 6; ++n) {
    for (int code = 0; code <= 255; ++code) {
      for (const bool as_typed : {false, true}) {
        const char letter = kit::choice_of(code, n, as_typed);
        EXPECT_TRUE(letter >= 'A' && letter < 'A' + n) << n << " code " << code;
      }
    }
  }
}

TEST(ChoiceKeys, OneOrZero) {
  for (const int code : {int{'a'}, int{'A'}, int{'c'}, int{'1'}, 13})
    EXPECT_EQ(kit::one_or_zero_of(code), '1') << code;
  for (const int code : {int{'b'}, int{'0'}, int{' '}, 0})
    EXPECT_EQ(kit::one_or_zero_of(code), '0') << code;
}

TEST(ChoiceKeys, LowerCaseTouchesOnlyCapitals) {
  for (int code = 0; code <= 255; ++code) {
    const int expected = code >= 'A' && code <= 'Z' ? code + 32 : code;
    EXPECT_EQ(kit::lower_case(code), expected);
  }
}

// The readers read exactly one key each, after everything written is on screen.
void ask_every_reader(kit::Play& play) {
  play.text("?");
  const std::string letters{
      kit::two_way(play),  kit::three_way(play), kit::three_way_as_typed(play), kit::four_way(play),
      kit::five_way(play), kit::six_way(play),   kit::one_or_zero(play)};
  play.text(letters);
}

TEST(ChoiceReaders, EachReadsOneKeyPress) {
  const auto t = kit::testing::play_seeded(ask_every_reader,
                                           "2XX4\r\x1b"
                                           "a!",
                                           1);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.keys_used, 8U);
  EXPECT_EQ(t.screen, "?BABDDD1");
}

}  // namespace
