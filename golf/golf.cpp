#include "golf/golf.hpp"

#include <cstdint>
#include <string_view>

#include "kit/choice.hpp"

namespace golf {

namespace {

constexpr int kPoles = 18;

// A pole is this many yards plus a chance roll of the spread.
constexpr int kLengthBase = 260;
constexpr int kLengthSpread = 900;

// The kind of hazard is a chance roll of 2: the row of kHazards.
constexpr int kKindSpread = 2;
constexpr int kWater = 0;
constexpr int kSand = 1;
constexpr int kSlope = 2;

struct HazardRow {
  std::string_view begins;  // the hazard line up to the distance
  int far_base;             // far edge = pole length - far base - roll of far spread
  int far_spread;
  int near_base;  // near edge = far edge - near base - roll of near spread
  int near_spread;
};

constexpr HazardRow kHazards[] = {
    {"There is water ", 100, 60, 60, 30},
    {"There is sand ", 60, 120, 40, 30},
    {"There is a slope ", 10, 170, 10, 35},
};

// Where a ball put back after a hazard lies, in yards short of the near edge.
constexpr int kSlopeBack = 1;
constexpr int kWaterBack = 4;

struct Lie {
  int base;  // a hit is the base plus a chance roll of the spread
  int spread;
};

struct ClubRow {
  std::string_view menu_line;
  std::string_view name;
  Lie normal;
  Lie sand;
};

constexpr int kClubs = 5;
constexpr ClubRow kClubTable[kClubs] = {
    {"A. W1", "1 Wood", {300, 300}, {10, 10}}, {"B. W3", "3 Wood", {250, 220}, {5, 15}},
    {"C. I7", "7 Iron", {150, 130}, {15, 25}}, {"D. SW", "Sand wedge", {50, 100}, {60, 100}},
    {"E. Putter", "Putter", {1, 30}, {1, 5}},
};

constexpr std::string_view kTitle = "GOLF.";
constexpr std::string_view kCredit =
    "Eighteen poles, five clubs, and a lake that is never far away.";
constexpr std::string_view kPoleHeading = "Pole ";
constexpr std::string_view kYardLeft = " yard left.";
constexpr std::string_view kYardsLeft = " yards left.";
constexpr std::string_view kYardAway = " yard away.";
constexpr std::string_view kYardsAway = " yards away.";
constexpr std::string_view kStrokeMenu[] = {"A. Hit the ball.", "B. Change club.", "C. Skip pole."};
constexpr std::string_view kHoled = "Woo hoo! To the next pole.";
constexpr std::string_view kHoledLast = "Woo hoo! To the beach.";
constexpr std::string_view kSkipped = "To the next pole.";
constexpr std::string_view kPoleScore = "Score on that pole: ";
constexpr std::string_view kTotal = "Total score: ";
constexpr std::string_view kClosing = "Hit a key to end the game.";
constexpr std::string_view kClubChoices = "Club choices:";
constexpr std::string_view kChosen = " was chosen.";
constexpr std::string_view kHit = "You hit the ball.";
constexpr std::string_view kWent = "It went ";
constexpr std::string_view kOnSlope = "The ball lands on a slope.";
constexpr std::string_view kRollsDown = "And rolls all the way down.";
constexpr std::string_view kOnSand = "Your ball is on the sand.";
constexpr std::string_view kInWater = "The ball goes in the water.";
constexpr std::string_view kPenalty = "1 hit added to your score.";
constexpr std::string_view kNewBall = "A new ball is landed next to the lake.";

struct Round {
  int pole = 1;
  // Nothing bounds the strokes: a player can putt into the water for ever, two strokes a hit.
  std::int64_t pole_strokes = 0;
  std::int64_t total = 0;
  int club = 1;  // row of kClubTable, from 1
  bool in_play = false;
  bool sand_lie = false;
  int length = 0;
  int ball = 0;  // yards from the tee
  int hazard = kWater;
  int near_edge = 0;
  int far_edge = 0;
  int yards_left = 0;
};

// A distance with its singular text for 1 yard and its plural for the rest.
void yards(kit::Play& play, long long count, std::string_view one, std::string_view many) {
  play.number(count);
  play.line(count < 2 ? one : many);
}

void set_up_pole(kit::Play& play, Round& round) {
  round.club = 1;
  round.in_play = true;
  round.sand_lie = false;
  round.length = kLengthBase + play.roll(kLengthSpread);
  round.ball = 0;
  round.hazard = play.roll(kKindSpread);
  const HazardRow& row = kHazards[round.hazard];
  round.far_edge = round.length - row.far_base - play.roll(row.far_spread);
  round.near_edge = round.far_edge - row.near_base - play.roll(row.near_spread);
  play.text(kPoleHeading);
  play.number(round.pole);
  play.character('.');
  play.end_line();
}

void show_lie(kit::Play& play, Round& round) {
  round.yards_left = round.length - round.ball;
  yards(play, round.yards_left, kYardLeft, kYardsLeft);
  if (round.near_edge > round.ball) {
    play.text(kHazards[round.hazard].begins);
    yards(play, round.near_edge - round.ball, kYardAway, kYardsAway);
  }
}

void change_club(kit::Play& play, Round& round) {
  play.end_line();
  play.line(kClubChoices);
  for (const ClubRow& club : kClubTable) play.line(club.menu_line);
  const char letter = kit::five_way(play);
  round.club = letter - 'A' + 1;
  play.character(letter);
  play.end_line();
  play.text(kClubTable[round.club - 1].name);
  play.line(kChosen);
  play.end_line();
}

void land(kit::Play& play, Round& round) {
  switch (round.hazard) {
    case kSlope:
      play.line(kOnSlope);
      play.line(kRollsDown);
      round.ball = round.near_edge - kSlopeBack;
      break;
    case kSand:
      play.line(kOnSand);
      round.sand_lie = true;
      break;
    default:
      play.line(kInWater);
      play.line(kPenalty);
      play.line(kNewBall);
      ++round.pole_strokes;
      round.ball = round.near_edge - kWaterBack;
      break;
  }
}

void hit(kit::Play& play, Round& round) {
  const ClubRow& club = kClubTable[round.club - 1];
  const Lie& lie = round.sand_lie ? club.sand : club.normal;
  int length = lie.base + play.roll(lie.spread);
  play.line(kHit);
  if (length > round.yards_left) length = round.yards_left;  // the ball stops at the pole
  play.text(kWent);
  yards(play, length, kYardAway, kYardsAway);
  round.ball += length;
  round.sand_lie = false;
  if (round.near_edge <= round.ball && round.ball <= round.far_edge) land(play, round);
  ++round.pole_strokes;
}

void stroke(kit::Play& play, Round& round) {
  show_lie(play, round);
  for (const std::string_view line : kStrokeMenu) play.line(line);
  const char letter = kit::three_way_as_typed(play);
  play.character(letter);
  play.end_line();
  switch (letter) {
    case 'A':
      hit(play, round);
      if (round.ball >= round.length) {
        ++round.pole;
        play.line(round.pole > kPoles ? kHoledLast : kHoled);
        round.in_play = false;
      }
      break;
    case 'B':
      change_club(play, round);
      break;
    default:
      play.line(kSkipped);
      ++round.pole;
      round.in_play = false;
      break;
  }
}

void finish_pole(kit::Play& play, Round& round) {
  round.total += round.pole_strokes;
  play.end_line();
  play.text(kPoleScore);
  play.number(round.pole_strokes);
  play.character('.');
  play.end_line();
  play.text(kTotal);
  play.number(round.total);
  play.character('.');
  play.end_line();
  play.end_line();
  round.pole_strokes = 0;
}

}  // namespace

void play(kit::Play& play) {
  play.line(kTitle);
  play.line(kCredit);
  play.end_line();
  Round round;
  while (round.pole <= kPoles) {
    set_up_pole(play, round);
    while (round.in_play) stroke(play, round);
    finish_pole(play, round);
  }
  play.line(kClosing);
}

}  // namespace golf
