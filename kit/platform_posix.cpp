// The console on POSIX systems: a terminal in single-key mode (or plain bytes from a pipe or a
// file), output in the locale's encoding, and the terminal put back on every way out.
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kit/cp850.hpp"
#include "kit/decoder.hpp"
#include "kit/platform.hpp"
#include "kit/screen.hpp"
#include "kit/terminal_posix.hpp"

namespace {

const char* program_name = "game";

// What the signal handlers need: the modes found at start, the single-key modes, and whether the
// program is between keyboard on and keyboard off.
termios saved_modes{};
termios raw_modes{};
volatile sig_atomic_t on_terminal = 0;
volatile sig_atomic_t raw_wanted = 0;

bool console_ready = false;
kit::Encoding console_encoding_value = kit::Encoding::utf8;

// A background job leaves the terminal to the foreground one: touching its modes would stop us
// (SIGTTOU) or spoil the shell's. -1 means no job control on this terminal, so it is ours.
bool in_background() {
  const pid_t foreground = tcgetpgrp(STDIN_FILENO);
  return foreground != -1 && foreground != getpgrp();
}

// Async-signal-safe, like everything the handlers call.
void set_modes(const termios& modes) {
  if (in_background()) return;
  while (tcsetattr(STDIN_FILENO, TCSANOW, &modes) != 0 && errno == EINTR) {
  }
}

void restore_terminal() {
  if (on_terminal != 0) set_modes(saved_modes);
}

void resume_raw() {
  if (on_terminal != 0 && raw_wanted != 0) set_modes(raw_modes);
}

void set_action(int signal_number, void (*handler)(int), bool block_all, int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  if (block_all) {
    sigfillset(&action.sa_mask);
  } else {
    sigemptyset(&action.sa_mask);
  }
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
}

}  // namespace

extern "C" {

// A signal that ends the process: the terminal first, then the default action, so that the exit
// status still names the signal.
static void on_leaving_signal(int signal_number) {
  raw_wanted = 0;
  restore_terminal();
  set_action(signal_number, SIG_DFL, false, 0);
  raise(signal_number);  // blocked until this handler returns, then fatal
}

// Ctrl-Z: the terminal as it was while stopped, single keys again once continued.
static void on_suspend(int /*signal_number*/) {
  const int saved_errno = errno;
  restore_terminal();
  set_action(SIGTSTP, SIG_DFL, false, 0);
  raise(SIGTSTP);
  sigset_t suspend{};
  sigemptyset(&suspend);
  sigaddset(&suspend, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &suspend, nullptr);  // the process stops here
  set_action(SIGTSTP, on_suspend, false, SA_RESTART);
  resume_raw();
  errno = saved_errno;
}

// Also after a SIGSTOP, which cannot be caught: whatever the shell did to the terminal meanwhile,
// the game goes on with single keys.
static void on_continue(int /*signal_number*/) {
  const int saved_errno = errno;
  resume_raw();
  errno = saved_errno;
}

}  // extern "C"

namespace {

// Every signal whose default action ends the process (SIGPIPE is ignored: a failed write says so).
constexpr int kLeavingSignals[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1,
    SIGSEGV, SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
};

// A crash from a stack overflow still gets its handler.
alignas(16) char signal_stack[64 * 1024];

bool at_default(int signal_number) {
  struct sigaction current {};
  if (sigaction(signal_number, nullptr, &current) != 0) return false;
  return (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
}

// Only where nobody has chosen otherwise: an ignored SIGHUP (nohup) stays ignored.
void install_handlers() {
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) != 0) {
    stack_t stack{};
    stack.ss_sp = signal_stack;
    stack.ss_size = sizeof signal_stack;
    sigaltstack(&stack, nullptr);
  }
  for (const int signal_number : kLeavingSignals) {
    if (at_default(signal_number)) set_action(signal_number, on_leaving_signal, true, SA_ONSTACK);
  }
  if (at_default(SIGTSTP)) set_action(SIGTSTP, on_suspend, false, SA_RESTART);
  if (at_default(SIGCONT)) set_action(SIGCONT, on_continue, false, SA_RESTART);
}

// Single keys: no line editing, no echo, Enter as 13, Ctrl-S as a key; Ctrl-C and Ctrl-Z keep
// their meaning. The program writes CR LF itself, so output goes out byte for byte.
termios single_key_modes(termios modes) {
  modes.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP | PARMRK);
  modes.c_oflag &= ~static_cast<tcflag_t>(ONLCR | OCRNL | ONOCR | ONLRET);
  modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  return modes;
}

void append(char* line, std::size_t size, std::size_t& used, const char* text) {
  while (*text != '\0' && used + 1 < size) line[used++] = *text++;
}

// The terminal back as it was, one line on standard error, status 1.
[[noreturn]] void leave(const char* what, const char* why) {
  raw_wanted = 0;
  restore_terminal();
  char line[512];
  std::size_t used = 0;
  append(line, sizeof line, used, program_name);
  append(line, sizeof line, used, ": ");
  append(line, sizeof line, used, what);
  append(line, sizeof line, used, why);
  line[used++] = '\n';
  while (write(STDERR_FILENO, line, used) < 0 && errno == EINTR) {
  }
  _exit(1);
}

// For a descriptor someone left non-blocking: wait instead of spinning.
void wait_until_ready(int descriptor, short events) {
  pollfd ready{descriptor, events, 0};
  while (poll(&ready, 1, -1) < 0 && errno == EINTR) {
  }
}

void write_all(const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t done = write(STDOUT_FILENO, bytes, count);
    if (done > 0) {
      bytes += done;
      count -= static_cast<std::size_t>(done);
    } else if (done < 0 && errno == EINTR) {
      continue;
    } else if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      wait_until_ready(STDOUT_FILENO, POLLOUT);
    } else {
      leave("cannot write to the console: ", done < 0 ? std::strerror(errno) : "nothing written");
    }
  }
}

// The locale's name as the C library picks it: the first of these that is set and not empty.
constexpr const char* kLocaleVariables[] = {"LC_ALL", "LC_CTYPE", "LANG"};
char codeset_in_name[64];

// The codeset the locale's name gives ("fr_FR.CP850@euro" -> "CP850", the C locale's own for C), or
// nullptr when only the locale itself can tell ("fr_FR", "fr_FR@euro", a path).
const char* codeset_of_locale_name() {
  const char* name = nullptr;
  for (const char* variable : kLocaleVariables) {
    name = std::getenv(variable);
    if (name != nullptr && *name != '\0') break;
    name = nullptr;
  }
  if (name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0) {
    return "ANSI_X3.4-1968";
  }
  const char* dot = std::strchr(name, '.');
  if (dot == nullptr || std::strchr(name, '/') != nullptr) return nullptr;
  std::size_t used = 0;
  for (const char* p = dot + 1; *p != '\0' && *p != '@' && used + 1 < sizeof codeset_in_name; ++p) {
    codeset_in_name[used++] = *p;
  }
  codeset_in_name[used] = '\0';
  return codeset_in_name;
}

// Keys from a terminal: read in whatever pieces come, decoded, queued.
constexpr std::size_t kTerminalRead = 256;
kit::KeyDecoder decoder{kit::Encoding::utf8};
int decoded[kTerminalRead * kit::KeyDecoder::kMaxKeysPerByte + 1];
std::size_t decoded_count = 0;
std::size_t decoded_next = 0;
bool input_ended = false;

// Keys from a pipe or a file: every byte is one press.
unsigned char input[4096];
std::size_t input_count = 0;
std::size_t input_next = 0;

char converted[kit::Screen::kCapacity * kit::kMaxExpansion];

[[noreturn]] void end_of_input() { leave("end of input", ""); }

int terminal_key() {
  for (;;) {
    if (decoded_next < decoded_count) return decoded[decoded_next++];
    decoded_next = 0;
    decoded_count = 0;
    if (input_ended) end_of_input();
    unsigned char bytes[kTerminalRead];
    const int wait = decoder.pending() ? kit::kEscapeDelayMs : -1;
    const long got = kit::posix::read_input(bytes, sizeof bytes, wait);
    if (got <= 0) {
      // The time ran out, or the input ended: a sequence begun is still a press.
      input_ended = got < 0;
      decoded_count = static_cast<std::size_t>(decoder.timeout(decoded));
      continue;
    }
    for (long i = 0; i < got; ++i) {
      decoded_count += static_cast<std::size_t>(decoder.feed(bytes[i], decoded + decoded_count));
    }
  }
}

}  // namespace

namespace kit::posix {

Encoding console_encoding() {
  if (!console_ready) {
    console_ready = true;
    set_action(SIGPIPE, SIG_IGN, false, 0);
    // Loading a locale costs more than half a millisecond, as much as starting the program: the
    // name says enough almost always, and a locale not installed is still the terminal's word.
    const char* codeset = codeset_of_locale_name();
    if (codeset == nullptr && setlocale(LC_CTYPE, "") != nullptr) codeset = nl_langinfo(CODESET);
    console_encoding_value = encoding_of_codeset(codeset);
  }
  return console_encoding_value;
}

bool keyboard_is_terminal() { return on_terminal != 0; }

long read_input(unsigned char* bytes, std::size_t size, int timeout_ms) {
  for (;;) {
    if (timeout_ms >= 0) {
      pollfd waiting{STDIN_FILENO, POLLIN, 0};
      const int ready = poll(&waiting, 1, timeout_ms);
      if (ready == 0) return 0;
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) leave("cannot read the keyboard: ", std::strerror(errno));
    }
    const ssize_t got = read(STDIN_FILENO, bytes, size);
    if (got > 0) return got;
    if (got == 0 || errno == EIO) return -1;  // EIO: the terminal has hung up
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      wait_until_ready(STDIN_FILENO, POLLIN);
      continue;
    }
    leave("cannot read the keyboard: ", std::strerror(errno));
  }
}

}  // namespace kit::posix

namespace kit::platform {

void set_program_name(const char* name) { program_name = name; }

// The one place that reads the clock.
std::uint32_t tick_count() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
  return static_cast<std::uint32_t>(ms);
}

void start_keyboard() {
  const Encoding encoding = posix::console_encoding();
  termios modes{};
  if (tcgetattr(STDIN_FILENO, &modes) != 0) return;  // a pipe or a file: each byte is a key
  saved_modes = modes;
  raw_modes = single_key_modes(modes);
  decoder = KeyDecoder(encoding);
  on_terminal = 1;
  install_handlers();
  raw_wanted = 1;
  // Started in the background: the SIGCONT of the shell's fg brings single keys.
  if (in_background()) return;
  set_modes(raw_modes);
  tcflush(STDIN_FILENO, TCIFLUSH);
}

void stop_keyboard() {
  raw_wanted = 0;
  restore_terminal();
}

int read_key() {
  if (on_terminal != 0) return terminal_key();
  if (input_next == input_count) {
    const long got = posix::read_input(input, sizeof input, -1);
    if (got < 0) end_of_input();
    input_count = static_cast<std::size_t>(got);
    input_next = 0;
  }
  return input[input_next++];
}

void write_console(const char* bytes, std::size_t count) {
  const Encoding encoding = posix::console_encoding();
  while (count > 0) {
    const std::size_t part = count < Screen::kCapacity ? count : Screen::kCapacity;
    write_all(converted, convert_cp850(bytes, part, encoding, converted));
    bytes += part;
    count -= part;
  }
}

void fail(const char* message) { leave(message, ""); }

}  // namespace kit::platform
