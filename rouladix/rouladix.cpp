#include "rouladix/rouladix.hpp"

#include <cstdint>
#include <iterator>
#include <string_view>

#include "kit/choice.hpp"

namespace rouladix {

namespace {

// The texts are code page 850 bytes. A hex escape swallows every hex digit after it, so a literal
// is split where an accented letter is followed by one of a..f or a digit.
constexpr std::string_view kTitle = "ROULADIX.";
constexpr std::string_view kCredit = "Quatre questions, une seule v\x82rit\x82 sur votre conduite.";
constexpr std::string_view kTurnLeft = "B. Virez \x85 gauche.";
constexpr std::string_view kHorizon = "horizon.";
constexpr char kApostrophe = '\'';
constexpr std::string_view kObviously = "Manifestement...";
constexpr std::string_view kHitAKey = "Heurtez une touche pour finir.";

struct Option {
  std::string_view text;
  std::string_view after_apostrophe;  // empty unless the line goes on after an apostrophe
  std::int16_t points;
};

constexpr int kOptions = 4;

struct Question {
  std::string_view prompt;
  Option options[kOptions];
};

// clang-format off
constexpr Question kQuestions[] = {
    {"\xB7 un feu rouge, vous:",
     {{"A. Arr\x88tez.", {}, 5},
      {kTurnLeft, {}, 1},
      {"C. Continuez.", {}, 0},
      {"D. Fixez l", kHorizon, 2}}},
    {"Durant un virage \x85 gauche, vous:",
     {{"A. Virez \x85 droite.", {}, 1},
      {kTurnLeft, {}, 5},
      {"C. Fixez l", kHorizon, 2},
      {"D. Couvrez vos angles morts.", {}, 3}}},
    {"Votre voiture est:",
     {{"A. Immatricul\x82" "e.", {}, 5},
      {"B. Macul\x82" "e.", {}, 3},
      {"C. Bris\x82" "e.", {}, 2},
      {"D. Un mod\x8Ale r\x82" "duit sur la tablette.", {}, 1}}},
    {"Votre manoeuvre pr\x82" "f\x82r\x82" "e en voiture est:",
     {{"A. Le U turn.", {}, 4},
      {"B. Le stationnement \x85 reculons.", {}, 5},
      {"C. Le d\x82rapage contr\x93l\x82.", {}, 3},
      {"D. Le 360 degr\x82s dans les airs.", {}, 1}}},
};

struct Band {
  std::int16_t highest;  // the band holds the scores up to this one
  std::string_view verdict;
};

constexpr Band kBands[] = {
    {5, "Vous ne savez pas conduire!"},
    {10, "Vous conduisez de mani\x8Are dangereuse."},
    {15, "Vous avez une conduite sp\x82" "ciale."},
    {20, "Vous savez conduire!"},
};
// clang-format on

struct Quiz {
  std::int16_t score = 0;
};

void write_option(kit::Play& play, const Option& option) {
  play.text(option.text);
  if (!option.after_apostrophe.empty()) {
    play.character(kApostrophe);
    play.text(option.after_apostrophe);
  }
  play.end_line();
}

void ask(kit::Play& play, Quiz& quiz, const Question& question) {
  play.line(question.prompt);
  for (const Option& option : question.options) {
    write_option(play, option);
  }
  const char letter = kit::four_way(play);
  play.character(letter);
  play.character('.');
  play.end_line();
  play.end_line();
  quiz.score = static_cast<std::int16_t>(quiz.score + question.options[letter - 'A'].points);
}

// The last band closes the table, so every score finds one.
std::string_view verdict_of(std::int16_t score) {
  for (const Band& band : kBands) {
    if (score <= band.highest) {
      return band.verdict;
    }
  }
  return kBands[std::size(kBands) - 1].verdict;
}

}  // namespace

void play(kit::Play& play) {
  play.line(kTitle);
  play.line(kCredit);
  play.end_line();
  Quiz quiz;
  for (const Question& question : kQuestions) {
    ask(play, quiz, question);
  }
  play.line(kObviously);
  play.line(verdict_of(quiz.score));
  play.end_line();
  play.line(kHitAKey);
}

}  // namespace rouladix
