// Code page 850, the games' own character set, and the encodings a console may use instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kit {

enum class Encoding {
  utf8,    // also what a C or POSIX locale gets: the texts must show as their characters
  cp850,   // the bytes go out unchanged
  latin1,  // ISO 8859-1: exactly the characters below U+0100
  latin9,  // ISO 8859-15: Latin-1 with eight places changed (the euro sign among them)
};

// The Unicode character that a code page 850 byte stands for (bytes below 0x80 are ASCII).
char32_t unicode_of_cp850(unsigned char byte);

// The code page 850 byte for a Unicode character, or 0 when the code page has none.
unsigned char cp850_of_unicode(char32_t character);

// The code page 850 code of a key that a single-byte encoding sends as this byte (0 when the code
// page has no such character). Under UTF-8 only bytes below 0x80 stand alone; others give 0.
unsigned char cp850_of_byte(unsigned char byte, Encoding encoding);

// Converts code page 850 bytes for a console in the given encoding. out must have room for
// count * kMaxExpansion bytes; returns the number of bytes written.
constexpr std::size_t kMaxExpansion = 3;
std::size_t convert_cp850(const char* in, std::size_t count, Encoding encoding, char* out);

// The console encoding named by a locale's codeset (as nl_langinfo(CODESET) gives it).
Encoding encoding_of_codeset(const char* codeset);

}  // namespace kit
