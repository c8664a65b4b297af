#include "burpleton/burpleton.hpp"

#include <cstdint>
#include <string_view>

#include "kit/choice.hpp"

namespace burpleton {

namespace {

constexpr int kContestants = 4;
constexpr std::string_view kNames[kContestants] = {"Brian", "George", "Sam", "Elliot"};
constexpr std::string_view kLabels[kContestants] = {"A. ", "B. ", "C. ", "D. "};

// Every belch is a chance roll of this, plus 1.
constexpr int kBelchConstant = 9;

constexpr std::string_view kTitle = "BURPLETON.";
constexpr std::string_view kCredit = "Four bellies, one bet, not a shred of skill.";
constexpr std::string_view kQuestion = "Who is going to win this?";
constexpr std::string_view kGoingToBelch = " is going to belch.";
constexpr std::string_view kReady = "He is ready.";
constexpr std::string_view kBelchEnd = "RP.";
constexpr std::string_view kWins = " wins.";
constexpr std::string_view kYouWin = "And you win!";

struct Contest {
  std::string_view names[kContestants];  // copied from the table at the start of the contest
  std::int16_t bet = 0;                  // 1 to 4
  std::int16_t longest = 0;              // the longest belch so far
  std::int16_t leader = 0;               // who made it
  std::int16_t length = 0;               // this turn's belch
  std::int16_t turn = 0;                 // whose turn, 1 to 4
};

void offer_bet(kit::Play& play, Contest& contest) {
  play.line(kQuestion);
  for (int n = 0; n < kContestants; ++n) {
    play.text(kLabels[n]);
    play.text(contest.names[n]);
    play.character('.');
    play.end_line();
  }
  const char letter = kit::four_way(play);
  contest.bet = static_cast<std::int16_t>(letter - 'A' + 1);
  play.character(letter);
  play.character('.');
  play.end_line();
  play.end_line();
}

// An equal belch takes the lead only for the contestant the player bet on.
void update_lead(Contest& contest) {
  if (contest.length == contest.longest && contest.turn == contest.bet) {
    contest.leader = contest.turn;
  }
  if (contest.length > contest.longest) {
    contest.longest = contest.length;
    contest.leader = contest.turn;
  }
}

void belch_turn(kit::Play& play, Contest& contest) {
  play.text(contest.names[contest.turn - 1]);
  play.line(kGoingToBelch);
  kit::one_or_zero(play);  // the pauses only pace the turn
  play.line(kReady);
  contest.length = static_cast<std::int16_t>(play.roll(kBelchConstant) + 1);
  update_lead(contest);
  kit::one_or_zero(play);
  play.character('B');
  for (int u = 0; u < contest.length; ++u) {
    play.character('U');
  }
  play.line(kBelchEnd);
  play.end_line();
}

}  // namespace

void play(kit::Play& play) {
  Contest contest;
  for (int n = 0; n < kContestants; ++n) {
    contest.names[n] = kNames[n];
  }
  play.line(kTitle);
  play.line(kCredit);
  play.end_line();
  offer_bet(play, contest);
  for (contest.turn = 1; contest.turn <= kContestants; ++contest.turn) {
    belch_turn(play, contest);
  }
  play.text(contest.names[contest.leader - 1]);
  play.line(kWins);
  if (contest.leader == contest.bet) {
    play.line(kYouWin);
  }
}

}  // namespace burpleton
