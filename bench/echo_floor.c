/* The floor of a key press on a terminal: a C program in the games' terminal modes that answers
 * each key with one write(2). echo_floor ANSWERS answers as a game did (the file driver
 * pty-learn wrote: the answer before the first key, then one per key); without it, it echoes
 * each key until Ctrl-D. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

static unsigned char answers[1 << 22];
static size_t answers_size = 0;

int main(int argc, char** argv) {
  if (argc > 1) {
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL) return 2;
    answers_size = fread(answers, 1, sizeof answers, file);
    fclose(file);
  }
  struct termios saved;
  if (tcgetattr(0, &saved) != 0) return 2;
  struct termios raw = saved;
  raw.c_iflag &= ~(tcflag_t)(ICRNL | INLCR | IGNCR | IXON | ISTRIP | PARMRK);
  raw.c_oflag &= ~(tcflag_t)ONLCR;
  raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(0, TCSANOW, &raw);

  unsigned char key[256];
  if (argc > 1) {
    for (size_t at = 0; at + 4 <= answers_size;) {
      const uint32_t length = (uint32_t)answers[at] | (uint32_t)answers[at + 1] << 8 |
                              (uint32_t)answers[at + 2] << 16 | (uint32_t)answers[at + 3] << 24;
      if (at > 0 && read(0, key, sizeof key) <= 0) break; /* every answer but the first waits */
      if (length > 0 && write(1, answers + at + 4, length) != (ssize_t)length) break;
      at += 4 + length;
    }
  } else {
    for (;;) {
      const ssize_t got = read(0, key, sizeof key);
      if (got <= 0 || key[0] == 4) break;
      if (write(1, key, (size_t)got) != got) break;
    }
  }
  tcsetattr(0, TCSANOW, &saved);
  return 0;
}
