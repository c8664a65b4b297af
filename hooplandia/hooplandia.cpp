#include "hooplandia/hooplandia.hpp"

#include <cstdint>
#include <string_view>

#include "kit/choice.hpp"

namespace hooplandia {

namespace {

constexpr int kTeams = 3;
constexpr int kSlots = 5;
constexpr int kMates = kSlots - 1;

struct Player {
  std::string_view name;
  std::int16_t dribbling;  // the k of this player's drop roll when dribbling
  std::int16_t passing;    // the k of this player's drop roll when passing
  std::int16_t shooting;   // the k of the roll this player adds to the shot total
};

constexpr std::string_view kTeamNames[kTeams] = {"Sniffers", "Smoothies", "Douches"};
constexpr std::string_view kTeamLabels[kTeams] = {"A. ", "B. ", "C. "};

constexpr Player kRoster[kTeams][kSlots] = {
    {
        {"Walt Brimblecum", 4, 4, 3},
        {"Mindy Q Fox", 2, 2, 5},
        {"Pablo Trumpet", 4, 1, 6},
        {"Leandro Fastidioso", 5, 4, 5},
        {"Hurst Wobblefoot", 3, 3, 2},
    },
    {
        {"Felix Fudgewick", 1, 1, 2},
        {"Daisy Blanket", 5, 5, 6},
        {"Bertha Noodleby", 3, 3, 5},
        {"Morley Bink", 3, 3, 2},
        {"Barry Loafton", 4, 3, 4},
    },
    {
        {"Odette Swoop", 4, 2, 2},
        {"Benny Quillan", 6, 2, 4},
        {"Terry Mopple", 2, 2, 1},
        {"Ned Parsnipes", 1, 1, 0},
        {"Olive Stegosaurus", 2, 4, 2},
    },
};

// The court runs from 0 to 6; the home team attacks towards the top, the away team towards 0.
constexpr std::int16_t kMidcourt = 3;
constexpr std::int16_t kCourtTop = 6;

// A drop roll that comes up exactly this drops the ball.
constexpr int kDropped = 1;

constexpr int kTeamDraw = 2;      // the away team: a roll of this, plus 1
constexpr int kSideDraw = 1;      // the tip-off side: 0 home, 1 away
constexpr int kSlotDraw = 4;      // the tip-off holder: a roll of this, plus 1
constexpr int kActionDraw = 2;    // the away action: a roll of this, plus 1
constexpr int kReceiverDraw = 3;  // the away pass: a mates list entry, a roll of this, plus 1
constexpr int kShotBase = 5;      // the first roll of every shot total
constexpr int kBasketFrom = 6;    // the least shot total that scores
constexpr int kBasketPoints = 2;
constexpr int kFarAwayBonus = 1;  // added to an away basket from beyond midcourt
constexpr int kWinningScore = 5;

constexpr std::string_view kTitle = "HOOPLANDIA.";
constexpr std::string_view kCredit = "Five a side, first to five points, one key per move.";
constexpr std::string_view kQuestion = "Choose one team.";
constexpr std::string_view kRule = "************";
constexpr std::string_view kHeading = "Tonight:";
constexpr std::string_view kAgainst = " against ";
constexpr std::string_view kStart = "The game begins!";
constexpr std::string_view kGetsTheBall = " gets the ball.";
constexpr std::string_view kDribbleOption = "A. Dribble.";
constexpr std::string_view kPassOptions[kMates] = {"B. Pass to ", "C. Pass to ", "D. Pass to ",
                                                   "E. Pass to "};
constexpr std::string_view kTossOption = "F. Toss the ball.";
constexpr std::string_view kDribbles = "Dribbles.";
constexpr std::string_view kDrops = "Drops the ball.";
constexpr std::string_view kHomePasses = "Passes.";
constexpr std::string_view kAwayPasses = "Passes the ball.";
constexpr std::string_view kBouncesAway = "The ball bounces away.";
constexpr std::string_view kTosses = "Tosses the ball.";
constexpr std::string_view kMisses = "Misses the basket.";
constexpr std::string_view kScores = "Scores!";
constexpr std::string_view kFarAway = "3 points from far away!";
constexpr std::string_view kHomeScore = "Home: ";
constexpr std::string_view kAwayScore = " Away: ";
constexpr std::string_view kYouWin = "You win.";
constexpr std::string_view kTheyWin = "They win.";
constexpr std::string_view kClosingPrompt = "Hit a key to end.";

enum class Possession : std::int16_t { loose = 0, home = 1, away = 2 };

// What one side plays with, slot 1 in players[0].
struct Sheet {
  Player players[kSlots];
};

struct Match {
  bool running = false;
  Possession possession = Possession::loose;
  std::int16_t holder = 1;  // slot 1 to 5 in the sheet of the side that has the ball
  std::int16_t court = kMidcourt;
  std::int16_t home_score = 0;
  std::int16_t away_score = 0;
  std::int16_t mates[kMates] = {};  // the holder's team-mates, ascending slots
  Sheet home;
  Sheet away;
  std::string_view team_names[kTeams];
  std::int16_t home_team = 1;
  std::int16_t away_team = 2;
};

const Player& player(const Sheet& sheet, int slot) { return sheet.players[slot - 1]; }

const Player& holder(const Match& match) {
  return player(match.possession == Possession::away ? match.away : match.home, match.holder);
}

bool drop_roll(kit::Play& play, int rating) { return play.roll(rating) == kDropped; }

void build_mates(Match& match) {
  int entry = 0;
  for (std::int16_t slot = 1; slot <= kSlots; ++slot) {
    if (slot != match.holder) {
      match.mates[entry++] = slot;
    }
  }
}

void gets_the_ball(kit::Play& play, const Player& player) {
  play.text(player.name);
  play.line(kGetsTheBall);
}

void drop_the_ball(kit::Play& play, Match& match) {
  play.line(kDrops);
  match.possession = Possession::loose;
}

void fill_sheet(Sheet& sheet, int team) {
  for (int slot = 0; slot < kSlots; ++slot) {
    sheet.players[slot] = kRoster[team - 1][slot];
  }
}

// Never the home team: a draw of it moves on to the next team, the last wrapping to the first.
std::int16_t draw_away_team(kit::Play& play, int home_team) {
  int team = play.roll(kTeamDraw) + 1;
  if (team == home_team) {
    team = team % kTeams + 1;
  }
  return static_cast<std::int16_t>(team);
}

std::int16_t choose_home_team(kit::Play& play) {
  play.line(kQuestion);
  for (int team = 0; team < kTeams; ++team) {
    play.text(kTeamLabels[team]);
    play.text(kTeamNames[team]);
    play.character('.');
    play.end_line();
  }
  return static_cast<std::int16_t>(kit::three_way(play) - 'A' + 1);
}

void announce(kit::Play& play, const Match& match) {
  play.line(kRule);
  play.line(kHeading);
  play.text(match.team_names[match.home_team - 1]);
  play.text(kAgainst);
  play.text(match.team_names[match.away_team - 1]);
  play.character('.');
  play.end_line();
  play.line(kRule);
  play.line(kStart);
}

void tip_off(kit::Play& play, Match& match) {
  const bool to_away = play.roll(kSideDraw) == 1;
  match.holder = static_cast<std::int16_t>(play.roll(kSlotDraw) + 1);
  match.possession = to_away ? Possession::away : Possession::home;
  gets_the_ball(play, holder(match));
}

void score_line(kit::Play& play, const Match& match) {
  play.text(kHomeScore);
  play.number(match.home_score);
  play.text(kAwayScore);
  play.number(match.away_score);
  play.end_line();
}

// Made or missed, a shot gives the ball up to a new tip-off unless its basket ended the match.
void after_shot(kit::Play& play, Match& match) {
  match.possession = Possession::loose;
  if (match.running) {
    tip_off(play, match);
  }
}

void home_shot(kit::Play& play, Match& match) {
  play.line(kTosses);
  const int base = play.roll(kShotBase);
  const int total = base + (match.court - kMidcourt) + play.roll(holder(match).shooting);
  if (total < kBasketFrom) {
    play.line(kMisses);
  } else {
    play.line(kScores);
    match.home_score = static_cast<std::int16_t>(match.home_score + kBasketPoints);
    match.court = kMidcourt;
    score_line(play, match);
    if (match.home_score >= kWinningScore) {
      play.line(kYouWin);
      match.running = false;
    }
  }
  after_shot(play, match);
}

void away_shot(kit::Play& play, Match& match) {
  play.line(kTosses);
  const int base = play.roll(kShotBase);
  const int distance = match.court > kCourtTop ? match.court - kCourtTop : kCourtTop - match.court;
  const int total = base + distance + play.roll(holder(match).shooting);
  if (total < kBasketFrom) {
    play.line(kMisses);
  } else {
    play.line(kScores);
    match.away_score = static_cast<std::int16_t>(match.away_score + kBasketPoints);
    if (match.court > kMidcourt) {
      play.line(kFarAway);
      match.away_score = static_cast<std::int16_t>(match.away_score + kFarAwayBonus);
    }
    score_line(play, match);
    match.court = kMidcourt;
    if (match.away_score >= kWinningScore) {
      play.line(kTheyWin);
      match.running = false;
    }
  }
  after_shot(play, match);
}

void home_menu(kit::Play& play, const Match& match) {
  play.line(kDribbleOption);
  for (int entry = 0; entry < kMates; ++entry) {
    play.text(kPassOptions[entry]);
    play.text(player(match.home, match.mates[entry]).name);
    play.character('.');
    play.end_line();
  }
  play.line(kTossOption);
}

void home_dribble(kit::Play& play, Match& match) {
  if (drop_roll(play, holder(match).dribbling)) {
    drop_the_ball(play, match);
    return;
  }
  play.line(kDribbles);
  if (match.court < kCourtTop) {
    ++match.court;
  }
}

void home_pass(kit::Play& play, Match& match, int entry) {
  if (drop_roll(play, holder(match).passing)) {
    drop_the_ball(play, match);
    return;
  }
  match.holder = match.mates[entry];
  play.line(kHomePasses);
  gets_the_ball(play, holder(match));
}

void home_action(kit::Play& play, Match& match) {
  build_mates(match);
  home_menu(play, match);
  const char letter = kit::six_way(play);
  play.character(letter);
  play.character('.');
  play.end_line();
  if (letter == 'A') {
    home_dribble(play, match);
  } else if (letter == 'F') {
    home_shot(play, match);
  } else {
    home_pass(play, match, letter - 'B');
  }
}

// The away wording announces the move before its rolls decide it.
void away_dribble(kit::Play& play, Match& match) {
  play.line(kDribbles);
  if (drop_roll(play, holder(match).dribbling)) {
    drop_the_ball(play, match);
    return;
  }
  --match.court;
}

void away_pass(kit::Play& play, Match& match) {
  build_mates(match);
  play.line(kAwayPasses);
  const int receiver = match.mates[play.roll(kReceiverDraw)];
  if (drop_roll(play, holder(match).passing)) {
    drop_the_ball(play, match);
    return;
  }
  match.holder = static_cast<std::int16_t>(receiver);
  gets_the_ball(play, holder(match));
}

void away_action(kit::Play& play, Match& match) {
  const int action = play.roll(kActionDraw) + 1;
  if (action == 1) {
    // The away team only dribbles on the home half, so the ball never passes midcourt.
    if (match.court > kMidcourt) {
      away_dribble(play, match);
    } else {
      away_pass(play, match);
    }
    return;
  }
  // A 3 draws again: 1 shoots, 2 or 3 pass.
  const bool shoots = action == 2 || play.roll(kActionDraw) + 1 == 1;
  if (shoots) {
    away_shot(play, match);
  } else {
    away_pass(play, match);
  }
}

void match_loop(kit::Play& play, Match& match) {
  while (match.running) {
    switch (match.possession) {
      case Possession::loose:
        play.line(kBouncesAway);
        tip_off(play, match);
        break;
      case Possession::home:
        home_action(play, match);
        break;
      case Possession::away:
        away_action(play, match);
        break;
    }
  }
}

// The frame's key wait answers it, so the cursor stays behind the full stop.
void closing_prompt(kit::Play& play) { play.text(kClosingPrompt); }

}  // namespace

void play(kit::Play& play) {
  play.line(kTitle);
  play.line(kCredit);
  play.end_line();
  Match match;
  match.home_score = 0;
  match.away_score = 0;
  match.court = kMidcourt;
  match.home_team = choose_home_team(play);
  match.away_team = draw_away_team(play, match.home_team);
  for (int team = 0; team < kTeams; ++team) {
    match.team_names[team] = kTeamNames[team];
  }
  announce(play, match);
  fill_sheet(match.home, match.home_team);
  fill_sheet(match.away, match.away_team);
  match.running = true;
  tip_off(play, match);
  match_loop(play, match);
  closing_prompt(play);
}

}  // namespace hooplandia
