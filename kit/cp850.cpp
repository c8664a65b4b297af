#include "kit/cp850.hpp"

#include <cstring>

namespace kit {

namespace {

// Bytes 0x80 to 0xFF of code page 850, as Unicode.
constexpr char16_t kHigh[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// ISO 8859-1 holds exactly the characters below U+0100.
constexpr char32_t kLatin1Limit = 0x100;

// The places where ISO 8859-15 holds other characters than ISO 8859-1 (the euro sign, S, Z, OE and
// Y with their marks), none of which code page 850 has.
constexpr unsigned char kLatin9Changed[] = {0xA4, 0xA6, 0xA8, 0xB4, 0xB8, 0xBC, 0xBD, 0xBE};

bool changed_in_latin9(char32_t c) {
  for (const unsigned char place : kLatin9Changed) {
    if (c == place) return true;
  }
  return false;
}

char single_byte_of(char32_t c, Encoding encoding) {
  if (c >= kLatin1Limit || (encoding == Encoding::latin9 && changed_in_latin9(c))) return '?';
  return static_cast<char>(c);
}

std::size_t put_utf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6U));
    out[1] = static_cast<char>(0x80 | (c & 0x3FU));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (c >> 12U));
  out[1] = static_cast<char>(0x80 | ((c >> 6U) & 0x3FU));
  out[2] = static_cast<char>(0x80 | (c & 0x3FU));
  return 3;
}

bool same_name(const char* a, const char* b) {
  // Codeset names differ in case and punctuation between systems: "UTF-8", "utf8", "IBM850".
  auto skip = [](const char*& p) {
    while (*p == '-' || *p == '_' || *p == ' ') ++p;
  };
  for (;;) {
    skip(a);
    skip(b);
    if (*a == '\0' || *b == '\0') return *a == *b;
    char x = *a++;
    char y = *b++;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
}

}  // namespace

char32_t unicode_of_cp850(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : char32_t{kHigh[byte - 0x80]};
}

unsigned char cp850_of_unicode(char32_t character) {
  if (character < 0x80) return static_cast<unsigned char>(character);
  for (unsigned i = 0; i < 128; ++i) {
    if (kHigh[i] == character) return static_cast<unsigned char>(0x80 + i);
  }
  return 0;
}

unsigned char cp850_of_byte(unsigned char byte, Encoding encoding) {
  if (byte < 0x80 || encoding == Encoding::cp850) return byte;
  if (encoding == Encoding::utf8) return 0;
  if (encoding == Encoding::latin9 && changed_in_latin9(byte)) return 0;
  return cp850_of_unicode(byte);
}

std::size_t convert_cp850(const char* in, std::size_t count, Encoding encoding, char* out) {
  if (encoding == Encoding::cp850) {
    std::memcpy(out, in, count);
    return count;
  }
  std::size_t written = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t c = unicode_of_cp850(static_cast<unsigned char>(in[i]));
    if (encoding == Encoding::utf8) {
      written += put_utf8(c, out + written);
    } else {
      out[written++] = single_byte_of(c, encoding);
    }
  }
  return written;
}

Encoding encoding_of_codeset(const char* codeset) {
  if (codeset == nullptr) return Encoding::utf8;
  constexpr const char* kCp850[] = {"CP850", "IBM850", "850"};
  constexpr const char* kLatin1[] = {"ISO8859-1", "LATIN1"};
  constexpr const char* kLatin9[] = {"ISO8859-15", "LATIN9", "LATIN0"};
  for (const char* name : kCp850) {
    if (same_name(codeset, name)) return Encoding::cp850;
  }
  for (const char* name : kLatin1) {
    if (same_name(codeset, name)) return Encoding::latin1;
  }
  for (const char* name : kLatin9) {
    if (same_name(codeset, name)) return Encoding::latin9;
  }
  return Encoding::utf8;
}

}  // namespace kit
