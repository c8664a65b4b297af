// Fuzzes one game (FUZZ_GAME, declared in FUZZ_GAME_HEADER) through kit::play_through, as it
// ships. The first byte picks the chance source: even, an MT19937 seeded from the next four
// bytes; odd, rolls scripted from the end of the input backwards (two bytes each while there
// are two, taken modulo k + 1), so the fuzzer steers chance as well as keys. The rest, from the
// front, is the key stream, one press per byte.
//
// Any stream must either end the game or be read to its last byte, with no crash, no read past
// it, every roll of k with 0 <= k <= 900 and a result in 0..k, and the same screen when the same
// input is played again (a game that keeps state between runs, or reads memory it never set,
// would differ).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include FUZZ_GAME_HEADER
#include "kit/chance.hpp"
#include "kit/play.hpp"
#include "kit/screen.hpp"

namespace {

// Every game rolls with k from 0 to 900.
constexpr int kMostK = 900;

[[noreturn]] void violated(const char* what) {
  std::fprintf(stderr, "fuzz_game: %s\n", what);
  std::abort();
}

// Thrown to stop the game when the input is used up: the key it would wait for never comes.
struct InputEnded {};

struct Session {
  const std::uint8_t* data = nullptr;
  std::size_t front = 0;  // the next key
  std::size_t back = 0;   // one past the last byte left for scripted rolls
  bool scripted = false;
  kit::Chance* generator = nullptr;
  bool finished = false;
  std::uint64_t screen_hash = 0xCBF29CE484222325U;  // FNV-1a of every byte shown
  std::size_t shown = 0;
  std::size_t rolls = 0;
};

void show(void* context, const char* bytes, std::size_t count) {
  auto& s = *static_cast<Session*>(context);
  if (count == 0 || count > kit::Screen::kCapacity) violated("a flush of an impossible size");
  for (std::size_t i = 0; i < count; ++i) {
    s.screen_hash = (s.screen_hash ^ static_cast<unsigned char>(bytes[i])) * 0x100000001B3U;
  }
  s.shown += count;
}

int next_key(void* context) {
  auto& s = *static_cast<Session*>(context);
  if (s.front == s.back) throw InputEnded{};
  return s.data[s.front++];
}

int next_roll(void* context, int k) {
  auto& s = *static_cast<Session*>(context);
  if (k < 0 || k > kMostK) violated("a chance roll of k outside 0..900");
  ++s.rolls;
  int value = 0;
  if (s.scripted) {
    if (s.back == s.front) throw InputEnded{};
    unsigned raw = s.data[--s.back];
    if (s.back > s.front) raw = raw << 8U | s.data[--s.back];
    value = static_cast<int>(raw % (static_cast<unsigned>(k) + 1));
  } else {
    value = s.generator->roll(k);
  }
  if (value < 0 || value > k) violated("a chance roll outside 0..k");
  return value;
}

Session play_once(const std::uint8_t* data, std::size_t size) {
  Session s;
  s.data = data;
  s.scripted = (data[0] & 1U) != 0;
  std::uint32_t seed = 0;
  std::size_t keys_start = 1;
  if (!s.scripted) {
    for (std::size_t i = 1; i < 5 && i < size; ++i) seed = seed << 8U | data[i];
    keys_start = size < 5 ? size : 5;
  }
  s.front = keys_start;
  s.back = size;
  kit::Chance generator(seed);
  s.generator = &generator;

  kit::Screen screen(show, &s);
  kit::Keys keys(next_key, &s);
  kit::Chance chance(next_roll, &s);
  kit::Play play(screen, keys, chance);
  try {
    kit::play_through(play, FUZZ_GAME);
    s.finished = true;
  } catch (const InputEnded&) {
  }
  screen.flush();
  if (s.front > s.back || s.back > size) violated("read past the input");
  if (!s.finished && s.front != s.back) violated("stopped before the input was used up");
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Session first = play_once(data, size);
  const Session again = play_once(data, size);
  if (first.screen_hash != again.screen_hash || first.shown != again.shown ||
      first.front != again.front || first.rolls != again.rolls ||
      first.finished != again.finished) {
    violated("the same input played twice gave different sessions");
  }
  return 0;
}
