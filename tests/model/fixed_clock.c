/* Preloaded into a game so that its tick count, and so its seed, is chosen by the caller:
 * every monotonic clock reads FIXED_CLOCK_MS milliseconds; other clocks are left alone. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef int (*clock_gettime_fn)(clockid_t, struct timespec*);

static int is_monotonic(clockid_t id) {
  switch (id) {
    case CLOCK_MONOTONIC:
#ifdef CLOCK_MONOTONIC_RAW
    case CLOCK_MONOTONIC_RAW:
#endif
#ifdef CLOCK_MONOTONIC_COARSE
    case CLOCK_MONOTONIC_COARSE:
#endif
#ifdef CLOCK_BOOTTIME
    case CLOCK_BOOTTIME:
#endif
      return 1;
    default:
      return 0;
  }
}

int clock_gettime(clockid_t id, struct timespec* now) {
  const char* fixed = getenv("FIXED_CLOCK_MS");
  if (fixed != NULL && is_monotonic(id)) {
    const unsigned long long ms = strtoull(fixed, NULL, 10);
    now->tv_sec = (time_t)(ms / 1000U);
    now->tv_nsec = (long)(ms % 1000U) * 1000000L;
    return 0;
  }
  /* Copied, not cast: ISO C has no conversion from an object pointer to a function pointer. */
  void* symbol = dlsym(RTLD_NEXT, "clock_gettime");
  clock_gettime_fn real = NULL;
  memcpy(&real, &symbol, sizeof real);
  return real(id, now);
}
