// Code page 850 and the encodings a terminal may use instead.
#include "kit/cp850.hpp"

#include <iconv.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using kit::Encoding;

std::string convert(std::string_view cp850, Encoding encoding) {
  std::string out(cp850.size() * kit::kMaxExpansion, '\0');
  out.resize(kit::convert_cp850(cp850.data(), cp850.size(), encoding, out.data()));
  return out;
}

TEST(Cp850, EveryHighByteGoesToUnicodeAndBack) {
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char32_t c = kit::unicode_of_cp850(static_cast<unsigned char>(byte));
    EXPECT_GE(c, 0xA0U) << byte;
    EXPECT_EQ(kit::cp850_of_unicode(c), byte) << byte;
  }
  for (int byte = 0; byte < 0x80; ++byte) {
    EXPECT_EQ(kit::unicode_of_cp850(static_cast<unsigned char>(byte)), char32_t(byte));
  }
  EXPECT_EQ(kit::cp850_of_unicode(0x20AC), 0) << "the euro sign is not in code page 850";
  EXPECT_EQ(kit::cp850_of_unicode(0x1F600), 0);
}

// The C library's own table, where it has one, says the same for every byte.
TEST(Cp850, AgreesWithTheCLibrary) {
  const iconv_t to_unicode = iconv_open("UTF-32LE", "IBM850");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own error value
  if (to_unicode == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no IBM850 in iconv here";
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    char in = static_cast<char>(byte);
    unsigned char out[4] = {};
    char* in_at = &in;
    char* out_at = reinterpret_cast<char*>(out);
    std::size_t in_left = 1;
    std::size_t out_left = sizeof out;
    ASSERT_EQ(iconv(to_unicode, &in_at, &in_left, &out_at, &out_left), 0U) << byte;
    const char32_t expected = out[0] | (out[1] << 8U) | (out[2] << 16U);
    EXPECT_EQ(kit::unicode_of_cp850(static_cast<unsigned char>(byte)), expected) << byte;
  }
  iconv_close(to_unicode);
}

// The quiz's letters: e acute, a grave, e circumflex, e grave, o circumflex, A grave.
constexpr std::string_view kQuizLetters = "\x82\x85\x88\x8a\x93\xb7";

TEST(Cp850, ConvertsForEachTerminalEncoding) {
  EXPECT_EQ(convert(kQuizLetters, Encoding::utf8),
            "\xc3\xa9\xc3\xa0\xc3\xaa\xc3\xa8\xc3\xb4\xc3\x80");
  EXPECT_EQ(convert("B. Virez \x85 gauche.\r\n", Encoding::utf8), "B. Virez \xc3\xa0 gauche.\r\n");
  EXPECT_EQ(convert("\xb0", Encoding::utf8), "\xe2\x96\x91") << "the longest form";
  EXPECT_EQ(convert(kQuizLetters, Encoding::latin1), "\xe9\xe0\xea\xe8\xf4\xc0");
  EXPECT_EQ(convert(kQuizLetters, Encoding::latin9), "\xe9\xe0\xea\xe8\xf4\xc0");
  EXPECT_EQ(convert("\xb0\xcf", Encoding::latin1), "?\xa4") << "a box piece has no Latin-1 byte";
  EXPECT_EQ(convert("\xcf", Encoding::latin9), "?") << "0xA4 is the euro sign in Latin-9";
  EXPECT_EQ(convert(kQuizLetters, Encoding::cp850), kQuizLetters);
  EXPECT_EQ(convert("plain text\r\n", Encoding::utf8), "plain text\r\n");
}

TEST(Cp850, KeyOfASingleByte) {
  EXPECT_EQ(kit::cp850_of_byte('a', Encoding::utf8), 'a');
  EXPECT_EQ(kit::cp850_of_byte(0xE9, Encoding::latin1), 0x82);
  EXPECT_EQ(kit::cp850_of_byte(0xA4, Encoding::latin1), 0xCF);
  EXPECT_EQ(kit::cp850_of_byte(0xA4, Encoding::latin9), 0);
  EXPECT_EQ(kit::cp850_of_byte(0x82, Encoding::cp850), 0x82);
}

TEST(Cp850, EncodingOfALocalesCodeset) {
  const struct {
    const char* codeset;
    Encoding encoding;
  } kCases[] = {
      {"UTF-8", Encoding::utf8},
      {"utf8", Encoding::utf8},
      {"ANSI_X3.4-1968", Encoding::utf8} /* the C locale */,
      {"CP850", Encoding::cp850},
      {"IBM850", Encoding::cp850},
      {"ibm-850", Encoding::cp850},
      {"ISO-8859-1", Encoding::latin1},
      {"iso88591", Encoding::latin1},
      {"ISO-8859-15", Encoding::latin9},
      {"ISO8859-15", Encoding::latin9},
      {"KOI8-R", Encoding::utf8},
      {"", Encoding::utf8},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(kit::encoding_of_codeset(c.codeset), c.encoding) << c.codeset;
  EXPECT_EQ(kit::encoding_of_codeset(nullptr), Encoding::utf8);
}

}  // namespace
