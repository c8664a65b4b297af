/* The floor of a whole run: the least a C program can do to look the same from outside. It
 * makes the read(2) and write(2) calls a game made, in the same order and with the same sizes
 * and bytes, as record_io.so logged them (built in with -DOPS_FILE='"path"'), and nothing else.
 * Compiled with cc -O2 and started like the game, so the difference is what the game costs. */
#include <stdint.h>
#include <unistd.h>

#ifndef OPS_FILE
#error "build with -DOPS_FILE='\"record_io log\"'"
#endif

__asm__(
    ".section .rodata\n"
    ".balign 16\n"
    "ops_begin:\n"
    ".incbin \"" OPS_FILE
    "\"\n"
    "ops_end:\n"
    ".previous\n");
extern const unsigned char ops_begin[] __asm__("ops_begin");
extern const unsigned char ops_end[] __asm__("ops_end");

static unsigned char keys[1 << 16];

static uint32_t u32_at(const unsigned char* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

int main(void) {
  for (const unsigned char* at = ops_begin; at < ops_end;) {
    const int fd = (int)u32_at(at + 1);
    if (at[0] == 'W') {
      const uint32_t count = u32_at(at + 5);
      if (write(fd, at + 9, count) != (ssize_t)count) return 1;
      at += 9 + count;
    } else {
      if (at[0] == 'R') {
        const uint32_t size = u32_at(at + 5);
        if (read(fd, keys, size < sizeof keys ? size : sizeof keys) < 0) return 1;
      }
      at += 13; /* 'P': the game's waits have no counterpart on a pipe */
    }
  }
  return 0;
}
