// Drives the Windows console layer through a real console (wine's, on a pseudo-terminal) without a
// person at the keyboard: key events are injected with WriteConsoleInputW, the child's screen is
// read back through a pipe, and the console's input mode is compared before and after.
//
//   wine_console_check                          every case below, exit 0 when all hold
//   wine_console_check play GAME KEYS SCREEN    GAME with KEYS typed on the console, its output
//                                               saved to SCREEN, exit status passed on
//   wine_console_check probe                    the child: prints each key code it reads
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "kit/cp850.hpp"
#include "kit/platform.hpp"

namespace {

// ---- the child ----------------------------------------------------------------------------

void say(const char* text) { kit::platform::write_console(text, std::strlen(text)); }

DWORD input_mode() {
  DWORD mode = 0;
  GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
  return mode;
}

int probe() {
  kit::platform::set_program_name("probe");
  kit::platform::start_keyboard();
  char line[64];
  std::snprintf(line, sizeof line, "ready %lx\r\n", input_mode());
  say(line);
  for (;;) {
    const int code = kit::platform::read_key();
    std::snprintf(line, sizeof line, "key %d\r\n", code);
    say(line);
    if (code == 'q') break;
  }
  kit::platform::stop_keyboard();
  std::snprintf(line, sizeof line, "after %lx\r\n", input_mode());
  say(line);
  return 0;
}

// ---- the parent ---------------------------------------------------------------------------

HANDLE console_input = INVALID_HANDLE_VALUE;
int failures = 0;
int cases = 0;

void check(bool holds, const char* what) {
  ++cases;
  if (!holds) ++failures;
  std::printf("%s %s\n", holds ? "ok  " : "FAIL", what);
  std::fflush(stdout);
}

BOOL WINAPI keep_running(DWORD /*event*/) { return TRUE; }

struct Child {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;  // the reading end of the child's stdout and stderr
};

// Starts command line with the console as its input and a pipe as its output. With
// broken_output, its stdout is a handle it cannot write to and only stderr is the pipe.
bool start(const wchar_t* command, Child& child, bool broken_output = false) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE write_end = nullptr;
  // Room for a whole game's screen, so the child never waits on a parent that waits on it.
  if (CreatePipe(&child.output, &write_end, &inherit, 1 << 20) == 0) return false;
  SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
  HANDLE refusing = nullptr;
  if (broken_output) {
    refusing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  }
  STARTUPINFOW info{};
  info.cb = sizeof info;
  info.dwFlags = STARTF_USESTDHANDLES;
  info.hStdInput = console_input;
  info.hStdOutput = broken_output ? refusing : write_end;
  info.hStdError = write_end;
  wchar_t line[1024];
  std::wcsncpy(line, command, 1023);
  line[1023] = L'\0';
  const BOOL made = CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &info, &child.process);
  CloseHandle(write_end);
  if (refusing != nullptr) CloseHandle(refusing);
  return made != 0;
}

// Reads the child's output until it contains want (or, with want empty, until it ends).
std::size_t read_until(Child& child, char* buffer, std::size_t size, std::size_t used,
                       const char* want) {
  while (used + 1 < size) {
    buffer[used] = '\0';
    if (*want != '\0' && std::strstr(buffer, want) != nullptr) break;
    DWORD got = 0;
    if (ReadFile(child.output, buffer + used, static_cast<DWORD>(size - 1 - used), &got, nullptr) ==
            0 ||
        got == 0) {
      break;
    }
    used += got;
  }
  buffer[used] = '\0';
  return used;
}

// Waits for the child to end, ten seconds at most (then it is stopped and counts as hung), and
// returns its exit code.
DWORD finish(Child& child, bool& hung) {
  hung = WaitForSingleObject(child.process.hProcess, 10000) != WAIT_OBJECT_0;
  if (hung) {
    TerminateProcess(child.process.hProcess, 0xDEAD);
    WaitForSingleObject(child.process.hProcess, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(child.process.hProcess, &code);
  CloseHandle(child.process.hProcess);
  CloseHandle(child.process.hThread);
  return code;
}

INPUT_RECORD key(bool down, WORD vk, wchar_t c, DWORD state = 0, WORD repeat = 1) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  record.Event.KeyEvent.wRepeatCount = repeat;
  record.Event.KeyEvent.wVirtualKeyCode = vk;
  record.Event.KeyEvent.uChar.UnicodeChar = c;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}

bool inject(const INPUT_RECORD* records, DWORD count) {
  DWORD written = 0;
  return WriteConsoleInputW(console_input, records, count, &written) != 0 && written == count;
}

DWORD mode_now() {
  DWORD mode = 0;
  GetConsoleMode(console_input, &mode);
  return mode;
}

void probe_command(wchar_t* out, std::size_t size) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::swprintf(out, size, L"\"%ls\" probe", self);
}

void keys_case(DWORD before) {
  // Typed before the program starts: it must never be read.
  const INPUT_RECORD early[] = {key(true, 'Z', L'z'), key(false, 'Z', L'z')};
  inject(early, 2);

  wchar_t command[MAX_PATH + 16];
  probe_command(command, MAX_PATH + 16);
  Child child;
  if (!start(command, child)) {
    check(false, "the probe starts");
    return;
  }
  char screen[4096];
  std::size_t used = read_until(child, screen, sizeof screen, 0, "\r\n");

  const DWORD alt = LEFT_ALT_PRESSED;
  const INPUT_RECORD typed[] = {
      key(true, VK_SHIFT, 0, SHIFT_PRESSED),  // modifiers and lock keys alone: nothing
      key(true, 'A', L'A', SHIFT_PRESSED),
      key(false, 'A', L'A', SHIFT_PRESSED),
      key(false, VK_SHIFT, 0),
      key(true, VK_CONTROL, 0, LEFT_CTRL_PRESSED),
      key(false, VK_CONTROL, 0),
      key(true, VK_MENU, 0, alt),
      key(false, VK_MENU, 0),
      key(true, VK_CAPITAL, 0),
      key(true, VK_NUMLOCK, 0),
      key(true, VK_SCROLL, 0),
      key(true, VK_LWIN, 0),
      key(true, VK_RWIN, 0),
      key(true, VK_UP, 0, ENHANCED_KEY),  // keys without a character: 0 each
      key(true, VK_F1, 0),
      key(true, VK_HOME, 0, ENHANCED_KEY),
      key(true, VK_END, 0, ENHANCED_KEY),
      key(true, VK_PRIOR, 0, ENHANCED_KEY),
      key(true, VK_NEXT, 0, ENHANCED_KEY),
      key(true, VK_INSERT, 0, ENHANCED_KEY),
      key(true, VK_RETURN, L'\r'),
      key(true, VK_ESCAPE, 0x1B),
      key(true, VK_ESCAPE, 0),       // as wine on a terminal reports it
      key(true, 'X', L'x', 0, 3),    // auto-repeat: three presses
      key(false, 'B', L'b'),         // a key let go: nothing
      key(true, 0, 0x00E9),          // é
      key(true, 0, 0x20AC),          // € is not in code page 850: 0
      key(true, VK_PACKET, 0xD83D),  // one character beyond the basic plane: one press of 0
      key(true, VK_PACKET, 0xDE00),
      key(true, VK_MENU, 0, alt),  // Alt+0233 on the keypad: é when Alt is let go
      key(true, VK_NUMPAD0, 0, alt | NUMLOCK_ON),
      key(false, VK_NUMPAD0, 0, alt | NUMLOCK_ON),
      key(true, VK_NUMPAD2, 0, alt | NUMLOCK_ON),
      key(true, VK_NUMPAD3, 0, alt | NUMLOCK_ON),
      key(true, VK_NUMPAD3, 0, alt | NUMLOCK_ON),
      key(false, VK_MENU, 0x00E9),
      key(true, 'Q', L'q'),
  };
  INPUT_RECORD focus{};
  focus.EventType = FOCUS_EVENT;
  focus.Event.FocusEvent.bSetFocus = TRUE;
  INPUT_RECORD mouse{};
  mouse.EventType = MOUSE_EVENT;
  mouse.Event.MouseEvent.dwButtonState = FROM_LEFT_1ST_BUTTON_PRESSED;
  inject(&focus, 1);
  inject(&mouse, 1);
  const bool injected = inject(typed, sizeof typed / sizeof typed[0]);
  bool hung = false;
  const DWORD code = finish(child, hung);
  used = read_until(child, screen, sizeof screen, used, "");
  CloseHandle(child.output);

  const DWORD raw =
      (before & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_WINDOW_INPUT |
                                    ENABLE_MOUSE_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT)) |
      ENABLE_PROCESSED_INPUT;
  char want[1024];
  std::snprintf(want, sizeof want,
                "ready %lx\r\nkey 65\r\nkey 0\r\nkey 0\r\nkey 0\r\nkey 0\r\nkey 0\r\nkey 0\r\n"
                "key 0\r\nkey 13\r\nkey 27\r\nkey 27\r\nkey 120\r\nkey 120\r\nkey 120\r\n"
                "key 130\r\nkey 0\r\nkey 0\r\nkey 130\r\nkey 113\r\nafter %lx\r\n",
                raw, before);
  check(injected, "key events reach the console");
  check(std::strcmp(screen, want) == 0,
        "one press per key, none for modifiers, key-ups or waiting input; 0 without a character");
  if (std::strcmp(screen, want) != 0) std::printf("got:\n%s\nwanted:\n%s\n", screen, want);
  check(!hung && code == 0, "the probe ends with status 0");
  check(mode_now() == before, "the input mode is back after a normal end");
}

void signal_case(DWORD before, DWORD event, const char* what) {
  wchar_t command[MAX_PATH + 16];
  probe_command(command, MAX_PATH + 16);
  Child child;
  if (!start(command, child)) {
    check(false, "the probe starts");
    return;
  }
  char screen[256];
  read_until(child, screen, sizeof screen, 0, "\r\n");
  if (GenerateConsoleCtrlEvent(event, 0) == 0) {
    // Wine 8 sends Ctrl-C only; the same handler serves every event.
    std::printf("skip %s: this console cannot send it (error %lu)\n", what, GetLastError());
    TerminateProcess(child.process.hProcess, 0xDEAD);
    bool hung = false;
    finish(child, hung);
    CloseHandle(child.output);
    return;
  }
  bool hung = false;
  const DWORD code = finish(child, hung);
  CloseHandle(child.output);
  char line[160];
  std::snprintf(line, sizeof line, "%s ends the program with 0xC000013A (got 0x%lX)", what, code);
  check(!hung && code == STATUS_CONTROL_C_EXIT, line);
  std::snprintf(line, sizeof line, "the input mode is back after %s", what);
  check(mode_now() == before, line);
}

void write_failure_case(DWORD before) {
  wchar_t command[MAX_PATH + 16];
  probe_command(command, MAX_PATH + 16);
  Child child;
  if (!start(command, child, true)) {
    check(false, "the probe starts");
    return;
  }
  char screen[512];
  bool hung = false;
  const DWORD code = finish(child, hung);
  read_until(child, screen, sizeof screen, 0, "");
  CloseHandle(child.output);
  const char* prefix = "probe: cannot write to the console: ";
  const std::size_t length = std::strlen(screen);
  check(std::strncmp(screen, prefix, std::strlen(prefix)) == 0 && length > std::strlen(prefix) &&
            std::strcmp(screen + length - 2, "\r\n") == 0 &&
            std::strchr(screen, '\n') == screen + length - 1,
        "a failed write says why on one line of standard error");
  if (std::strncmp(screen, prefix, std::strlen(prefix)) != 0) std::printf("got: %s\n", screen);
  check(!hung && code == 1, "a failed write ends with status 1");
  check(mode_now() == before, "the input mode is back after a failed write");
}

int run_all() {
  SetConsoleCtrlHandler(keep_running, TRUE);
  const DWORD before = mode_now();
  // Each case starts from the same mode, so one that fails does not fail the next.
  keys_case(before);
  SetConsoleMode(console_input, before);
  signal_case(before, CTRL_C_EVENT, "Ctrl-C");
  SetConsoleMode(console_input, before);
  signal_case(before, CTRL_BREAK_EVENT, "Ctrl-Break");
  SetConsoleMode(console_input, before);
  write_failure_case(before);
  SetConsoleMode(console_input, before);
  std::printf("wine console check: %d of %d hold\n", cases - failures, cases);
  return failures == 0 ? 0 : 1;
}

// GAME with the bytes of KEYS typed on the console one key each; its screen saved to SCREEN.
int play(const wchar_t* game, const wchar_t* keys_path, const wchar_t* screen_path) {
  SetConsoleCtrlHandler(keep_running, TRUE);
  HANDLE keys_file =
      CreateFileW(keys_path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  static unsigned char keys[4096];
  DWORD count = 0;
  if (keys_file == INVALID_HANDLE_VALUE ||
      ReadFile(keys_file, keys, sizeof keys, &count, nullptr) == 0) {
    std::printf("cannot read the keys\n");
    return 2;
  }
  CloseHandle(keys_file);
  wchar_t command[MAX_PATH + 4];
  std::swprintf(command, MAX_PATH + 4, L"\"%ls\"", game);
  Child child;
  if (!start(command, child)) {
    std::printf("cannot start the game\n");
    return 2;
  }
  // The first output comes with the first wait for a key, so the keyboard is on by then.
  static char screen[65536];
  DWORD got = 0;
  if (ReadFile(child.output, screen, sizeof screen, &got, nullptr) == 0) got = 0;
  for (DWORD i = 0; i < count; ++i) {
    const auto c = static_cast<wchar_t>(kit::unicode_of_cp850(keys[i]));
    const INPUT_RECORD press[] = {key(true, 0, c), key(false, 0, c)};
    inject(press, 2);
  }
  bool hung = false;
  const DWORD code = finish(child, hung);
  const std::size_t used = read_until(child, screen, sizeof screen, got, "");
  CloseHandle(child.output);
  if (hung) std::printf("the game did not end\n");
  HANDLE out = CreateFileW(screen_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, screen, static_cast<DWORD>(used), &written, nullptr);
  CloseHandle(out);
  return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"probe") == 0) return probe();
  console_input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  SetHandleInformation(console_input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  DWORD mode = 0;
  if (GetConsoleMode(console_input, &mode) == 0) {
    std::printf("no console to test with\n");
    return 77;
  }
  if (argc == 5 && std::wcscmp(argv[1], L"play") == 0) return play(argv[2], argv[3], argv[4]);
  if (argc == 1) return run_all();
  std::printf("usage: wine_console_check [play GAME KEYS SCREEN]\n");
  return 2;
}
