// replay GAME SEED < keys > transcript
// Plays GAME with the given seed, one key press per byte of standard input, and writes the exact
// screen as raw code page 850 bytes: any reported session reproduced by the code that ships.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "burpleton/burpleton.hpp"
#include "golf/golf.hpp"
#include "hooplandia/hooplandia.hpp"
#include "kit/play.hpp"
#include "mirkweld/mirkweld.hpp"
#include "rouladix/rouladix.hpp"

namespace {

struct Entry {
  std::string_view name;
  kit::Game game;
};

constexpr Entry kGames[] = {
    {"burpleton", burpleton::play}, {"golf", golf::play},         {"hooplandia", hooplandia::play},
    {"mirkweld", mirkweld::play},   {"rouladix", rouladix::play},
};

[[noreturn]] void quit(const char* message, int status) {
  std::fprintf(stderr, "replay: %s\n", message);
  std::exit(status);
}

void usage() {
  std::fputs("usage: replay GAME SEED < keys > transcript\nGAME is one of:", stderr);
  for (const Entry& entry : kGames) {
    std::fprintf(stderr, " %.*s", static_cast<int>(entry.name.size()), entry.name.data());
  }
  std::fputs("; SEED is 0 to 4294967295.\n", stderr);
  std::exit(2);
}

bool parse_seed(const char* text, std::uint32_t& seed) {
  if (*text < '0' || *text > '9') return false;
  std::uint64_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    if (value > 0xFFFFFFFFU) return false;
  }
  seed = static_cast<std::uint32_t>(value);
  return true;
}

void to_stdout(void* /*context*/, const char* bytes, std::size_t count) {
  if (std::fwrite(bytes, 1, count, stdout) != count || std::fflush(stdout) != 0) {
    quit(std::strerror(errno), 1);
  }
}

int from_stdin(void* /*context*/) {
  const int byte = std::getc(stdin);
  if (byte == EOF) quit("the keys ran out before the game ended", 1);
  return byte;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) usage();
  const std::string_view name = argv[1];
  kit::Game game = nullptr;
  for (const Entry& entry : kGames) {
    if (entry.name == name) game = entry.game;
  }
  std::uint32_t seed = 0;
  if (game == nullptr || !parse_seed(argv[2], seed)) usage();
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  kit::Chance chance(seed);
  kit::Screen screen(to_stdout, nullptr);
  kit::Keys keys(from_stdin, nullptr);
  kit::Play play(screen, keys, chance);
  kit::play_through(play, game);
  screen.flush();
  return 0;
}
