// Terminal bytes to key presses. A stream is written as bursts: the bytes of one burst come
// quickly one after the other, and a pause longer than the escape delay follows each burst.
#include "kit/decoder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using kit::Encoding;
using kit::KeyDecoder;
using Keys = std::vector<int>;

void feed(KeyDecoder& decoder, std::string_view bytes, Keys& keys) {
  for (const char c : bytes) {
    int got[KeyDecoder::kMaxKeysPerByte];
    const int count = decoder.feed(static_cast<unsigned char>(c), got);
    keys.insert(keys.end(), got, got + count);
  }
}

// As the terminal layer does: after a burst, the pause completes whatever is pending.
void pause(KeyDecoder& decoder, Keys& keys) {
  int got[1];
  const int count = decoder.timeout(got);
  keys.insert(keys.end(), got, got + count);
}

Keys decode(Encoding encoding, const std::vector<std::string_view>& bursts) {
  KeyDecoder decoder(encoding);
  Keys keys;
  for (const std::string_view burst : bursts) {
    feed(decoder, burst, keys);
    pause(decoder, keys);
  }
  return keys;
}

struct Case {
  const char* what;
  std::vector<std::string_view> bursts;
  Keys keys;
};

void expect_cases(Encoding encoding, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(decode(encoding, c.bursts), c.keys) << c.what;
}

TEST(KeyDecoder, EscapeSequencesAreOnePressWithoutACharacter) {
  expect_cases(Encoding::utf8, {
                                   {"a letter", {"a"}, {'a'}},
                                   {"cursor up, CSI", {"\x1b[A"}, {0}},
                                   {"cursor up, SS3", {"\x1bOA"}, {0}},
                                   {"F5", {"\x1b[15~"}, {0}},
                                   {"Ctrl+cursor up", {"\x1b[1;5A"}, {0}},
                                   {"Shift+F1 in SS3 with a parameter", {"\x1bO2P"}, {0}},
                                   {"Linux console F1", {"\x1b[[A"}, {0}},
                                   {"two keys in one burst", {"\x1b[A\x1b[B"}, {0, 0}},
                                   {"keys around a sequence", {"x\x1b[Dy"}, {'x', 0, 'y'}},
                               });
}

TEST(KeyDecoder, EscapeAloneOrBeforeAnotherKey) {
  expect_cases(Encoding::utf8, {
                                   {"lone Escape, decided by the pause", {"\x1b"}, {27}},
                                   {"two Escapes with a pause between", {"\x1b", "\x1b"}, {27, 27}},
                                   {"two Escapes at once", {"\x1b\x1b"}, {27, 27}},
                                   {"Escape, then a cursor key", {"\x1b\x1b[A"}, {27, 0}},
                                   {"Alt+x: the Escape, then the key", {"\x1bx"}, {27, 'x'}},
                                   {"Escape, then Enter", {"\x1b\r"}, {27, 13}},
                                   {"Escape, pause, then [A typed", {"\x1b", "[A"}, {27, '[', 'A'}},
                               });
}

TEST(KeyDecoder, SequenceCutShortIsStillOnePress) {
  expect_cases(Encoding::utf8,
               {
                   {"cut by Enter", {"\x1b[1\r"}, {0, 13}},
                   {"cut by a new sequence", {"\x1b[1\x1b[B"}, {0, 0}},
                   {"cut by DEL", {"\x1b[\x7f"}, {0, 127}},
                   {"cut by a UTF-8 character", {"\x1b[2\xc3\xa9"}, {0, 130}},
                   {"left open, ended by the pause", {"\x1b["}, {0}},
                   {"SS3 left open", {"\x1bO"}, {0}},
                   {"the pause ends it, the rest are keys", {"\x1b[1", "5~"}, {0, '5', '~'}},
                   {"Linux console key left open", {"\x1b[["}, {0}},
               });
}

TEST(KeyDecoder, Utf8CharacterIsOnePressWithItsCodePage850Code) {
  expect_cases(Encoding::utf8, {
                                   {"e acute, two bytes", {"\xc3\xa9"}, {0x82}},
                                   {"A grave, two bytes", {"\xc3\x80"}, {0xB7}},
                                   {"light shade, three bytes", {"\xe2\x96\x91"}, {0xB0}},
                                   {"euro sign: not in code page 850", {"\xe2\x82\xac"}, {0}},
                                   {"a four-byte character", {"\xf0\x9f\x98\x80"}, {0}},
                                   {"characters side by side", {"\xc3\xa0\xc3\xaa"}, {0x85, 0x88}},
                               });
}

TEST(KeyDecoder, MalformedUtf8IsAPressWithoutACharacterPerPiece) {
  expect_cases(Encoding::utf8,
               {
                   {"continuation byte alone", {"\x80"}, {0}},
                   {"byte that never leads", {"\xff"}, {0}},
                   {"overlong two-byte form: C0 never leads", {"\xc0\xaf"}, {0, 0}},
                   {"overlong three-byte form", {"\xe0\x80\xaf"}, {0}},
                   {"surrogate", {"\xed\xa0\x80"}, {0}},
                   {"beyond U+10FFFF", {"\xf4\x90\x80\x80"}, {0}},
                   {"cut by the pause", {"\xc3"}, {0}},
                   {"cut by the pause, the rest comes late", {"\xc3", "\xa9"}, {0, 0}},
                   {"cut by a letter",
                    {"\xe2\x82"
                     "a"},
                    {0, 'a'}},
                   {"cut by a sequence", {"\xc3\x1b[A"}, {0, 0}},
               });
}

TEST(KeyDecoder, SingleByteEncodingsTakeEachByteAsItsCharacter) {
  expect_cases(Encoding::cp850,
               {
                   {"e acute", {"\x82"}, {0x82}},
                   {"UTF-8 bytes are two characters here", {"\xc3\xa9"}, {0xC3, 0xA9}},
                   {"cursor up", {"\x1b[A"}, {0}},
                   {"lone Escape", {"\x1b"}, {27}},
               });
  expect_cases(Encoding::latin1, {
                                     {"e acute", {"\xe9"}, {0x82}},
                                     {"A grave", {"\xc0"}, {0xB7}},
                                     {"currency sign", {"\xa4"}, {0xCF}},
                                     {"cursor up", {"\x1b[A"}, {0}},
                                 });
  expect_cases(Encoding::latin9, {
                                     {"e acute", {"\xe9"}, {0x82}},
                                     {"euro sign", {"\xa4"}, {0}},
                                     {"OE ligature", {"\xbc"}, {0}},
                                 });
}

TEST(KeyDecoder, PendingOnlyInsideAPress) {
  KeyDecoder decoder(Encoding::utf8);
  Keys keys;
  EXPECT_FALSE(decoder.pending());
  pause(decoder, keys);  // a pause between presses changes nothing
  EXPECT_TRUE(keys.empty());
  for (const std::string_view start : {"\x1b", "\x1b[", "\x1b[1;", "\x1bO", "\xc3", "\xf0\x9f"}) {
    KeyDecoder inside(Encoding::utf8);
    feed(inside, start, keys);
    EXPECT_TRUE(inside.pending()) << start.size() << " bytes";
  }
  feed(decoder, "\x1b[A", keys);
  EXPECT_FALSE(decoder.pending());
}

// Reads split a stream anywhere; without a pause inside a press, the keys are the same.
TEST(KeyDecoder, KeysDoNotDependOnHowTheBytesAreSplitIntoReads) {
  constexpr std::string_view kStreams[] = {
      "a\x1b[1;5A\xc3\xa9\x1bx\x1b[[B\xe2\x82\xac\xf0\x9f\x98\x80z\x1b\x1b[15~",
      "\x1bO2P\x1b[1\r\xc3\x1b[A\xe0\x80\xaf\xed\xa0\x80\x1b",
  };
  for (const std::string_view stream : kStreams) {
    const Keys whole = decode(Encoding::utf8, {stream});
    for (std::size_t split = 1; split < stream.size(); ++split) {
      KeyDecoder decoder(Encoding::utf8);
      Keys keys;
      feed(decoder, stream.substr(0, split), keys);
      feed(decoder, stream.substr(split), keys);
      pause(decoder, keys);
      EXPECT_EQ(keys, whole) << "split after byte " << split;
    }
    KeyDecoder bytewise(Encoding::utf8);
    Keys keys;
    for (const char c : stream) feed(bytewise, std::string_view(&c, 1), keys);
    pause(bytewise, keys);
    EXPECT_EQ(keys, whole) << "one byte per read";
  }
}

}  // namespace
