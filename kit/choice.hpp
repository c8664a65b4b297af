// The choice readers: one key press in, one letter out, never a refusal.
#pragma once

#include "kit/play.hpp"

namespace kit {

constexpr int lower_case(int code) { return code >= 'A' && code <= 'Z' ? code + 32 : code; }

// The letter an n-way reader (n from 2 to 6) makes of a key code. The as-typed member does not
// lower-case first, so it also takes the capitals as names and maps other capitals by their own
// codes.
constexpr char choice_of(int code, int n, bool as_typed = false) {
  const int c = as_typed ? code : lower_case(code);
  if (c >= '1' && c < '1' + n) return static_cast<char>('A' + (c - '1'));
  if (c >= 'a' && c < 'a' + n) return static_cast<char>('A' + (c - 'a'));
  if (as_typed && c >= 'A' && c < 'A' + n) return static_cast<char>(c);
  return static_cast<char>('A' + c % n);
}

constexpr char one_or_zero_of(int code) {
  const int c = lower_case(code);
  return c == 'a' ? '1' : static_cast<char>('0' + c % 2);
}

void key_wait(Play& play);
char two_way(Play& play);
char three_way(Play& play);
char three_way_as_typed(Play& play);
char four_way(Play& play);
char five_way(Play& play);
char six_way(Play& play);
char one_or_zero(Play& play);

}  // namespace kit
