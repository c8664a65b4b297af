#include "rouladix/rouladix.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "kit/testing/session.hpp"

namespace {

using kit::testing::lines;
using kit::testing::play_seeded;
using kit::testing::readable;

// The verdicts as code page 850 bytes.
constexpr std::string_view kCannotDrive = "Vous ne savez pas conduire!";
constexpr std::string_view kDangerous = "Vous conduisez de mani\x8Are dangereuse.";
constexpr std::string_view kSpecial =
    "Vous avez une conduite sp\x82"
    "ciale.";
constexpr std::string_view kCanDrive = "Vous savez conduire!";

// The points of every option, question by question, kept apart from the game's own table.
constexpr int kPoints[4][4] = {{5, 1, 0, 2}, {1, 5, 2, 3}, {5, 3, 2, 1}, {4, 5, 3, 1}};

int score_of(std::string_view answers) {
  int score = 0;
  for (int q = 0; q < 4; ++q) {
    score += kPoints[q][answers[q] - 'A'];
  }
  return score;
}

std::string_view verdict_for(int score) {
  if (score <= 5) {
    return kCannotDrive;
  }
  if (score <= 10) {
    return kDangerous;
  }
  return score <= 15 ? kSpecial : kCanDrive;
}

// Answers typed as small letters, then the closing key.
kit::testing::Transcript answer(std::string_view answers) {
  std::string keys;
  for (const char letter : answers) {
    keys.push_back(static_cast<char>(letter - 'A' + 'a'));
  }
  keys.push_back(' ');
  return play_seeded(rouladix::play, keys, 1);
}

std::string ending(std::string_view verdict) {
  return lines({"Manifestement...", verdict, "", "Heurtez une touche pour finir."});
}

bool ends_with(std::string_view screen, std::string_view tail) {
  return screen.size() >= tail.size() && screen.substr(screen.size() - tail.size()) == tail;
}

// Echo lines sit at the sixth line of every seven-line question block, after three title lines.
std::string echoes(const std::vector<std::string>& screen) {
  std::string letters;
  for (std::size_t q = 0; q < 4; ++q) {
    const std::size_t at = 3 + 7 * q + 5;
    if (at >= screen.size() || screen[at].size() != 2 || screen[at][1] != '.') {
      return "?";
    }
    letters.push_back(screen[at][0]);
  }
  return letters;
}

TEST(Rouladix, WholeScreenOfOneRun) {
  const auto t = play_seeded(rouladix::play, "1bA\r ", 7);
  // Literals split after a hex escape, not a missing comma.
  // NOLINTBEGIN(bugprone-suspicious-missing-comma)
  const std::string expected = lines({
      "ROULADIX.",
      "Quatre questions, une seule v\x82rit\x82 sur votre conduite.",
      "",
      "\xB7 un feu rouge, vous:",
      "A. Arr\x88tez.",
      "B. Virez \x85 gauche.",
      "C. Continuez.",
      "D. Fixez l'horizon.",
      "A.",
      "",
      "Durant un virage \x85 gauche, vous:",
      "A. Virez \x85 droite.",
      "B. Virez \x85 gauche.",
      "C. Fixez l'horizon.",
      "D. Couvrez vos angles morts.",
      "B.",
      "",
      "Votre voiture est:",
      "A. Immatricul\x82"
      "e.",
      "B. Macul\x82"
      "e.",
      "C. Bris\x82"
      "e.",
      "D. Un mod\x8Ale r\x82"
      "duit sur la tablette.",
      "A.",
      "",
      "Votre manoeuvre pr\x82"
      "f\x82r\x82"
      "e en voiture est:",
      "A. Le U turn.",
      "B. Le stationnement \x85 reculons.",
      "C. Le d\x82rapage contr\x93l\x82.",
      "D. Le 360 degr\x82s dans les airs.",
      "B.",
      "",
      "Manifestement...",
      "Vous savez conduire!",
      "",
      "Heurtez une touche pour finir.",
  });
  // NOLINTEND(bugprone-suspicious-missing-comma)
  EXPECT_EQ(t.screen, expected) << readable(t.screen);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.keys_used, 5U);
  EXPECT_TRUE(t.asked.empty());
  EXPECT_EQ(t.error, "");
}

// After the fourth answer the closing line is on screen and the frame waits for one more key.
TEST(Rouladix, ClosingLineAwaitsAKey) {
  const auto t = play_seeded(rouladix::play, "abab", 7);
  EXPECT_FALSE(t.finished);
  EXPECT_EQ(t.keys_used, 4U);
  EXPECT_TRUE(ends_with(t.screen, ending(kCanDrive))) << readable(t.screen);
}

TEST(Rouladix, ScoresAndVerdicts) {
  struct Case {
    std::string_view answers;
    int score;
    std::string_view verdict;
  };
  const Case cases[] = {
      {"ABAB", 20, kCanDrive},   {"CADD", 3, kCannotDrive}, {"AAAA", 15, kSpecial},
      {"AAAB", 16, kCanDrive},   {"CCCC", 7, kDangerous},   {"DDDD", 7, kDangerous},
      {"CABD", 5, kCannotDrive}, {"BABD", 6, kDangerous},   {"AABD", 10, kDangerous},
      {"AACC", 11, kSpecial},    {"BBBB", 14, kSpecial},    {"CBCC", 10, kDangerous},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(score_of(c.answers), c.score) << c.answers;  // the test's own table agrees
    const auto t = answer(c.answers);
    EXPECT_TRUE(t.finished) << c.answers;
    EXPECT_TRUE(ends_with(t.screen, ending(c.verdict))) << c.answers << "\n" << readable(t.screen);
  }
}

TEST(Rouladix, AllAnswerSetsFallIntoTheirBands) {
  int cannot = 0;
  int dangerous = 0;
  int special = 0;
  int can = 0;
  for (int set = 0; set < 256; ++set) {
    std::string answers;
    for (int q = 3; q >= 0; --q) {
      answers.push_back(static_cast<char>('A' + ((set >> (2 * q)) & 3)));
    }
    const std::string_view verdict = verdict_for(score_of(answers));
    const auto t = answer(answers);
    ASSERT_TRUE(t.finished) << answers;
    ASSERT_TRUE(t.asked.empty()) << answers;
    EXPECT_EQ(echoes(kit::testing::split_lines(t.screen)), answers);
    EXPECT_TRUE(ends_with(t.screen, ending(verdict))) << answers << "\n" << readable(t.screen);
    cannot += verdict == kCannotDrive ? 1 : 0;
    dangerous += verdict == kDangerous ? 1 : 0;
    special += verdict == kSpecial ? 1 : 0;
    can += verdict == kCanDrive ? 1 : 0;
  }
  EXPECT_EQ(cannot, 11);
  EXPECT_EQ(dangerous, 113);
  EXPECT_EQ(special, 112);
  EXPECT_EQ(can, 20);
}

// Every key answers; the echo is the letter the four-way reader made of it.
TEST(Rouladix, KeysAnswerAsTheFourWayReaderSays) {
  struct Case {
    char key;
    char letter;
  };
  const Case cases[] = {
      {'1', 'A'},  {'2', 'B'},  {'3', 'C'},    {'4', 'D'},    {'a', 'A'}, {'b', 'B'},
      {'c', 'C'},  {'d', 'D'},  {'A', 'A'},    {'B', 'B'},    {'C', 'C'}, {'D', 'D'},
      {'\r', 'B'}, {'\0', 'A'}, {'\x1b', 'D'}, {' ', 'A'},    {'5', 'B'}, {'9', 'B'},
      {'Z', 'C'},  {'x', 'A'},  {'e', 'B'},    {'\x82', 'C'},
  };
  for (const Case& c : cases) {
    const auto t = play_seeded(rouladix::play, std::string(4, c.key) + " ", 3);
    const std::string same(4, c.letter);
    EXPECT_EQ(echoes(kit::testing::split_lines(t.screen)), same)
        << "key " << int{static_cast<unsigned char>(c.key)};
    EXPECT_EQ(t.screen, answer(same).screen) << "key " << int{static_cast<unsigned char>(c.key)};
  }
}

// The answers alone decide: no seed changes the screen and no roll is ever asked.
TEST(Rouladix, NeverDrawsChance) {
  for (const std::string_view keys : {"abab ", "cadd ", "1234 ", "\r\r\r\r\r"}) {
    const auto first = play_seeded(rouladix::play, keys, 0);
    const auto second = play_seeded(rouladix::play, keys, 4'294'967'295U);
    EXPECT_TRUE(first.asked.empty()) << keys;
    EXPECT_TRUE(second.asked.empty()) << keys;
    EXPECT_EQ(first.screen, second.screen) << keys;
    const auto scripted = kit::testing::play_scripted(rouladix::play, keys, {});
    EXPECT_EQ(scripted.error, "") << keys;
    EXPECT_EQ(scripted.screen, first.screen) << keys;
  }
}

}  // namespace
