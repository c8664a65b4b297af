// The inner pieces of the POSIX console layer that the keycodes diagnostic shares with the games.
// The games themselves go through kit/platform.hpp only.
#pragma once

#include <cstddef>

#include "kit/cp850.hpp"

namespace kit::posix {

// The console's encoding, from the locale (LC_ALL, LC_CTYPE, LANG). The first call also sets the
// process up for console output: SIGPIPE ignored, so that a reader gone is a failed write.
Encoding console_encoding();

// True after platform::start_keyboard() found a terminal on standard input: its bytes then need
// decoding (kit::KeyDecoder); otherwise each byte is one key press.
bool keyboard_is_terminal();

// Waits at most timeout_ms (-1: as long as it takes) for standard input and reads what it has,
// up to size bytes. Returns the count, 0 when the time ran out first, -1 at the end of input. A
// read that fails for another reason leaves the program through platform::fail().
long read_input(unsigned char* bytes, std::size_t size, int timeout_ms);

}  // namespace kit::posix
