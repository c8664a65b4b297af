#include "kit/frame.hpp"

#include "kit/platform.hpp"

namespace kit {

namespace {

void to_console(void* /*context*/, const char* bytes, std::size_t count) {
  platform::write_console(bytes, count);
}

int from_console(void* /*context*/) { return platform::read_key(); }

}  // namespace

int run_program(Game game, const char* name) {
  platform::set_program_name(name);
  Chance chance(platform::tick_count());
  platform::start_keyboard();
  Screen screen(to_console, nullptr);
  Keys keys(from_console, nullptr);
  Play play(screen, keys, chance);
  play_through(play, game);
  platform::stop_keyboard();
  return 0;
}

}  // namespace kit
