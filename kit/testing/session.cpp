#include "kit/testing/session.hpp"

#include <utility>

namespace kit::testing {

namespace {

struct KeysRanOut {};
struct ScriptFailed {};

struct Run {
  std::string_view keys;
  std::vector<int> rolls;
  std::size_t next_roll = 0;
  bool seeded = true;
  Chance* generator = nullptr;
  Transcript transcript;
};

void capture(void* context, const char* bytes, std::size_t count) {
  static_cast<Run*>(context)->transcript.screen.append(bytes, count);
}

int next_key(void* context) {
  auto& run = *static_cast<Run*>(context);
  if (run.transcript.keys_used == run.keys.size()) throw KeysRanOut{};
  return static_cast<unsigned char>(run.keys[run.transcript.keys_used++]);
}

int next_roll(void* context, int k) {
  auto& run = *static_cast<Run*>(context);
  run.transcript.asked.push_back(k);
  if (run.seeded) {
    const int value = run.generator->roll(k);
    if (value < 0 || value > k) {
      run.transcript.error = "roll " + std::to_string(value) + " outside 0.." + std::to_string(k);
      throw ScriptFailed{};
    }
    return value;
  }
  if (run.next_roll == run.rolls.size()) {
    run.transcript.error =
        "roll " + std::to_string(run.next_roll + 1) + " (k " + std::to_string(k) + ") not scripted";
    throw ScriptFailed{};
  }
  const int value = run.rolls[run.next_roll++];
  if (value < 0 || value > k) {
    run.transcript.error = "scripted roll " + std::to_string(run.next_roll) + " is " +
                           std::to_string(value) + ", outside 0.." + std::to_string(k);
    throw ScriptFailed{};
  }
  return value;
}

Transcript play(Game game, Run& run) {
  Screen screen(capture, &run);
  Keys keys(next_key, &run);
  Chance chance(next_roll, &run);
  Play play(screen, keys, chance);
  try {
    play_through(play, game);
    run.transcript.finished = true;
  } catch (const KeysRanOut&) {
  } catch (const ScriptFailed&) {
  }
  screen.flush();
  return std::move(run.transcript);
}

}  // namespace

Transcript play_seeded(Game game, std::string_view keys, std::uint32_t seed) {
  Chance generator(seed);
  Run run{keys, {}, 0, true, &generator, {}};
  return play(game, run);
}

Transcript play_scripted(Game game, std::string_view keys, std::vector<int> rolls) {
  Run run{keys, std::move(rolls), 0, false, nullptr, {}};
  Transcript transcript = play(game, run);
  if (transcript.error.empty() && run.next_roll != run.rolls.size()) {
    transcript.error = std::to_string(run.rolls.size() - run.next_roll) + " scripted rolls unused";
  }
  return transcript;
}

std::string lines(std::initializer_list<std::string_view> lines) {
  std::string screen;
  for (const std::string_view line : lines) {
    screen.append(line);
    screen.append("\r\n");
  }
  return screen;
}

std::vector<std::string> split_lines(std::string_view screen) {
  std::vector<std::string> result;
  std::size_t start = 0;
  for (std::size_t end = screen.find("\r\n"); end != std::string_view::npos;
       end = screen.find("\r\n", start)) {
    result.emplace_back(screen.substr(start, end - start));
    start = end + 2;
  }
  if (start < screen.size()) result.emplace_back(screen.substr(start));
  return result;
}

std::string readable(std::string_view screen) {
  std::string text;
  for (std::size_t i = 0; i < screen.size(); ++i) {
    if (screen[i] == '\r' && i + 1 < screen.size() && screen[i + 1] == '\n') continue;
    text.push_back(screen[i]);
  }
  return text;
}

}  // namespace kit::testing
