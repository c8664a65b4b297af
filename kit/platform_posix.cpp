// Minimal console layer: byte keys and UTF-8 output. The full terminal layer replaces it.
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kit/cp850.hpp"
#include "kit/platform.hpp"

namespace kit::platform {

namespace {
const char* program_name = "game";
}

void set_program_name(const char* name) { program_name = name; }

std::uint32_t tick_count() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
  return static_cast<std::uint32_t>(ms);
}

void start_keyboard() {}
void stop_keyboard() {}

int read_key() {
  unsigned char byte = 0;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && errno == EINTR) continue;
    fail("end of input");
  }
}

void write_console(const char* bytes, std::size_t count) {
  static char out[8192 * kMaxExpansion];
  std::size_t done = 0;
  while (done < count) {
    const std::size_t part = count - done < 8192 ? count - done : 8192;
    const std::size_t n = convert_cp850(bytes + done, part, Encoding::utf8, out);
    std::size_t sent = 0;
    while (sent < n) {
      const ssize_t w = write(STDOUT_FILENO, out + sent, n - sent);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) fail("cannot write to the console");
      sent += static_cast<std::size_t>(w);
    }
    done += part;
  }
}

void fail(const char* message) {
  const char* parts[] = {program_name, ": ", message, "\n"};
  for (const char* part : parts) {
    if (write(STDERR_FILENO, part, std::strlen(part)) < 0) break;
  }
  _exit(1);
}

}  // namespace kit::platform
