#include "kit/screen.hpp"

#include <cstring>

namespace kit {

void Screen::put(const char* bytes, std::size_t count) {
  while (count > 0) {
    if (used_ == kCapacity) flush();
    const std::size_t room = kCapacity - used_;
    const std::size_t part = count < room ? count : room;
    std::memcpy(buffer_ + used_, bytes, part);
    used_ += part;
    bytes += part;
    count -= part;
  }
}

void Screen::text(std::string_view text) { put(text.data(), text.size()); }

void Screen::number(long long value) {
  char digits[24];
  std::size_t start = sizeof digits;
  // Work in the negative range so that the most negative value needs no special case.
  long long rest = value < 0 ? value : -value;
  do {
    digits[--start] = static_cast<char>('0' - rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0) digits[--start] = '-';
  put(digits + start, sizeof digits - start);
}

void Screen::character(char c) { put(&c, 1); }

void Screen::end_line() { put("\r\n", 2); }

void Screen::flush() {
  if (used_ == 0) return;
  const std::size_t count = used_;
  used_ = 0;
  sink_(context_, buffer_, count);
}

}  // namespace kit
