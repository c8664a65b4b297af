// Fuzzes the key decoder as the terminal layer drives it: bytes in reads, and a timeout when no
// byte came within the delay while a sequence was pending.
//
// The first byte picks the terminal's encoding (value % 4: UTF-8, code page 850, Latin-1,
// Latin-9) and the mode (value / 4 % 2):
// - raw: the other bytes are the stream itself, where 0xFE starts a mark: 0xFE 0xFE is the byte
//   0xFE, 0xFE and an even byte a timeout, 0xFE and an odd byte the end of a read. Any stream
//   must give only codes 0..255, at most one key per byte or timeout so far, the same keys
//   whether it comes in one read or in the marked reads, and a timeout outside a sequence must
//   change nothing.
// - tokens: the other bytes describe key presses (characters, CSI and SS3 sequences, Linux
//   console function keys, UTF-8 characters, lone and Alt Escapes, sequences cut short or left
//   incomplete), so the keys each one must give are known: a sequence that comes out as two keys,
//   or waits for nothing, fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "kit/decoder.hpp"

namespace {

using kit::Encoding;
using kit::KeyDecoder;

constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kMark = 0xFE;

[[noreturn]] void violated(const char* what) {
  std::fprintf(stderr, "fuzz_decoder: %s\n", what);
  std::abort();
}

void check(bool holds, const char* what) {
  if (!holds) violated(what);
}

// A decoder with every answer checked for range, and the keys kept in order.
class Checked {
 public:
  explicit Checked(Encoding encoding) : decoder_(encoding) {}

  void feed(unsigned char byte) {
    int got[KeyDecoder::kMaxKeysPerByte] = {-1, -1};
    const int count = decoder_.feed(byte, got);
    check(count >= 0 && count <= KeyDecoder::kMaxKeysPerByte, "feed gave a count out of range");
    keep(got, count);
    ++bytes_;
    check(keys.size() <= bytes_ + timeouts_, "more keys than bytes and timeouts so far");
  }

  void timeout() {
    const bool was_pending = decoder_.pending();
    int got[1] = {-1};
    const int count = decoder_.timeout(got);
    check(count == (was_pending ? 1 : 0), "a timeout must complete a pending sequence, only that");
    check(!decoder_.pending(), "still pending after a timeout");
    keep(got, count);
    ++timeouts_;
    check(keys.size() <= bytes_ + timeouts_, "more keys than bytes and timeouts so far");
  }

  // The terminal layer waits for more only while a sequence is pending.
  void timeout_if_pending() {
    if (decoder_.pending()) timeout();
  }

  bool pending() const { return decoder_.pending(); }

  std::vector<int> keys;

 private:
  void keep(const int* got, int count) {
    for (int i = 0; i < count; ++i) {
      check(got[i] >= 0 && got[i] <= 255, "a key code outside 0..255");
      keys.push_back(got[i]);
    }
  }

  KeyDecoder decoder_;
  std::size_t bytes_ = 0;
  std::size_t timeouts_ = 0;
};

// ---- raw mode

struct Event {
  enum Kind { byte, timeout, read_end } kind;
  unsigned char value;
};

std::vector<Event> events_of(const std::uint8_t* data, std::size_t size) {
  std::vector<Event> events;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != kMark) {
      events.push_back({Event::byte, data[i]});
    } else if (i + 1 < size) {
      const std::uint8_t next = data[++i];
      if (next == kMark) {
        events.push_back({Event::byte, kMark});
      } else {
        events.push_back({(next & 1U) != 0 ? Event::read_end : Event::timeout, 0});
      }
    }
  }
  return events;
}

void fuzz_raw(Encoding encoding, const std::uint8_t* data, std::size_t size) {
  const std::vector<Event> events = events_of(data, size);

  // All bytes as one read; the marked timeouts where a sequence is pending.
  Checked whole(encoding);
  std::vector<bool> delivered;  // for each timeout mark: was it delivered
  for (const Event& event : events) {
    if (event.kind == Event::byte) whole.feed(event.value);
    if (event.kind == Event::timeout) {
      delivered.push_back(whole.pending());
      whole.timeout_if_pending();
    }
  }
  whole.timeout_if_pending();

  // The same bytes in the marked reads, each read handed over at once, and the timeouts at the
  // same places.
  Checked reads(encoding);
  std::vector<unsigned char> chunk;
  std::size_t mark = 0;
  auto hand_over = [&]() {
    for (const unsigned char byte : chunk) reads.feed(byte);
    chunk.clear();
  };
  for (const Event& event : events) {
    if (event.kind == Event::byte) {
      chunk.push_back(event.value);
      continue;
    }
    hand_over();
    if (event.kind == Event::timeout) {
      check(reads.pending() == delivered[mark], "pending differs between two equal streams");
      if (delivered[mark++]) reads.timeout();
    }
  }
  hand_over();
  reads.timeout_if_pending();
  check(reads.keys == whole.keys, "the keys depend on how the bytes were split into reads");

  // Every mark a timeout, pending or not: one outside a sequence must give nothing.
  Checked every(encoding);
  for (const Event& event : events) {
    if (event.kind == Event::byte) every.feed(event.value);
    if (event.kind == Event::timeout) every.timeout();
  }
  every.timeout_if_pending();
  check(every.keys == whole.keys, "a timeout outside a sequence changed the keys");
}

// ---- token mode

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return size_ == 0; }
  unsigned next() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  unsigned below(unsigned limit) { return next() % limit; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct Token {
  std::vector<int> steps;  // bytes 0..255, or kTimeout
  std::vector<int> keys;   // what the decoder must make of them
  static constexpr int kTimeout = -1;
};

unsigned char plain_byte(Encoding encoding, unsigned value) {
  // One byte that is a whole key press in this encoding.
  auto byte = static_cast<unsigned char>(encoding == Encoding::utf8 ? value & 0x7FU : value);
  return byte == kEscape ? 'e' : byte;
}

// The character a Latin-9 byte stands for where it differs from Latin-1.
char32_t unicode_of_latin9(unsigned char byte) {
  constexpr struct {
    unsigned char byte;
    char32_t character;
  } kChanged[] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
                  {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};
  for (const auto& changed : kChanged) {
    if (changed.byte == byte) return changed.character;
  }
  return byte;
}

int code_of_plain(Encoding encoding, unsigned char byte) {
  if (byte < 0x80 || encoding == Encoding::cp850) return byte;
  if (encoding == Encoding::latin9) return kit::cp850_of_unicode(unicode_of_latin9(byte));
  return kit::cp850_of_unicode(byte);
}

void put_utf8(std::vector<int>& steps, char32_t c) {
  if (c < 0x800) {
    steps.push_back(static_cast<int>(0xC0 | (c >> 6U)));
  } else if (c < 0x10000) {
    steps.push_back(static_cast<int>(0xE0 | (c >> 12U)));
    steps.push_back(static_cast<int>(0x80 | ((c >> 6U) & 0x3FU)));
  } else {
    steps.push_back(static_cast<int>(0xF0 | (c >> 18U)));
    steps.push_back(static_cast<int>(0x80 | ((c >> 12U) & 0x3FU)));
    steps.push_back(static_cast<int>(0x80 | ((c >> 6U) & 0x3FU)));
  }
  steps.push_back(static_cast<int>(0x80 | (c & 0x3FU)));
}

// A UTF-8 lead byte for a character of 2 to 4 bytes, and its continuations short of complete.
void incomplete_utf8(Input& in, std::vector<int>& steps) {
  const unsigned length = 2 + in.below(3);
  constexpr int kLeads[] = {0, 0, 0xC3, 0xE2, 0xF0};
  steps.push_back(kLeads[length]);
  const unsigned continuations = in.below(length - 1);
  for (unsigned i = 0; i < continuations; ++i) steps.push_back(0x90 + static_cast<int>(i));
}

void csi_body(Input& in, std::vector<int>& steps, unsigned most_parameters) {
  const unsigned parameters = in.below(most_parameters + 1);
  for (unsigned i = 0; i < parameters; ++i) steps.push_back(0x30 + static_cast<int>(in.below(16)));
  if (in.below(4) == 0) steps.push_back(0x20 + static_cast<int>(in.below(16)));
}

int final_byte(Input& in) { return 0x40 + static_cast<int>(in.below(0x7F - 0x40)); }

Token token_of(Encoding encoding, Input& in) {
  Token t;
  const bool utf8 = encoding == Encoding::utf8;
  switch (in.below(10)) {
    case 1:  // CSI: ESC [ parameters intermediate final, or a Linux console key: ESC [ [ x
      t.steps = {kEscape, '['};
      csi_body(in, t.steps, 4);
      if (t.steps.size() == 2 && in.below(4) == 0) t.steps.push_back('[');
      {
        int last = final_byte(in);
        // Right after ESC [, a '[' opens a Linux console key instead of ending the sequence.
        if (t.steps.size() == 2 && last == '[') {
          t.steps.push_back(last);
          last = final_byte(in);
        }
        t.steps.push_back(last);
      }
      t.keys = {0};
      return t;
    case 2:  // SS3: ESC O parameters final
      t.steps = {kEscape, 'O'};
      csi_body(in, t.steps, 2);
      t.steps.push_back(final_byte(in));
      t.keys = {0};
      return t;
    case 3:  // a UTF-8 character: one of code page 850, or any other
      if (!utf8) break;
      if (in.below(2) == 0) {
        const auto byte = static_cast<unsigned char>(0x80 + in.below(128));
        put_utf8(t.steps, kit::unicode_of_cp850(byte));
        t.keys = {byte};
      } else {
        const unsigned length = in.below(3);
        unsigned value = in.next();
        value = value << 8U | in.next();
        value = value << 8U | in.next();
        char32_t c = 0;
        if (length == 0) c = 0x80 + value % (0x800 - 0x80);
        if (length == 1) c = 0x800 + value % (0x10000 - 0x800);
        if (length == 2) c = 0x10000 + value % (0x110000 - 0x10000);
        if (c >= 0xD800 && c <= 0xDFFF) c += 0x800;  // no surrogates: those are invalid
        put_utf8(t.steps, c);
        t.keys = {kit::cp850_of_unicode(c)};
      }
      return t;
    case 4:  // malformed UTF-8: each is one press without a character
      if (!utf8) break;
      t.keys = {0};
      switch (in.below(5)) {
        case 0:  // a continuation byte out of place
          t.steps = {0x80 + static_cast<int>(in.below(0x40))};
          return t;
        case 1: {  // a byte that never leads
          constexpr int kNever[] = {0xC0, 0xC1, 0xF5, 0xF6, 0xF7, 0xF8,
                                    0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
          t.steps = {kNever[in.below(sizeof kNever / sizeof kNever[0])]};
          return t;
        }
        case 2:  // overlong
          t.steps = in.below(2) == 0
                        ? std::vector<int>{0xE0, 0x80 + static_cast<int>(in.below(32)), 0x80}
                        : std::vector<int>{0xF0, 0x80 + static_cast<int>(in.below(16)), 0x80, 0x80};
          return t;
        case 3:  // a surrogate
          t.steps = {0xED, 0xA0 + static_cast<int>(in.below(32)),
                     0x80 + static_cast<int>(in.below(64))};
          return t;
        default:  // beyond U+10FFFF
          t.steps = {0xF4, 0x90 + static_cast<int>(in.below(48)), 0x80, 0x80};
          return t;
      }
    case 5: {  // Alt+key: ESC and a printable byte at once
      int byte = 0x20 + static_cast<int>(in.below(0x7F - 0x20));
      if (byte == '[' || byte == 'O') byte = 'x';
      t.steps = {kEscape, byte};
      t.keys = {kEscape, byte};
      return t;
    }
    case 6:  // a lone Escape
      t.steps = {kEscape, Token::kTimeout};
      t.keys = {kEscape};
      return t;
    case 7:  // a sequence left incomplete: the timeout makes it one press
      if (utf8 && in.below(2) == 0) {
        incomplete_utf8(in, t.steps);
      } else {
        t.steps = {kEscape, in.below(2) == 0 ? '[' : 'O'};
        csi_body(in, t.steps, 3);
        if (t.steps.size() == 2 && t.steps[1] == '[' && in.below(3) == 0) t.steps.push_back('[');
      }
      t.steps.push_back(Token::kTimeout);
      t.keys = {0};
      return t;
    case 8: {  // a sequence cut short by a byte that cannot belong to it, then that byte
      int byte = 0;
      if (utf8 && in.below(2) == 0) {
        incomplete_utf8(in, t.steps);
        byte = 0x20 + static_cast<int>(in.below(0x5F));
      } else {
        t.steps = {kEscape, '['};
        csi_body(in, t.steps, 2);
        if (t.steps.size() == 2 && in.below(3) == 0) t.steps.push_back('[');
        byte = static_cast<int>(in.below(0x21));  // a control byte or DEL
        if (byte == 0x20) byte = 0x7F;
        if (byte == kEscape) byte = '\r';
      }
      t.steps.push_back(byte);
      t.keys = {0, byte};
      return t;
    }
    case 9:  // a quiet moment between key presses
      t.steps = {Token::kTimeout};
      return t;
    default:
      break;
  }
  const unsigned char byte = plain_byte(encoding, in.next());
  t.steps = {byte};
  t.keys = {code_of_plain(encoding, byte)};
  return t;
}

[[noreturn]] void token_failed(const Token& t, const std::vector<int>& got, const char* what) {
  std::fprintf(stderr, "fuzz_decoder: %s\n  steps:", what);
  for (const int step : t.steps) {
    if (step == Token::kTimeout) {
      std::fprintf(stderr, " timeout");
    } else {
      std::fprintf(stderr, " %02X", static_cast<unsigned>(step));
    }
  }
  std::fprintf(stderr, "\n  expected:");
  for (const int key : t.keys) std::fprintf(stderr, " %d", key);
  std::fprintf(stderr, "\n  got:");
  for (const int key : got) std::fprintf(stderr, " %d", key);
  std::fprintf(stderr, "\n");
  std::abort();
}

void fuzz_tokens(Encoding encoding, const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  Checked decoder(encoding);
  while (!in.empty()) {
    const Token t = token_of(encoding, in);
    const std::size_t before = decoder.keys.size();
    for (std::size_t i = 0; i < t.steps.size(); ++i) {
      if (t.steps[i] == Token::kTimeout) {
        decoder.timeout();
      } else {
        decoder.feed(static_cast<unsigned char>(t.steps[i]));
      }
      // Inside a press the reader must wait for more; after it, not.
      const bool inside = i + 1 < t.steps.size();
      if (decoder.pending() != inside) {
        const std::vector<int> got(decoder.keys.begin() + static_cast<long>(before),
                                   decoder.keys.end());
        token_failed(t, got,
                     inside ? "not pending inside a key press" : "pending after a key press");
      }
    }
    const std::vector<int> got(decoder.keys.begin() + static_cast<long>(before),
                               decoder.keys.end());
    if (got != t.keys) token_failed(t, got, "wrong keys for a key press");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr Encoding kEncodings[] = {Encoding::utf8, Encoding::cp850, Encoding::latin1,
                                     Encoding::latin9};
  constexpr unsigned kCount = sizeof kEncodings / sizeof kEncodings[0];
  const Encoding encoding = kEncodings[data[0] % kCount];
  if (data[0] / kCount % 2 == 0) {
    fuzz_raw(encoding, data + 1, size - 1);
  } else {
    fuzz_tokens(encoding, data + 1, size - 1);
  }
  return 0;
}
