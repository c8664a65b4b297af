#include "kit/choice.hpp"

namespace kit {

void key_wait(Play& play) { play.read_key(); }
char two_way(Play& play) { return choice_of(play.read_key(), 2); }
char three_way(Play& play) { return choice_of(play.read_key(), 3); }
char three_way_as_typed(Play& play) { return choice_of(play.read_key(), 3, true); }
char four_way(Play& play) { return choice_of(play.read_key(), 4); }
char five_way(Play& play) { return choice_of(play.read_key(), 5); }
char six_way(Play& play) { return choice_of(play.read_key(), 6); }
char one_or_zero(Play& play) { return one_or_zero_of(play.read_key()); }

void play_through(Play& play, Game game) {
  game(play);
  key_wait(play);
}

}  // namespace kit
