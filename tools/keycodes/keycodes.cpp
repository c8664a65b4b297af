// keycodes: in single-key mode, shows for each key press the bytes the terminal sent and the code
// the games make of it, until Ctrl-C. For a player whose terminal sends something unusual.
#include <cstddef>
#include <string_view>

#include "kit/decoder.hpp"
#include "kit/platform.hpp"
#include "kit/screen.hpp"
#include "kit/terminal_posix.hpp"

namespace {

constexpr std::string_view kIntroduction =
    "Each key press shows the bytes the terminal sent and the code the games see. Ctrl-C ends.";
constexpr std::string_view kArrow = "-> ";
constexpr std::string_view kNoCharacter = " no character (a cursor, function or editing key)";
constexpr std::string_view kMore = "... ";
constexpr std::string_view kHexDigits = "0123456789abcdef";

constexpr std::size_t kMostBytesShown = 16;
constexpr std::size_t kCodeColumn = 24;  // the codes line up after the bytes of most keys

struct Name {
  int code;
  std::string_view name;
};
constexpr Name kNames[] = {
    {8, " Backspace (Ctrl-H)"}, {9, " Tab"}, {13, " Enter"}, {27, " Escape"}, {127, " Backspace"},
};

// The bytes of one key press as they came.
struct Bytes {
  unsigned char shown[kMostBytesShown] = {};
  std::size_t count = 0;

  void add(unsigned char byte) {
    if (count < kMostBytesShown) shown[count] = byte;
    ++count;
  }
};

void to_console(void* /*context*/, const char* bytes, std::size_t count) {
  kit::platform::write_console(bytes, count);
}

// Code page 850 has a visible character for every code from 128 up but the soft hyphen and the
// no-break space.
bool printable(int code) {
  return (code >= 0x20 && code < 0x7F) || (code >= 0x80 && code != 0xF0 && code != 0xFF);
}

void describe(kit::Screen& screen, int code) {
  if (code == 0) {
    screen.text(kNoCharacter);
    return;
  }
  for (const Name& name : kNames) {
    if (name.code == code) {
      screen.text(name.name);
      return;
    }
  }
  if (code < 0x20) {
    screen.text(" Ctrl-");
    screen.character(static_cast<char>('@' + code));
  } else if (printable(code)) {
    screen.text(" '");
    screen.character(static_cast<char>(code));  // a code page 850 byte, shown in the locale's own
    screen.character('\'');
  }
}

void show(kit::Screen& screen, const Bytes& bytes, int code) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < bytes.count && i < kMostBytesShown; ++i) {
    screen.character(kHexDigits[bytes.shown[i] >> 4U]);
    screen.character(kHexDigits[bytes.shown[i] & 0x0FU]);
    screen.character(' ');
    width += 3;
  }
  if (bytes.count > kMostBytesShown) {
    screen.text(kMore);
    width += kMore.size();
  }
  for (; width < kCodeColumn; ++width) screen.character(' ');
  screen.text(kArrow);
  screen.number(code);
  describe(screen, code);
  screen.end_line();
}

// Which bytes belong to which press: a press that the current byte completes owns it; one that
// the byte only ends (an Escape before another key, a character cut short) owns the bytes before.
class Presses {
 public:
  Presses(kit::Screen& screen, kit::Encoding encoding) : screen_(screen), decoder_(encoding) {}

  bool pending() const { return decoder_.pending(); }

  void feed(unsigned char byte) {
    int keys[kit::KeyDecoder::kMaxKeysPerByte];
    const int count = decoder_.feed(byte, keys);
    if (count == 0) {
      waiting_.add(byte);
      return;
    }
    if (count == 2 || decoder_.pending()) {
      show(screen_, waiting_, keys[0]);
      waiting_ = Bytes{};
      waiting_.add(byte);
      if (count == 2) finish(keys[1]);
      return;
    }
    waiting_.add(byte);
    finish(keys[0]);
  }

  void timeout() {
    int key[1];
    if (decoder_.timeout(key) == 1) finish(key[0]);
  }

 private:
  void finish(int code) {
    show(screen_, waiting_, code);
    waiting_ = Bytes{};
  }

  kit::Screen& screen_;
  kit::KeyDecoder decoder_;
  Bytes waiting_;
};

}  // namespace

int main() {
  kit::platform::set_program_name("keycodes");
  kit::platform::start_keyboard();
  kit::Screen screen(to_console, nullptr);
  screen.text(kIntroduction);
  screen.end_line();
  screen.flush();

  const bool terminal = kit::posix::keyboard_is_terminal();
  Presses presses(screen, kit::posix::console_encoding());
  unsigned char input[256];
  for (;;) {
    const int wait = terminal && presses.pending() ? kit::kEscapeDelayMs : -1;
    const long got = kit::posix::read_input(input, sizeof input, wait);
    if (got <= 0) presses.timeout();
    if (got < 0) break;
    for (long i = 0; i < got; ++i) {
      if (terminal) {
        presses.feed(input[i]);
      } else {
        Bytes byte;  // from a pipe or a file every byte is one press, as in the games
        byte.add(input[i]);
        show(screen, byte, input[i]);
      }
    }
    screen.flush();
  }
  screen.flush();
  kit::platform::stop_keyboard();
  return 0;
}
