// The Windows console layer: key events from ReadConsoleInputW, UTF-16 output through
// WriteConsoleW, and raw code page 850 bytes whenever a stream is redirected.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>

#include "kit/cp850.hpp"
#include "kit/platform.hpp"
#include "kit/screen.hpp"

namespace kit::platform {

namespace {

const char* program_name = "game";

struct Stream {
  HANDLE handle = nullptr;
  bool console = false;
};

Stream in;
Stream out;
Stream err;
bool streams_known = false;

// The input mode start_keyboard found; put back by every way out.
DWORD saved_input_mode = 0;
volatile LONG input_mode_changed = 0;

// Presses still owed by a key event whose repeat count was above one.
int pending_code = 0;
unsigned pending_presses = 0;

// Bytes read ahead from a redirected input.
unsigned char input_bytes[4096];
DWORD input_used = 0;
DWORD input_count = 0;

Stream stream_of(DWORD which) {
  Stream stream;
  stream.handle = GetStdHandle(which);
  DWORD mode = 0;
  stream.console = stream.handle != nullptr && stream.handle != INVALID_HANDLE_VALUE &&
                   GetConsoleMode(stream.handle, &mode) != 0;
  return stream;
}

void know_streams() {
  if (streams_known) return;
  in = stream_of(STD_INPUT_HANDLE);
  out = stream_of(STD_OUTPUT_HANDLE);
  err = stream_of(STD_ERROR_HANDLE);
  streams_known = true;
}

void restore_console() {
  // The console's modes are shared with the shell that started the program: hand them back once.
  if (InterlockedExchange(&input_mode_changed, 0) != 0) {
    SetConsoleMode(in.handle, saved_input_mode);
  }
}

// Runs on a thread of its own, for Ctrl-C, Ctrl-Break, a closed window, logoff and shutdown. It
// ends the process itself with STATUS_CONTROL_C_EXIT (0xC000013A), the code Windows' own handler
// gives, so the exit code tells the truth on every system that runs the program.
BOOL WINAPI on_console_event(DWORD /*event*/) {
  restore_console();
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

// A write that took no byte would repeat forever: it failed, with a reason if it gave none.
bool refused(BOOL ok) {
  if (ok != 0) SetLastError(ERROR_WRITE_FAULT);
  return false;
}

// Code page 850 bytes out through one stream, in pieces as large as the screen buffer. The
// console gets UTF-16, so it shows the characters whatever its code page; anything else gets the
// bytes unchanged, which is what tools reading a code page 850 program's output expect.
bool write_stream(const Stream& stream, const char* bytes, std::size_t count) {
  static wchar_t wide[Screen::kCapacity];
  while (count > 0) {
    const std::size_t part = count < Screen::kCapacity ? count : Screen::kCapacity;
    if (stream.console) {
      for (std::size_t i = 0; i < part; ++i) {
        wide[i] = static_cast<wchar_t>(unicode_of_cp850(static_cast<unsigned char>(bytes[i])));
      }
      std::size_t sent = 0;
      while (sent < part) {
        DWORD written = 0;
        const BOOL ok = WriteConsoleW(stream.handle, wide + sent, static_cast<DWORD>(part - sent),
                                      &written, nullptr);
        if (ok == 0 || written == 0) return refused(ok);
        sent += written;
      }
    } else {
      std::size_t sent = 0;
      while (sent < part) {
        DWORD written = 0;
        const BOOL ok = WriteFile(stream.handle, bytes + sent, static_cast<DWORD>(part - sent),
                                  &written, nullptr);
        if (ok == 0 || written == 0) return refused(ok);
        sent += written;
      }
    }
    bytes += part;
    count -= part;
  }
  return true;
}

// Appends text to a message under construction, never past its end.
void append(char* message, std::size_t size, const char* text) {
  std::size_t used = std::strlen(message);
  while (*text != '\0' && used + 1 < size) message[used++] = *text++;
  message[used] = '\0';
}

// The system's words for an error, in code page 850 like every other text of the program.
void append_reason(char* message, std::size_t size, DWORD error) {
  wchar_t reason[256];
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                reason, 256, nullptr);
  if (length == 0) {
    length = FormatMessageW(flags, nullptr, error, 0, reason, 256, nullptr);
  }
  while (length > 0 && (reason[length - 1] == L'\r' || reason[length - 1] == L'\n' ||
                        reason[length - 1] == L' ' || reason[length - 1] == L'.')) {
    --length;
  }
  if (length == 0) {
    // No text for it: the number, as the system documents it.
    char digits[16] = "error ";
    char* end = digits + std::strlen(digits);
    char reversed[11];
    int n = 0;
    do {
      reversed[n++] = static_cast<char>('0' + error % 10);
      error /= 10;
    } while (error != 0);
    while (n > 0) *end++ = reversed[--n];
    *end = '\0';
    append(message, size, digits);
    return;
  }
  char text[256];
  for (DWORD i = 0; i < length; ++i) {
    const unsigned char code = cp850_of_unicode(static_cast<char32_t>(reason[i]));
    text[i] = code == 0 ? '?' : static_cast<char>(code);
  }
  text[length] = '\0';
  append(message, size, text);
}

[[noreturn]] void fail_because(const char* what, DWORD error) {
  static char message[384];
  message[0] = '\0';
  append(message, sizeof message, what);
  append(message, sizeof message, ": ");
  append_reason(message, sizeof message, error);
  fail(message);
}

// Shift, Ctrl, Alt, the Windows keys and the lock keys pressed alone are no key presses.
bool is_modifier(WORD key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_PROCESSKEY:  // a key the input method is composing with; the result comes as text
      return true;
    default:
      return false;
  }
}

// A digit of an Alt+numpad character code: the character itself arrives when Alt is let go.
bool is_alt_code_digit(const KEY_EVENT_RECORD& key) {
  const DWORD alt = LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  const DWORD ctrl = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
  // AltGr reports itself as Ctrl+Alt and is a way of typing, not of entering codes.
  if ((key.dwControlKeyState & alt) == 0 || (key.dwControlKeyState & ctrl) != 0) return false;
  if ((key.dwControlKeyState & ENHANCED_KEY) != 0) return false;
  const WORD k = key.wVirtualKeyCode;
  if (k >= VK_NUMPAD0 && k <= VK_NUMPAD9) return true;
  // The same keypad keys with Num Lock off.
  switch (k) {
    case VK_INSERT:
    case VK_END:
    case VK_DOWN:
    case VK_NEXT:
    case VK_LEFT:
    case VK_CLEAR:
    case VK_RIGHT:
    case VK_HOME:
    case VK_UP:
    case VK_PRIOR:
      return true;
    default:
      return false;
  }
}

// A dead key only marks the next character (^ then e gives ê): the composed character is the
// press, as on a terminal, where the keyboard layer composes before the program reads.
bool is_dead_key(WORD key) { return (MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0x80000000U) != 0; }

// Escape, Enter, Tab and Backspace have their control codes on every layout; some consoles (wine
// on a terminal) report them without. Any other key without a character is 0: cursor keys,
// function keys, Home, End, Page Up, Page Down, Insert.
int control_code_of(WORD key) {
  switch (key) {
    case VK_ESCAPE:
      return 27;
    case VK_RETURN:
      return 13;
    case VK_TAB:
      return 9;
    case VK_BACK:
      return 8;
    default:
      return 0;
  }
}

// The presses one console input event stands for (0 when none) and their code.
unsigned presses_of(const INPUT_RECORD& record, int& code) {
  if (record.EventType != KEY_EVENT) return 0;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  const wchar_t c = key.uChar.UnicodeChar;
  if (!key.bKeyDown) {
    // An Alt+numpad code ends with Alt let go, carrying the character.
    if (key.wVirtualKeyCode != VK_MENU || c == 0) return 0;
    code = cp850_of_unicode(static_cast<char32_t>(c));
    return 1;
  }
  if (c == 0) {
    if (key.wVirtualKeyCode == 0 || is_modifier(key.wVirtualKeyCode)) return 0;
    if (is_alt_code_digit(key) || is_dead_key(key.wVirtualKeyCode)) return 0;
    code = control_code_of(key.wVirtualKeyCode);
  } else if (c >= 0xDC00 && c <= 0xDFFF) {
    return 0;  // the second half of a character outside the basic plane, counted with the first
  } else if (c >= 0xD800 && c <= 0xDBFF) {
    code = 0;  // a character beyond the basic plane: code page 850 has none
  } else {
    code = cp850_of_unicode(static_cast<char32_t>(c));
  }
  return key.wRepeatCount > 1 ? key.wRepeatCount : 1U;
}

int read_console_key() {
  for (;;) {
    if (pending_presses > 0) {
      --pending_presses;
      return pending_code;
    }
    INPUT_RECORD record{};
    DWORD got = 0;
    if (ReadConsoleInputW(in.handle, &record, 1, &got) == 0) {
      fail_because("cannot read the keyboard", GetLastError());
    }
    if (got == 1) pending_presses = presses_of(record, pending_code);
  }
}

int read_redirected_key() {
  if (input_used == input_count) {
    DWORD got = 0;
    if (ReadFile(in.handle, input_bytes, sizeof input_bytes, &got, nullptr) == 0) {
      const DWORD error = GetLastError();
      // The writing end of a pipe went away: that is how a pipe ends.
      if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) {
        fail_because("cannot read the keys", error);
      }
      got = 0;
    }
    if (got == 0) fail("end of input");
    input_used = 0;
    input_count = got;
  }
  return input_bytes[input_used++];
}

}  // namespace

void set_program_name(const char* name) { program_name = name; }

std::uint32_t tick_count() { return GetTickCount(); }

void start_keyboard() {
  know_streams();
  if (!in.console || GetConsoleMode(in.handle, &saved_input_mode) == 0) return;
  // Keys one at a time without echo. Processed input stays on: Ctrl-C still ends the program,
  // through on_console_event, which gives the console back first. Mouse, window and terminal
  // sequence input are off, so cursor keys come as key events.
  DWORD mode = saved_input_mode;
  mode &= ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_WINDOW_INPUT |
                              ENABLE_MOUSE_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT);
  mode |= ENABLE_PROCESSED_INPUT;
  SetConsoleCtrlHandler(on_console_event, TRUE);
  if (SetConsoleMode(in.handle, mode) != 0) InterlockedExchange(&input_mode_changed, 1);
  FlushConsoleInputBuffer(in.handle);
}

void stop_keyboard() { restore_console(); }

int read_key() {
  know_streams();
  return in.console ? read_console_key() : read_redirected_key();
}

void write_console(const char* bytes, std::size_t count) {
  know_streams();
  if (!write_stream(out, bytes, count)) fail_because("cannot write to the console", GetLastError());
}

void fail(const char* message) {
  know_streams();
  restore_console();
  static char line[512];
  line[0] = '\0';
  append(line, sizeof line, program_name);
  append(line, sizeof line, ": ");
  append(line, sizeof line, message);
  append(line, sizeof line, "\r\n");
  // Nothing more can be said when standard error fails as well.
  write_stream(err, line, std::strlen(line));
  ExitProcess(1);
}

}  // namespace kit::platform
