#include "mirkweld/mirkweld.hpp"

#include <string_view>

#include "kit/choice.hpp"

namespace mirkweld {

namespace {

// The fighting values of one side; a fighter whose life is below 1 is knocked out.
struct Fighter {
  int life = 0;
  int attack_bonus = 0;
  int defence = 0;
  int attack = 0;
  int maximum_life = 0;  // only the player's is used
};

constexpr Fighter kPlayerStart = {
    .life = 9, .attack_bonus = 6, .defence = 3, .attack = 7, .maximum_life = 11};

constexpr int kItems = 3;
constexpr std::string_view kItemNames[kItems] = {"fabulous flute", "cinnamon cigar",
                                                 "telephone trap"};

constexpr int kCreatures = 3;
constexpr int kBensneth = 0;
constexpr int kYululup = 1;
constexpr int kBabof = 2;
constexpr std::string_view kCreatureNames[kCreatures] = {"Bensneth", "Yululup", "Babof"};
constexpr Fighter kCreatureStart[kCreatures] = {
    {.life = 15, .attack_bonus = 1, .defence = 4, .attack = 3},  // Bensneth
    {.life = 5, .attack_bonus = 4, .defence = 3, .attack = 7},   // Yululup
    {.life = 9, .attack_bonus = 3, .defence = 2, .attack = 3},   // Babof
};

// What exploring turns up, by explore roll; every roll not listed is no news.
enum class Find {
  kNoNews,
  kCreature,       // value: the creature index
  kItem,           // found whatever the money
  kItemWhilePoor,  // found only while money is below kRich
  kMoney,          // value: k of the amount's roll; found only while money is below kRich
};

struct Outcome {
  Find find = Find::kNoNews;
  int value = 0;
};

constexpr int kHighestExploreConstant = 9;

struct Place {
  std::string_view line;
  int life_gain;
  int explore_constant;
  Outcome outcomes[kHighestExploreConstant + 1];
};

constexpr int kPlaces = 5;
constexpr int kPlaceConstant = kPlaces - 1;
constexpr Place kPlaceTable[kPlaces] = {
    {"You are on a bridge.", 2, 9, {{}, {Find::kCreature, kYululup}, {Find::kItem}}},
    {"You are on a dock.", 3, 9, {{}, {Find::kCreature, kBabof}, {Find::kItemWhilePoor}}},
    {"You are in town.", 5, 9, {{}, {Find::kCreature, kBensneth}, {Find::kMoney, 20}}},
    {"You are in a park.",
     6,
     9,
     {{},
      {Find::kCreature, kBabof},
      {Find::kItemWhilePoor},
      {Find::kCreature, kYululup},
      {Find::kMoney, 5}}},
    {"You are on a dance floor.", 1, 3, {{}, {Find::kCreature, kYululup}, {Find::kMoney, 5}}},
};

constexpr int kRich = 120;  // money finds stop here
constexpr int kMoneyBase = 2;
constexpr int kItemConstant = kItems - 1;
constexpr int kWinPoints = 500;

// Trying the held item: it works when its roll comes up 1.
struct Effect {
  int constant;
  std::string_view line;  // follows "The " and the creature's name
  std::string_view next;  // a line of its own, when there is one
  int bonus;
  bool calms;  // else it sends the creature away after its last blow
};

constexpr Effect kEffects[kItems] = {
    {4, " listens to the flute.", {}, 4, true},
    {2, " smokes that cigar.", {}, 2, true},
    {2, " answers on its phone", "and walks away.", 0, false},
};
constexpr int kItemWorks = 1;
constexpr int kBonusCap = 120;  // calming earns nothing more from here

constexpr int kBlowConstant = 5;
// The damage from which a blow line says " hits.": the player's and the creature's differ.
constexpr int kPlayerPluralFrom = 2;
constexpr int kCreaturePluralFrom = 1;

constexpr std::string_view kTitle = "MIRKWELD RPG 2.";
constexpr std::string_view kExplore = "A. Explore.";
constexpr std::string_view kPass = "B. Pass.";
constexpr std::string_view kNoNews = "No news.";
constexpr std::string_view kItemFound = "You get a ";
constexpr std::string_view kMoneyFound = "You get ";
constexpr std::string_view kDollars = " dollars!";
constexpr std::string_view kYouWin = "You win.";
constexpr std::string_view kFinalScore = "Final score: ";
constexpr std::string_view kHitAKey = "Hit a key to exit.";

constexpr std::string_view kAssaulted = "You are assaulted by a ";
constexpr std::string_view kHit = "A. Hit.";
constexpr std::string_view kItem = "B. Item.";
constexpr std::string_view kFightPass = "C. Pass.";
constexpr std::string_view kBlowSingular = " hit.";
constexpr std::string_view kBlowPlural = " hits.";
constexpr std::string_view kHeldItem = "A. ";
constexpr std::string_view kNoItem = "No item yet there.";
constexpr std::string_view kNone = "B. none.";
constexpr std::string_view kThe = "The ";
constexpr std::string_view kJumps = " jumps on you!";
constexpr std::string_view kCreatureOut = " is k.o.";
constexpr std::string_view kPlayerOut = "You are k.o.";

constexpr int kSlots = 5;

struct Tour {
  bool playing = true;
  Fighter player = kPlayerStart;
  Fighter creature;
  int held[kSlots] = {};  // the n-th item found is in held[n - 1]
  int held_count = 0;
  int money = 0;
  int bonus = 0;
  int score = 0;
  int place = 0;
  int explore_roll = 0;
  int value = 0;    // the drawn item or amount of a find, or the item roll in a fight
  char letter = 0;  // the letter last read; '?' when the item menu read none
  int creature_index = 0;
  bool fighting = false;
  bool calmed = false;  // cancels the creature's next blow
};

void echo(kit::Play& play, char letter) {
  play.character(letter);
  play.end_line();
}

bool knocked_out(const Fighter& fighter) { return fighter.life < 1; }

void blow(kit::Play& play, const Fighter& attacker, Fighter& defender, int plural_from) {
  int damage =
      play.roll(kBlowConstant) + attacker.attack + attacker.attack_bonus - defender.defence;
  if (damage < 0) {
    damage = 0;
  }
  defender.life -= damage;
  play.number(damage);
  play.line(damage < plural_from ? kBlowSingular : kBlowPlural);
}

void creature_line(kit::Play& play, const Tour& tour, std::string_view rest) {
  play.text(kThe);
  play.text(kCreatureNames[tour.creature_index]);
  play.line(rest);
}

void try_item(kit::Play& play, Tour& tour) {
  const Effect& effect = kEffects[tour.held[0]];
  tour.value = play.roll(effect.constant);
  if (tour.value != kItemWorks) {
    play.line(kNoNews);
    return;
  }
  creature_line(play, tour, effect.line);
  if (!effect.next.empty()) {
    play.line(effect.next);
  }
  if (effect.calms) {
    if (tour.bonus < kBonusCap) {
      tour.bonus += effect.bonus;
    }
    tour.calmed = true;
  } else {
    tour.fighting = false;
  }
}

// Without an item nothing is offered and no key is read: the round is spent all the same.
void item_menu(kit::Play& play, Tour& tour) {
  if (tour.held_count == 0) {
    play.line(kNoItem);
    tour.letter = '?';
    return;
  }
  play.text(kHeldItem);
  play.line(kItemNames[tour.held[0]]);
  play.line(kNone);
  tour.letter = kit::two_way(play);
  echo(play, tour.letter);
  if (tour.letter == 'A') {
    try_item(play, tour);
  }
}

void round(kit::Play& play, Tour& tour) {
  play.line(kHit);
  play.line(kItem);
  play.line(kFightPass);
  tour.letter = kit::three_way(play);
  echo(play, tour.letter);
  if (tour.letter == 'A') {
    blow(play, tour.player, tour.creature, kPlayerPluralFrom);
  }
  if (tour.letter == 'B') {
    item_menu(play, tour);
  }
  // The creature strikes back even when it is down or the trap is sending it away.
  if (tour.calmed) {
    tour.calmed = false;
  } else {
    creature_line(play, tour, kJumps);
    blow(play, tour.creature, tour.player, kCreaturePluralFrom);
  }
  if (knocked_out(tour.creature)) {
    creature_line(play, tour, kCreatureOut);
    tour.fighting = false;
  }
  if (knocked_out(tour.player)) {
    play.line(kPlayerOut);
    play.end_line();
    tour.fighting = false;
  }
}

void encounter(kit::Play& play, Tour& tour, int creature) {
  tour.creature_index = creature;
  tour.fighting = true;
  tour.calmed = false;
  play.text(kAssaulted);
  play.text(kCreatureNames[creature]);
  play.character('!');
  play.end_line();
  tour.creature = kCreatureStart[creature];  // every fight meets a fresh creature
  while (tour.fighting) {
    round(play, tour);
  }
}

void find_money(kit::Play& play, Tour& tour, int constant) {
  tour.value = play.roll(constant) + kMoneyBase;
  play.text(kMoneyFound);
  play.number(tour.value);
  play.line(kDollars);
  tour.money += tour.value;
}

// The second item always differs from the first.
void find_item(kit::Play& play, Tour& tour) {
  ++tour.held_count;
  tour.value = play.roll(kItemConstant);
  if (tour.held_count > 1 && tour.value == tour.held[0]) {
    tour.value = (tour.value + 1) % kItems;
  }
  play.text(kItemFound);
  play.text(kItemNames[tour.value]);
  play.character('!');
  play.end_line();
  tour.held[tour.held_count - 1] = tour.value;
}

void explore(kit::Play& play, Tour& tour) {
  const Place& place = kPlaceTable[tour.place];
  tour.explore_roll = play.roll(place.explore_constant);
  tour.player.life += place.life_gain;
  if (tour.player.life > tour.player.maximum_life) {
    tour.player.life = tour.player.maximum_life;
  }
  const Outcome& outcome = place.outcomes[tour.explore_roll];
  // A find reserved for the poor is silent once money has reached kRich: not even "No news.".
  const bool poor = tour.money < kRich;
  switch (outcome.find) {
    case Find::kNoNews:
      play.line(kNoNews);
      break;
    case Find::kCreature:
      encounter(play, tour, outcome.value);
      break;
    case Find::kItem:
      find_item(play, tour);
      break;
    case Find::kItemWhilePoor:
      if (poor) {
        find_item(play, tour);
      }
      break;
    case Find::kMoney:
      if (poor) {
        find_money(play, tour, outcome.value);
      }
      break;
  }
}

void score_line(kit::Play& play, const Tour& tour) {
  play.text(kFinalScore);
  play.number(tour.score);
  play.character('.');
  play.end_line();
  play.end_line();
  play.line(kHitAKey);
}

void end_of_turn(kit::Play& play, Tour& tour) {
  if (knocked_out(tour.player)) {
    tour.playing = false;
    tour.score = tour.bonus + tour.money;
    score_line(play, tour);
  }
  if (tour.held_count > 1) {
    tour.playing = false;
    play.line(kYouWin);
    play.end_line();
    tour.score = kWinPoints + tour.bonus + tour.money;
    score_line(play, tour);
  }
}

void turn(kit::Play& play, Tour& tour) {
  tour.place = play.roll(kPlaceConstant);
  play.end_line();
  play.line(kPlaceTable[tour.place].line);
  play.line(kExplore);
  play.line(kPass);
  tour.letter = kit::two_way(play);
  echo(play, tour.letter);
  if (tour.letter == 'A') {
    explore(play, tour);
  }
  end_of_turn(play, tour);
}

}  // namespace

// The frame's key wait answers the closing "Hit a key to exit.".
void play(kit::Play& play) {
  Tour tour;
  play.line(kTitle);
  while (tour.playing) {
    turn(play, tour);
  }
}

}  // namespace mirkweld
