// The only place the kit meets the operating system. One implementation per platform:
// platform_posix.cpp and platform_windows.cpp. Nothing outside the kit calls these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kit::platform {

// The name the program gives itself in messages on standard error.
void set_program_name(const char* name);

// Milliseconds since the system started, truncated to 32 bits: the seed.
std::uint32_t tick_count();

// Keyboard on: single key presses without echo when the input is a console, input already
// waiting discarded, every way out of the process set to put the console back as it was.
void start_keyboard();

// Keyboard off: the console exactly as start_keyboard found it.
void stop_keyboard();

// The next key press, code 0..255 in code page 850. At the end of input it leaves the program
// through fail() and does not return.
int read_key();

// Shows code page 850 bytes on the console, converted to its encoding. A failed write leaves
// the program through fail().
void write_console(const char* bytes, std::size_t count);

// Puts the console back, says "<name>: <message>" on standard error, exits with status 1.
[[noreturn]] void fail(const char* message);

}  // namespace kit::platform
