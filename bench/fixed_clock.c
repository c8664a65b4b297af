/* LD_PRELOAD=fixed_clock.so: every clock_gettime reads the same instant, so a game's seed (its
 * millisecond tick count) is the same in every run. BENCH_CLOCK_MS sets that instant (default
 * 12345678). Preloaded into the games and their floors alike, so both pay the same. */
#define _GNU_SOURCE
#include <stdlib.h>
#include <time.h>

static long long fixed_ms = 12345678;

__attribute__((constructor)) static void read_setting(void) {
  const char* text = getenv("BENCH_CLOCK_MS");
  if (text != NULL && *text != '\0') fixed_ms = strtoll(text, NULL, 10);
}

int clock_gettime(clockid_t clock, struct timespec* now) {
  (void)clock;
  now->tv_sec = (time_t)(fixed_ms / 1000);
  now->tv_nsec = (long)(fixed_ms % 1000) * 1000000L;
  return 0;
}
