// The terminal layer on real pseudo-terminals, through the programs as they ship: single-key
// mode, decoding, the locale's encoding, and the terminal put back on every way out.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Generous: the tests wait for what they expect, and only a broken program takes this long.
constexpr auto kPatience = std::chrono::seconds(30);

enum class Input { terminal, pipe };
enum class Output { terminal, full_disk, closed, broken_pipe };

struct Launch {
  const char* program = BURPLETON_PROGRAM;
  std::vector<std::string> environment = {"LANG=C.UTF-8"};
  Input input = Input::terminal;
  Output output = Output::terminal;
  bool hangup_ignored = false;
  // Run as a shell runs a job: in its own process group, in the foreground of the terminal, under
  // a session leader that stays. Without that, the kernel discards the stop of Ctrl-Z.
  bool job_control = false;
};

std::string status_text(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
  if (WIFSTOPPED(status)) return std::string("stopped by ") + strsignal(WSTOPSIG(status));
  if (WIFCONTINUED(status)) return "continued";
  return "status " + std::to_string(status);
}

std::string printable(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      text += "\\n\n";
    } else if (byte < 0x20 || byte >= 0x7F) {
      constexpr char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[byte >> 4U];
      text += kHex[byte & 0xFU];
    } else {
      text += c;
    }
  }
  return text;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && a.c_line == b.c_line &&
         std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

std::string modes_text(const termios& m) {
  char text[256];
  std::snprintf(text, sizeof text, "iflag %#x oflag %#x cflag %#x lflag %#x VMIN %d VTIME %d",
                static_cast<unsigned>(m.c_iflag), static_cast<unsigned>(m.c_oflag),
                static_cast<unsigned>(m.c_cflag), static_cast<unsigned>(m.c_lflag), m.c_cc[VMIN],
                m.c_cc[VTIME]);
  return text;
}

bool single_key(const termios& m) { return (m.c_lflag & ICANON) == 0; }

class Session {
 public:
  explicit Session(const Launch& setup) : job_control_(setup.job_control) {
    signal(SIGPIPE, SIG_IGN);  // a program gone must not take the test with it
    termios modes{};
    winsize size{24, 80, 0, 0};
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    // Modes a program could not guess: restoring "sane" settings instead of these shows.
    tcgetattr(slave_, &modes);
    modes.c_iflag |= IXANY | IUTF8;
    modes.c_lflag |= TOSTOP;
    modes.c_lflag &= ~static_cast<tcflag_t>(ECHOK);
    modes.c_cc[VERASE] = 0x08;
    modes.c_cc[VKILL] = 0x18;
    tcsetattr(slave_, TCSANOW, &modes);
    tcgetattr(slave_, &original);

    int error_pipe[2];
    int status_pipe[2] = {-1, -1};
    int input_pipe[2] = {-1, -1};
    int output = -1;
    pipe2(error_pipe, O_CLOEXEC);
    if (job_control_) pipe2(status_pipe, O_CLOEXEC);
    if (setup.input == Input::pipe) pipe2(input_pipe, O_CLOEXEC);
    if (setup.output == Output::full_disk) output = open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (setup.output == Output::broken_pipe) {
      int broken[2];
      pipe2(broken, O_CLOEXEC);
      close(broken[0]);  // nobody will ever read
      output = broken[1];
    }

    // Everything the child needs is made before the fork: after it, only plain system calls.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string_view entry = *variable;
      if (entry.starts_with("LANG") || entry.starts_with("LC_") || entry.starts_with("LOCPATH=") ||
          entry.starts_with("ASAN_OPTIONS=")) {
        continue;
      }
      environment.emplace_back(entry);
    }
    for (const std::string& entry : setup.environment) environment.push_back(entry);
    // Under the sanitizers the program's own crash handling is what is tested.
    environment.emplace_back(
        "ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:"
        "handle_abort=0:detect_leaks=0");
    std::vector<char*> envp;
    envp.reserve(environment.size() + 1);
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(setup.program), nullptr};

    const int in = setup.input == Input::terminal ? slave_ : input_pipe[0];
    const int out = setup.output == Output::terminal ? slave_ : output;
    const bool close_output = setup.output == Output::closed;
    const int error = error_pipe[1];
    auto start_program = [&]() {
      struct sigaction standard {};
      standard.sa_handler = SIG_DFL;
      sigaction(SIGPIPE, &standard, nullptr);
      if (setup.hangup_ignored) {
        struct sigaction ignored {};
        ignored.sa_handler = SIG_IGN;
        sigaction(SIGHUP, &ignored, nullptr);
      }
      const rlimit no_core{0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
      dup2(in, 0);
      dup2(error, 2);
      if (close_output) {
        close(1);
      } else {
        dup2(out, 1);
      }
      execve(argv[0], argv, envp.data());
      _exit(127);
    };

    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      if (!job_control_) start_program();
      const pid_t job = fork();
      if (job == 0) {
        setpgid(0, 0);
        sigset_t quiet;
        sigemptyset(&quiet);
        sigaddset(&quiet, SIGTTOU);
        sigprocmask(SIG_BLOCK, &quiet, nullptr);
        tcsetpgrp(slave_, getpid());
        sigprocmask(SIG_UNBLOCK, &quiet, nullptr);
        start_program();
      }
      // The session leader: reports every change of the job's state to the test.
      setpgid(job, job);
      close(master_);
      close(slave_);
      close(error);
      if (write(status_pipe[1], &job, sizeof job) != sizeof job) _exit(1);
      for (;;) {
        int status = 0;
        const pid_t changed = waitpid(job, &status, WUNTRACED | WCONTINUED);
        if (changed < 0 && errno == EINTR) continue;
        if (changed < 0) _exit(1);
        if (write(status_pipe[1], &status, sizeof status) != sizeof status) _exit(1);
        if (WIFEXITED(status) || WIFSIGNALED(status)) _exit(0);
      }
    }
    close(error_pipe[1]);
    errors_ = error_pipe[0];
    if (input_pipe[0] >= 0) close(input_pipe[0]);
    input_ = setup.input == Input::pipe ? input_pipe[1] : master_;
    if (output >= 0) close(output);
    program = pid_;
    if (job_control_) {
      close(status_pipe[1]);
      status_ = status_pipe[0];
      if (!read_status(program)) program = -1;
    }
  }

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ~Session() {
    if (!ended_ && program > 0) kill(program, SIGKILL);
    if (pid_ > 0) {
      if (job_control_ && !ended_ && program > 0) kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
    for (const int fd : {master_, slave_, errors_, status_}) {
      if (fd >= 0) close(fd);
    }
    if (input_ >= 0 && input_ != master_) close(input_);
  }

  bool ready() const { return master_ >= 0 && pid_ > 0 && program > 0; }

  // Typed at the terminal, or written to the input pipe.
  void type(std::string_view keys) {
    while (!keys.empty()) {
      const ssize_t done = write(input_, keys.data(), keys.size());
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) return;
      keys.remove_prefix(static_cast<std::size_t>(done));
    }
  }

  void close_input() {
    close(input_);
    input_ = -1;
  }

  void hang_up() {
    close(master_);
    if (input_ == master_) input_ = -1;
    master_ = -1;
  }

  // Reads the terminal until text has shown the given number of times since the start.
  bool wait_for(std::string_view text, int times = 1) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
      if (occurrences(text) >= times) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      read_screen(100);
    }
  }

  // The program's end: its wait status (-1 when it would not end).
  int wait_end() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    int status = -1;
    while (!ended_ && std::chrono::steady_clock::now() < deadline) {
      if (job_control_) {
        if (!read_status(status)) break;
        ended_ = WIFEXITED(status) || WIFSIGNALED(status);
      } else {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
          ended_ = true;
          pid_ = -1;
        } else {
          read_screen(20);
        }
      }
    }
    while (read_screen(0)) {
    }
    return ended_ ? status : -1;
  }

  // The next change of a job's state (job control only).
  int next_status() {
    int status = -1;
    if (!read_status(status)) return -1;
    return status;
  }

  termios modes() const {
    termios now{};
    tcgetattr(slave_, &now);
    return now;
  }

  void set_modes(const termios& modes) const { tcsetattr(slave_, TCSANOW, &modes); }

  // Waits until the program has put the terminal in single-key mode.
  bool wait_for_single_key() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!single_key(modes())) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      read_screen(10);
    }
    return true;
  }

  // Bytes typed that the program never read (after its end).
  int unread_input() const {
    termios counting = original;
    counting.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    tcsetattr(slave_, TCSANOW, &counting);
    int count = -1;
    ioctl(slave_, FIONREAD, &count);
    return count;
  }

  // Standard error, all of it (after the end).
  std::string errors() const {
    std::string text;
    char buffer[512];
    for (;;) {
      pollfd ready{errors_, POLLIN, 0};
      if (poll(&ready, 1, 5000) <= 0) break;
      const ssize_t got = read(errors_, buffer, sizeof buffer);
      if (got <= 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

  termios original{};
  std::string screen;
  pid_t program = -1;  // the program itself (under job control, not the session leader)

 private:
  int occurrences(std::string_view text) const {
    int count = 0;
    for (std::size_t at = screen.find(text); at != std::string::npos;
         at = screen.find(text, at + text.size())) {
      ++count;
    }
    return count;
  }

  bool read_screen(int wait_ms) {
    if (master_ < 0) {
      if (wait_ms > 0) poll(nullptr, 0, wait_ms);
      return false;
    }
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, wait_ms) <= 0 || (ready.revents & POLLIN) == 0) return false;
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;
    screen.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  template <typename T>
  bool read_status(T& value) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd ready{status_, POLLIN, 0};
      if (poll(&ready, 1, 20) > 0) {
        return read(status_, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
      }
      read_screen(0);
    }
    return false;
  }

  bool job_control_;
  int master_ = -1;
  int slave_ = -1;
  int errors_ = -1;
  int status_ = -1;
  int input_ = -1;
  pid_t pid_ = -1;
  bool ended_ = false;
};

// ---- the belching contest, as a player sees it

constexpr std::string_view kNames[] = {"Brian", "George", "Sam", "Elliot"};
constexpr std::string_view kBetPrompt = "D. Elliot.\r\n";
constexpr std::string_view kReady = "He is ready.\r\n";
constexpr std::string_view kWins = " wins.\r\n";

// The whole screen of a game whose bet was the given letter; the belches and the winner are
// chance, so they are matched by their form.
std::string game_pattern(char letter) {
  std::string pattern =
      "BURPLETON\\.\r\n[^\r\n]*\r\n\r\nWho is going to win this\\?\r\n"
      "A\\. Brian\\.\r\nB\\. George\\.\r\nC\\. Sam\\.\r\nD\\. Elliot\\.\r\n";
  pattern += letter;
  pattern += "\\.\r\n\r\n";
  for (const std::string_view name : kNames) {
    pattern += name;
    pattern += " is going to belch\\.\r\nHe is ready\\.\r\nBU{1,10}RP\\.\r\n\r\n";
  }
  pattern += "(Brian|George|Sam|Elliot) wins\\.\r\n(And you win!\r\n)?";
  return pattern;
}

bool shows_game(const std::string& screen, char letter) {
  return std::regex_match(screen, std::regex(game_pattern(letter)));
}

// Each key only once the question it answers is on screen, as a player types.
void play_game(Session& session, std::string_view bet) {
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  session.type(bet);
  for (int turn = 0; turn < 4; ++turn) {
    const std::string going = std::string(kNames[turn]) + " is going to belch.\r\n";
    ASSERT_TRUE(session.wait_for(going)) << printable(session.screen);
    session.type("0");
    ASSERT_TRUE(session.wait_for(kReady, turn + 1)) << printable(session.screen);
    session.type("0");
  }
  ASSERT_TRUE(session.wait_for(kWins)) << printable(session.screen);
  session.type("z");
}

#define START(session)                                                 \
  do {                                                                 \
    if (!(session).ready()) GTEST_SKIP() << "no pseudo-terminal here"; \
  } while (false)

// ---- keys

struct BetKey {
  const char* name;
  std::string_view keys;
  char letter;
};

// gtest names the case in failure messages.
void PrintTo(const BetKey& value, std::ostream* out) { *out << value.name; }

class KeyAtTheBet : public ::testing::TestWithParam<BetKey> {};

// One press each, answered without Enter and without echo, the game played to its end, the
// terminal as it was, and not a byte left unread: a sequence taken for two presses would leave one.
TEST_P(KeyAtTheBet, IsOnePressWithItsCode) {
  const BetKey& key = GetParam();
  Session session(Launch{});
  START(session);
  play_game(session, key.keys);
  const int status = session.wait_end();
  EXPECT_EQ(status_text(status), "exit 0") << session.errors();
  EXPECT_TRUE(shows_game(session.screen, key.letter)) << printable(session.screen);
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
  EXPECT_EQ(session.unread_input(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, KeyAtTheBet,
    ::testing::Values(BetKey{"Digit", "1", 'A'},
                      BetKey{"EnterIs13", "\r", 'B'},          // 13 mod 4; as 10 it would be C
                      BetKey{"CtrlSIsAKey", "\x13", 'D'},      // 19 mod 4
                      BetKey{"CursorUp", "\x1b[A", 'A'},       // code 0
                      BetKey{"CursorDownSs3", "\x1bOB", 'A'},  // code 0
                      BetKey{"F5", "\x1b[15~", 'A'}, BetKey{"CtrlCursorUp", "\x1b[1;5A", 'A'},
                      BetKey{"LinuxConsoleF1", "\x1b[[A", 'A'},
                      BetKey{"LoneEscape", "\x1b", 'D'},                // 27 mod 4
                      BetKey{"EAcuteInUtf8", "\xc3\xa9", 'C'},          // 130 mod 4
                      BetKey{"EuroSignHasNoCode", "\xe2\x82\xac", 'A'}  // 0
                      ),
    [](const ::testing::TestParamInfo<BetKey>& info) { return info.param.name; });

TEST(Terminal, WaitsForKeysInSingleKeyModeKeepingSignals) {
  Session session(Launch{});
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  const termios raw = session.modes();
  const termios& was = session.original;
  EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | IEXTEN), 0U) << modes_text(raw);
  EXPECT_NE(raw.c_lflag & ISIG, 0U) << modes_text(raw);
  EXPECT_EQ(raw.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0U) << modes_text(raw);
  EXPECT_EQ(raw.c_oflag & ONLCR, 0U) << modes_text(raw);
  EXPECT_EQ(raw.c_cc[VMIN], 1);
  EXPECT_EQ(raw.c_cc[VTIME], 0);
  EXPECT_EQ(raw.c_cflag, was.c_cflag);
  EXPECT_EQ(raw.c_cc[VINTR], was.c_cc[VINTR]);
  EXPECT_EQ(raw.c_cc[VSUSP], was.c_cc[VSUSP]);
  session.type("\x03");
  EXPECT_EQ(status_text(session.wait_end()), "killed by Interrupt");
}

// ---- ways out

struct Leaving {
  const char* name;
  std::string_view typed;  // a key the terminal turns into the signal, or nothing
  int signal_number;       // sent with kill() when nothing is typed
};

void PrintTo(const Leaving& value, std::ostream* out) { *out << value.name; }

class LeavingBySignal : public ::testing::TestWithParam<Leaving> {};

TEST_P(LeavingBySignal, PutsTheTerminalBackAndDiesOfTheSignal) {
  const Leaving& way = GetParam();
  Session session(Launch{});
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  ASSERT_TRUE(single_key(session.modes()));
  if (way.typed.empty()) {
    kill(session.program, way.signal_number);
  } else {
    session.type(way.typed);
  }
  const int status = session.wait_end();
  EXPECT_EQ(status_text(status), std::string("killed by ") + strsignal(way.signal_number))
      << session.errors();
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, LeavingBySignal,
    ::testing::Values(Leaving{"CtrlC", "\x03", SIGINT}, Leaving{"CtrlBackslash", "\x1c", SIGQUIT},
                      Leaving{"Term", "", SIGTERM}, Leaving{"Hangup", "", SIGHUP},
                      Leaving{"Segv", "", SIGSEGV}, Leaving{"Abort", "", SIGABRT}),
    [](const ::testing::TestParamInfo<Leaving>& info) { return info.param.name; });

TEST(Terminal, HangUpEndsTheProgram) {
  Session session(Launch{});
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  session.hang_up();
  EXPECT_EQ(status_text(session.wait_end()), "killed by Hangup");
}

// nohup's ignored SIGHUP stays ignored; the hang-up itself is then the end of input.
TEST(Terminal, IgnoredHangupStaysIgnoredAndHangUpIsEndOfInput) {
  Launch setup;
  setup.hangup_ignored = true;
  Session session(setup);
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  kill(session.program, SIGHUP);
  session.type("2");
  ASSERT_TRUE(session.wait_for("B.\r\n")) << printable(session.screen);
  session.hang_up();
  EXPECT_EQ(status_text(session.wait_end()), "exit 1");
  EXPECT_EQ(session.errors(), "burpleton: end of input\n");
}

struct FailedWrite {
  const char* name;
  Output output;
  int error;
};

void PrintTo(const FailedWrite& value, std::ostream* out) { *out << value.name; }

class WriteFailure : public ::testing::TestWithParam<FailedWrite> {};

TEST_P(WriteFailure, EndsAtOnceWithTheReasonAndTheTerminalBack) {
  Launch setup;
  setup.output = GetParam().output;
  Session session(setup);
  START(session);
  EXPECT_EQ(status_text(session.wait_end()), "exit 1");
  EXPECT_EQ(session.errors(), std::string("burpleton: cannot write to the console: ") +
                                  std::strerror(GetParam().error) + "\n");
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
}

INSTANTIATE_TEST_SUITE_P(Terminal, WriteFailure,
                         ::testing::Values(FailedWrite{"FullDisk", Output::full_disk, ENOSPC},
                                           FailedWrite{"ClosedOutput", Output::closed, EBADF},
                                           FailedWrite{"ReaderGone", Output::broken_pipe, EPIPE}),
                         [](const ::testing::TestParamInfo<FailedWrite>& info) {
                           return info.param.name;
                         });

// ---- keys from a pipe: every byte one press, the terminal left alone

struct Piped {
  const char* name;
  std::string_view keys;
  const char* status;
  const char* errors;
};

void PrintTo(const Piped& value, std::ostream* out) { *out << value.name; }

class PipedKeys : public ::testing::TestWithParam<Piped> {};

TEST_P(PipedKeys, AreOnePressPerByte) {
  Launch setup;
  setup.input = Input::pipe;
  Session session(setup);
  START(session);
  session.type(GetParam().keys);
  session.close_input();
  EXPECT_EQ(status_text(session.wait_end()), GetParam().status);
  EXPECT_EQ(session.errors(), GetParam().errors);
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
  if (std::string_view(GetParam().status) == "exit 0") {
    // The terminal kept its own modes, so it shows each line end as CR CR LF.
    const std::string screen = std::regex_replace(session.screen, std::regex("\r\r\n"), "\r\n");
    EXPECT_TRUE(shows_game(screen, 'D')) << printable(session.screen);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, PipedKeys,
    ::testing::Values(
        // ESC [ A: the Escape bets on D, '[' and 'A' are Brian's two pauses.
        Piped{"EscapeSequenceIsThreePresses", "\x1b[A000000z", "exit 0", ""},
        Piped{"EndOfInput", "\x1b[A00000", "exit 1", "burpleton: end of input\n"}),
    [](const ::testing::TestParamInfo<Piped>& info) { return info.param.name; });

// ---- Ctrl-Z and continuing

TEST(Terminal, CtrlZStopsWithTheTerminalBackAndContinuesWithSingleKeys) {
  Launch setup;
  setup.job_control = true;
  Session session(setup);
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  ASSERT_TRUE(single_key(session.modes()));
  session.type("\x1a");
  EXPECT_EQ(status_text(session.next_status()), "stopped by Stopped");
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
  kill(session.program, SIGCONT);
  EXPECT_EQ(status_text(session.next_status()), "continued");
  ASSERT_TRUE(session.wait_for_single_key());
  play_game(session, "1");
  EXPECT_EQ(status_text(session.wait_end()), "exit 0") << session.errors();
  EXPECT_TRUE(shows_game(session.screen, 'A')) << printable(session.screen);
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
}

// A SIGSTOP cannot be caught: whatever the shell made of the terminal meanwhile, continuing brings
// single keys back.
TEST(Terminal, ContinuingAfterSigstopBringsSingleKeysBack) {
  Launch setup;
  setup.job_control = true;
  Session session(setup);
  START(session);
  ASSERT_TRUE(session.wait_for(kBetPrompt)) << printable(session.screen);
  kill(session.program, SIGSTOP);
  EXPECT_EQ(status_text(session.next_status()), "stopped by Stopped (signal)");
  session.set_modes(session.original);
  kill(session.program, SIGCONT);
  EXPECT_EQ(status_text(session.next_status()), "continued");
  ASSERT_TRUE(session.wait_for_single_key());
  play_game(session, "\x1b");
  EXPECT_EQ(status_text(session.wait_end()), "exit 0") << session.errors();
  EXPECT_TRUE(shows_game(session.screen, 'D')) << printable(session.screen);
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
}

// ---- keycodes, and the output in the locale's encoding

std::string key_line(std::string bytes, std::string_view code) {
  bytes.resize(24, ' ');
  return bytes + "-> " + std::string(code) + "\r\n";
}

constexpr std::string_view kKeycodesIntroduction =
    "Each key press shows the bytes the terminal sent and the code the games see. Ctrl-C ends.\r\n";

TEST(Keycodes, ShowsTheBytesAndTheCodeOfEachPressUntilCtrlC) {
  Launch setup;
  setup.program = KEYCODES_PROGRAM;
  Session session(setup);
  START(session);
  ASSERT_TRUE(session.wait_for(kKeycodesIntroduction)) << printable(session.screen);
  const std::string expected[] = {
      key_line("61 ", "97 'a'"),
      key_line("1b 5b 41 ", "0 no character (a cursor, function or editing key)"),
      key_line("1b ", "27 Escape"),
      key_line("c3 a9 ", "130 '\xc3\xa9'"),
      key_line("0d ", "13 Enter"),
      // Alt+x: the Escape and the key, each a press of its own.
      key_line("1b ", "27 Escape") + key_line("78 ", "120 'x'"),
  };
  const std::string_view typed[] = {"a", "\x1b[A", "\x1b", "\xc3\xa9", "\r", "\x1bx"};
  std::string screen(kKeycodesIntroduction);
  for (std::size_t i = 0; i < std::size(typed); ++i) {
    session.type(typed[i]);
    screen += expected[i];
    ASSERT_TRUE(session.wait_for(screen)) << printable(session.screen);
  }
  session.type("\x03");
  EXPECT_EQ(status_text(session.wait_end()), "killed by Interrupt");
  EXPECT_EQ(session.screen, screen) << printable(session.screen);
  EXPECT_TRUE(same_modes(session.modes(), session.original)) << modes_text(session.modes());
}

struct Locale {
  const char* name;
  std::vector<std::string> environment;
  std::string_view typed;
  std::string shown;
};

void expect_key_shown(const Locale& locale) {
  Launch setup;
  setup.program = KEYCODES_PROGRAM;
  setup.environment = locale.environment;
  Session session(setup);
  START(session);
  ASSERT_TRUE(session.wait_for(kKeycodesIntroduction)) << printable(session.screen);
  session.type(locale.typed);
  const std::string screen = std::string(kKeycodesIntroduction) + locale.shown;
  EXPECT_TRUE(session.wait_for(screen)) << printable(session.screen);
  session.type("\x03");
  EXPECT_EQ(status_text(session.wait_end()), "killed by Interrupt");
  EXPECT_EQ(session.screen, screen) << printable(session.screen);
}

void PrintTo(const Locale& value, std::ostream* out) { *out << value.name; }

class LocaleEncoding : public ::testing::TestWithParam<Locale> {};

// The key decoded and the code page 850 character shown in the locale's encoding; a locale that
// is not installed is still taken at its word for the encoding.
TEST_P(LocaleEncoding, ReadsAndShowsTheTerminalsOwnBytes) { expect_key_shown(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Terminal, LocaleEncoding,
    ::testing::Values(
        Locale{"Utf8", {"LANG=C.UTF-8"}, "\xc3\xa9", key_line("c3 a9 ", "130 '\xc3\xa9'")},
        Locale{"CLocaleIsUtf8", {"LANG=C"}, "\xc3\xa9", key_line("c3 a9 ", "130 '\xc3\xa9'")},
        Locale{"LcAllFirst",
               {"LANG=fr_FR.CP850", "LC_ALL=C.UTF-8"},
               "\xc3\xa0",
               key_line("c3 a0 ", "133 '\xc3\xa0'")},
        Locale{"Cp850Unchanged", {"LANG=fr_FR.CP850"}, "\x82", key_line("82 ", "130 '\x82'")},
        Locale{"Latin1", {"LANG=fr_FR.ISO-8859-1"}, "\xe9", key_line("e9 ", "130 '\xe9'")},
        Locale{"Latin9EuroHasNoCode",
               {"LANG=fr_FR.ISO-8859-15"},
               "\xa4",
               key_line("a4 ", "0 no character (a cursor, function or editing key)")}),
    [](const ::testing::TestParamInfo<Locale>& info) { return info.param.name; });

// A code page 850 locale whose name does not tell: only the locale itself says so.
TEST(Terminal, InstalledCp850LocaleGetsTheBytesUnchanged) {
  char folder[] = "/tmp/kit-locale-XXXXXX";
  if (mkdtemp(folder) == nullptr) GTEST_SKIP() << "no temporary folder";
  const std::string command =
      std::string("localedef -i fr_FR -f IBM850 ") + folder + "/gamesfr >/dev/null 2>&1";
  const bool made = std::system(command.c_str()) == 0;
  if (made) {
    expect_key_shown(Locale{"Installed",
                            {std::string("LOCPATH=") + folder, "LANG=gamesfr"},
                            "\x85",
                            key_line("85 ", "133 '\x85'")});
  }
  std::filesystem::remove_all(folder);
  if (!made) GTEST_SKIP() << "localedef cannot make a code page 850 locale here";
}

}  // namespace
