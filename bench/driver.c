/* The measuring side of the benchmark. It is never preloaded: the programs it starts get
 * BENCH_CHILD_PRELOAD as their LD_PRELOAD, so its own clock stays true.
 *
 *   driver runs RUNS KEYS CMD... [::: CMD...]...
 *       Runs each command RUNS times, interleaved, with KEYS on a pipe as standard input and
 *       standard output on a pipe that is read to its end. Prints one line per command:
 *       median_ns p10_ns p90_ns rss_median_kb rss_max_kb output_bytes exit_ok same_output
 *       (same_output: the output equals the first command's, byte for byte).
 *   driver ops FILE
 *       Sums up a record_io log: reads writes output_bytes, then, when every read brought one
 *       byte (keys typed one at a time on a terminal), the writes that answered each press:
 *       presses one_write no_write more_writes largest_answer (all zero otherwise).
 *   driver pty-learn KEYS ANSWERS QUIET_MS CMD...
 *       Plays CMD on a pseudo-terminal, one key of KEYS at a time, and keeps what came back
 *       after each until QUIET_MS passed without a byte: the answers, in ANSWERS. Stops when the
 *       program ends. Prints: presses finished exit_ok
 *   driver pty-time KEYS ANSWERS SAMPLES CMD... [::: CMD...]
 *       Plays each command, in turn, as often as it takes to time SAMPLES key presses: from
 *       writing the key to the last byte of its answer as learned. Prints one line per command:
 *       samples median_ns p99_ns max_ns mismatches
 *   driver pty-first KEY RUNS QUIET_MS CMD...
 *       Starts CMD RUNS times and times its answer to one first key (byte value KEY), then hangs
 *       up. Prints: runs median_ns min_ns max_ns
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static void die(const char* what) {
  fprintf(stderr, "driver: %s%s%s\n", what, errno != 0 ? ": " : "",
          errno != 0 ? strerror(errno) : "");
  exit(1);
}

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* Memory the started programs must not inherit: ru_maxrss of a child counts what it was given
 * at fork, so big buffers here would inflate every figure. */
static void* private_memory(size_t size) {
  void* p = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) die("mmap");
  if (madvise(p, size, MADV_DONTFORK) != 0) die("madvise");
  return p;
}

struct bytes {
  unsigned char* data;
  size_t size;
};

static struct bytes read_file(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) die(path);
  struct stat info;
  if (fstat(fd, &info) != 0) die(path);
  struct bytes b = {private_memory((size_t)info.st_size + 1), 0};
  while (b.size < (size_t)info.st_size) {
    const ssize_t got = read(fd, b.data + b.size, (size_t)info.st_size - b.size);
    if (got <= 0) die(path);
    b.size += (size_t)got;
  }
  close(fd);
  return b;
}

/* The environment of a started program: ours, with LD_PRELOAD from BENCH_CHILD_PRELOAD. */
static char** child_environment(void) {
  size_t count = 0;
  while (environ[count] != NULL) ++count;
  char** env = calloc(count + 2, sizeof *env);
  if (env == NULL) die("calloc");
  size_t used = 0;
  for (size_t i = 0; i < count; ++i) {
    if (strncmp(environ[i], "LD_PRELOAD=", 11) != 0) env[used++] = environ[i];
  }
  const char* preload = getenv("BENCH_CHILD_PRELOAD");
  if (preload != NULL && *preload != '\0') {
    static char entry[4096];
    snprintf(entry, sizeof entry, "LD_PRELOAD=%s", preload);
    env[used++] = entry;
  }
  env[used] = NULL;
  return env;
}

static int compare_ll(const void* a, const void* b) {
  const long long x = *(const long long*)a;
  const long long y = *(const long long*)b;
  return (x > y) - (x < y);
}

static long long percentile(long long* values, size_t count, double p) {
  qsort(values, count, sizeof *values, compare_ll);
  size_t index = (size_t)(p * (double)(count - 1) + 0.5);
  if (index >= count) index = count - 1;
  return values[index];
}

static uint32_t u32_at(const unsigned char* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* ---- driver runs */

struct command {
  char** argv;
  long long* ns;
  long long* rss_kb;
  uint64_t hash;
  size_t output_bytes;
  int all_exit_ok;
  int same_output;
};

static unsigned char* pipe_output;
#define kOutputRoom (1U << 20)

static void run_once(struct command* c, size_t slot, char** env, const struct bytes* keys) {
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) die("pipe");
  if (fcntl(in[1], F_GETPIPE_SZ) < (long)keys->size + 1 &&
      fcntl(in[1], F_SETPIPE_SZ, (int)keys->size + 1) < 0) {
    die("the keys do not fit in a pipe");
  }
  if (write(in[1], keys->data, keys->size) != (ssize_t)keys->size) die("write keys");
  close(in[1]);

  const long long start = now_ns();
  const pid_t pid = fork();
  if (pid < 0) die("fork");
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    execve(c->argv[0], c->argv, env);
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  size_t got = 0;
  uint64_t hash = 0xCBF29CE484222325ULL;
  for (;;) {
    const ssize_t n = read(out[0], pipe_output, kOutputRoom);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) hash = (hash ^ pipe_output[i]) * 0x100000001B3ULL;
    got += (size_t)n;
  }
  close(out[0]);
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) die("wait4");
  const long long end = now_ns();

  c->ns[slot] = end - start;
  c->rss_kb[slot] = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) c->all_exit_ok = 0;
  if (slot == 0) {
    c->hash = hash;
    c->output_bytes = got;
  } else if (hash != c->hash || got != c->output_bytes) {
    c->same_output = 0; /* a program that does not repeat itself is not measured fairly */
  }
}

static int command_runs(int argc, char** argv) {
  if (argc < 4) die("usage: driver runs RUNS KEYS CMD... [::: CMD...]");
  const size_t runs = (size_t)strtoul(argv[2], NULL, 10);
  if (runs < 1 || runs > 100000) die("RUNS must be 1 to 100000");
  const struct bytes keys = read_file(argv[3]);
  char** env = child_environment();
  pipe_output = private_memory(kOutputRoom);

  struct command commands[16];
  size_t count = 0;
  for (int i = 4; i < argc;) {
    if (count == 16) die("at most 16 commands");
    struct command* c = &commands[count++];
    c->argv = &argv[i];
    while (i < argc && strcmp(argv[i], ":::") != 0) ++i;
    if (i < argc) argv[i++] = NULL;
    if (c->argv[0] == NULL) die("an empty command");
    c->ns = private_memory(runs * sizeof *c->ns);
    c->rss_kb = private_memory(runs * sizeof *c->rss_kb);
    c->all_exit_ok = 1;
    c->same_output = 1;
  }
  const size_t warm_up = runs < 10 ? runs : 10;
  struct command scratch[16];
  for (size_t r = 0; r < warm_up; ++r) {
    for (size_t k = 0; k < count; ++k) {
      scratch[k] = commands[k];
      run_once(&scratch[k], 0, env, &keys);
    }
  }
  for (size_t r = 0; r < runs; ++r) {
    /* Alternate the order so that neither program always runs right after the other. */
    for (size_t k = 0; k < count; ++k)
      run_once(&commands[r % 2 == 0 ? k : count - 1 - k], r, env, &keys);
  }
  for (size_t k = 0; k < count; ++k) {
    struct command* c = &commands[k];
    const long long p10 = percentile(c->ns, runs, 0.10);
    const long long p90 = percentile(c->ns, runs, 0.90);
    const long long median = percentile(c->ns, runs, 0.50);
    const long long rss_median = percentile(c->rss_kb, runs, 0.50);
    const long long rss_max = percentile(c->rss_kb, runs, 1.0);
    printf("%lld %lld %lld %lld %lld %zu %d %d\n", median, p10, p90, rss_median, rss_max,
           c->output_bytes, c->all_exit_ok,
           c->same_output && c->hash == commands[0].hash &&
               c->output_bytes == commands[0].output_bytes);
  }
  return 0;
}

/* ---- driver ops */

static int command_ops(int argc, char** argv) {
  if (argc != 3) die("usage: driver ops FILE");
  const struct bytes log = read_file(argv[2]);
  long reads = 0, writes = 0, output = 0;
  long presses = -1; /* the writes before the first read answer no key */
  long in_answer = 0, answer_bytes = 0, largest = 0;
  long one = 0, none = 0, more = 0;
  int keyed = 1;
  for (size_t at = 0; at < log.size;) {
    const unsigned char kind = log.data[at];
    if (kind == 'W') {
      const uint32_t fd = u32_at(log.data + at + 1);
      const uint32_t count = u32_at(log.data + at + 5);
      at += 9 + count;
      if (fd == 1 || fd == 2) {
        ++writes;
        output += count;
        ++in_answer;
        answer_bytes += count;
      }
    } else if (kind == 'R' || kind == 'P') {
      const uint32_t fd = u32_at(log.data + at + 1);
      const uint32_t got = u32_at(log.data + at + 9);
      at += 13;
      if (kind == 'R' && fd == 0 && got > 0) {
        ++reads;
        if (got != 1) keyed = 0;
        if (presses >= 0) {
          if (in_answer == 1) ++one;
          if (in_answer == 0) ++none;
          if (in_answer > 1) ++more;
        }
        if (presses >= 0 && answer_bytes > largest) largest = answer_bytes;
        ++presses;
        in_answer = 0;
        answer_bytes = 0;
      }
    } else {
      die("not a record_io log");
    }
  }
  /* The last press is answered by the end of the program. */
  if (presses >= 0) {
    if (in_answer == 1) ++one;
    if (in_answer == 0) ++none;
    if (in_answer > 1) ++more;
    if (answer_bytes > largest) largest = answer_bytes;
    ++presses;
  }
  printf("%ld %ld %ld\n", reads, writes, output);
  if (keyed) {
    printf("%ld %ld %ld %ld %ld\n", presses > 0 ? presses : 0, one, none, more, largest);
  } else {
    printf("0 0 0 0 0\n");
  }
  return 0;
}

/* ---- the pseudo-terminal */

static pid_t start_on_pty(char** argv, char** env, int* master) {
  struct winsize size = {24, 80, 0, 0};
  const pid_t pid = forkpty(master, NULL, NULL, &size);
  if (pid < 0) die("forkpty");
  if (pid == 0) {
    execve(argv[0], argv, env);
    _exit(127);
  }
  return pid;
}

/* Reads what comes within wait_ms; returns the bytes read, 0 on silence, -1 at the end. */
static ssize_t read_within(int master, unsigned char* into, size_t room, int wait_ms) {
  struct pollfd ready = {master, POLLIN, 0};
  for (;;) {
    const int n = poll(&ready, 1, wait_ms);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) die("poll");
    if (n == 0) return 0;
    const ssize_t got = read(master, into, room);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return -1; /* EIO: the program closed the terminal */
    return got;
  }
}

/* The exit status, or 128 + signal. */
static int finish(pid_t pid, int master) {
  close(master);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) die("waitpid");
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int forbidden_key(unsigned char key) {
  /* Ctrl-C, Ctrl-\ and Ctrl-Z keep their signals in the games' terminal modes. */
  return key == 3 || key == 28 || key == 26;
}

struct answers {
  size_t count;
  size_t* offset;
  size_t* length;
  unsigned char* bytes;
};

static struct answers load_answers(const char* path) {
  const struct bytes file = read_file(path);
  struct answers a = {0, private_memory(65536 * sizeof(size_t)),
                      private_memory(65536 * sizeof(size_t)), file.data};
  for (size_t at = 0; at + 4 <= file.size && a.count < 65536;) {
    const uint32_t length = u32_at(file.data + at);
    a.offset[a.count] = at + 4;
    a.length[a.count] = length;
    ++a.count;
    at += 4 + length;
  }
  return a;
}

static int command_pty_learn(int argc, char** argv) {
  if (argc < 6) die("usage: driver pty-learn KEYS ANSWERS QUIET_MS CMD...");
  const struct bytes keys = read_file(argv[2]);
  FILE* out = fopen(argv[3], "wb");
  if (out == NULL) die(argv[3]);
  const int quiet_ms = atoi(argv[4]);
  char** env = child_environment();
  unsigned char* buffer = private_memory(kOutputRoom);
  int master = -1;
  const pid_t pid = start_on_pty(&argv[5], env, &master);

  size_t presses = 0;
  int ended = 0;
  for (;;) {
    /* One answer: the first byte may take long (a program starting), the rest comes at once. */
    size_t length = 0;
    int wait = 3000;
    for (;;) {
      const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, wait);
      if (got < 0) ended = 1;
      if (got <= 0) break;
      length += (size_t)got;
      wait = quiet_ms;
    }
    const unsigned char size[4] = {(unsigned char)length, (unsigned char)(length >> 8),
                                   (unsigned char)(length >> 16), (unsigned char)(length >> 24)};
    fwrite(size, 1, 4, out);
    fwrite(buffer, 1, length, out);
    if (ended || presses == keys.size) break;
    if (forbidden_key(keys.data[presses]))
      die("the keys hold a signal key (Ctrl-C, Ctrl-\\ or Ctrl-Z)");
    if (write(master, &keys.data[presses], 1) != 1) die("write key");
    ++presses;
  }
  fclose(out);
  const int status = finish(pid, master);
  printf("%zu %d %d\n", presses, ended, status == 0);
  return 0;
}

struct timed {
  char** argv;
  long long* samples;
  size_t count;
  long mismatches;
};

/* One whole game on a fresh terminal; its key presses timed into t. */
static void time_one_run(struct timed* t, size_t room, char** env, const struct bytes* keys,
                         const struct answers* answers, unsigned char* buffer) {
  const size_t presses = answers->count - 1;
  int master = -1;
  const pid_t pid = start_on_pty(t->argv, env, &master);
  long long sent = 0;
  /* Answer i follows key i - 1 (answer 0 is what the program shows before the first key). */
  for (size_t i = 0; i < presses; ++i) {
    const size_t expected = answers->length[i];
    size_t length = 0;
    while (length < expected) {
      const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, 5000);
      if (got <= 0) die("the program stopped answering as it did when learned");
      length += (size_t)got;
    }
    const long long answered = now_ns();
    if (memcmp(buffer, answers->bytes + answers->offset[i], expected) != 0) ++t->mismatches;
    if (i > 0 && expected > 0 && t->count < room) t->samples[t->count++] = answered - sent;
    sent = now_ns();
    if (write(master, &keys->data[i], 1) != 1) die("write key");
  }
  /* The last key ends the program. */
  while (read_within(master, buffer, kOutputRoom, 5000) > 0) {
  }
  if (finish(pid, master) != 0) die("the program did not end with status 0");
}

static int command_pty_time(int argc, char** argv) {
  if (argc < 6) die("usage: driver pty-time KEYS ANSWERS SAMPLES CMD... [::: CMD...]");
  const struct bytes keys = read_file(argv[2]);
  const struct answers answers = load_answers(argv[3]);
  const size_t wanted = (size_t)strtoul(argv[4], NULL, 10);
  char** env = child_environment();
  unsigned char* buffer = private_memory(kOutputRoom);
  if (answers.count < 3) die("too few key presses to time");
  const size_t room = wanted + answers.count;

  struct timed commands[16];
  size_t count = 0;
  for (int i = 5; i < argc;) {
    if (count == 16) die("at most 16 commands");
    struct timed* t = &commands[count++];
    t->argv = &argv[i];
    while (i < argc && strcmp(argv[i], ":::") != 0) ++i;
    if (i < argc) argv[i++] = NULL;
    if (t->argv[0] == NULL) die("an empty command");
    t->samples = private_memory(room * sizeof *t->samples);
    t->count = 0;
    t->mismatches = 0;
  }
  /* Whole games in turn, so that a change in the machine's load falls on all of them alike. */
  for (size_t round = 0; commands[0].count < wanted; ++round) {
    for (size_t k = 0; k < count; ++k) {
      time_one_run(&commands[round % 2 == 0 ? k : count - 1 - k], room, env, &keys, &answers,
                   buffer);
    }
  }
  for (size_t k = 0; k < count; ++k) {
    struct timed* t = &commands[k];
    const long long max = percentile(t->samples, t->count, 1.0);
    const long long p99 = percentile(t->samples, t->count, 0.99);
    const long long median = percentile(t->samples, t->count, 0.50);
    printf("%zu %lld %lld %lld %ld\n", t->count, median, p99, max, t->mismatches);
  }
  return 0;
}

static int command_pty_first(int argc, char** argv) {
  if (argc < 6) die("usage: driver pty-first KEY RUNS QUIET_MS CMD...");
  const unsigned char key = (unsigned char)atoi(argv[2]);
  const size_t runs = (size_t)strtoul(argv[3], NULL, 10);
  const int quiet_ms = atoi(argv[4]);
  char** env = child_environment();
  unsigned char* buffer = private_memory(kOutputRoom);
  long long* samples = private_memory((runs + 1) * sizeof *samples);
  size_t banner = 0;
  size_t answer = 0;
  for (size_t r = 0; r <= runs; ++r) {
    int master = -1;
    const pid_t pid = start_on_pty(&argv[5], env, &master);
    size_t length = 0;
    if (r == 0) { /* learn the lengths of the banner and of the answer */
      for (int wait = 3000;; wait = quiet_ms) {
        const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, wait);
        if (got <= 0) break;
        length += (size_t)got;
      }
      banner = length;
    } else {
      while (length < banner) {
        const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, 5000);
        if (got <= 0) die("the program stopped answering");
        length += (size_t)got;
      }
    }
    const long long sent = now_ns();
    if (write(master, &key, 1) != 1) die("write key");
    length = 0;
    if (r == 0) {
      for (int wait = 3000;; wait = quiet_ms) {
        const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, wait);
        if (got <= 0) break;
        length += (size_t)got;
      }
      answer = length;
      if (answer == 0) die("no answer to the first key");
    } else {
      while (length < answer) {
        const ssize_t got = read_within(master, buffer + length, kOutputRoom - length, 5000);
        if (got <= 0) die("the program stopped answering");
        length += (size_t)got;
      }
      samples[r - 1] = now_ns() - sent;
    }
    finish(pid, master); /* hanging up ends it */
  }
  const long long max = percentile(samples, runs, 1.0);
  const long long min = percentile(samples, runs, 0.0);
  const long long median = percentile(samples, runs, 0.5);
  printf("%zu %lld %lld %lld\n", runs, median, min, max);
  return 0;
}

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  if (argc >= 2 && strcmp(argv[1], "runs") == 0) return command_runs(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "ops") == 0) return command_ops(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "pty-learn") == 0) return command_pty_learn(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "pty-time") == 0) return command_pty_time(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "pty-first") == 0) return command_pty_first(argc, argv);
  fprintf(stderr, "usage: driver runs|ops|pty-learn|pty-time|pty-first ...\n");
  return 2;
}
