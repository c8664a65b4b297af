// Turns the bytes a terminal sends into key presses: pure, so it can be tested and fuzzed apart
// from any terminal.
#pragma once

#include "kit/cp850.hpp"

namespace kit {

// How long an incomplete escape sequence or character may wait for its next byte before the
// decoder takes what it has (a lone Escape becomes 27).
constexpr int kEscapeDelayMs = 25;

// One key press per CSI (ESC [ params final) or SS3 (ESC O x) sequence, code 0, and per function
// key of the Linux console (ESC [ [ x); a lone ESC is 27 once the delay has passed, an ESC before
// any other byte (Alt+key) is 27 and then that byte's key; a multibyte character in the terminal's
// encoding is one press with its code page 850 code (0 when it has none). The result never depends
// on how the bytes were split into reads, only on where the delays fall.
class KeyDecoder {
 public:
  static constexpr int kMaxKeysPerByte = 2;

  explicit constexpr KeyDecoder(Encoding encoding) : encoding_(encoding) {}

  // Takes one byte; writes the key presses it completes to keys and returns how many (0 to 2).
  int feed(unsigned char byte, int keys[kMaxKeysPerByte]);

  // No byte came within kEscapeDelayMs: completes a pending sequence. Returns 0 or 1 key.
  int timeout(int keys[1]);

  // True while a sequence is incomplete: the reader should wait at most kEscapeDelayMs for more.
  bool pending() const { return state_ != State::ground; }

 private:
  enum class State { ground, escape, csi_start, csi, ss3, linux_key, multibyte };

  int ground(unsigned char byte, int* keys);

  Encoding encoding_;
  State state_ = State::ground;
  char32_t partial_ = 0;  // the character bits gathered so far
  int needed_ = 0;        // continuation bytes still expected
  char32_t minimum_ = 0;  // the least character of this length (rejects overlong forms)
};

}  // namespace kit
