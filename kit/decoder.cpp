#include "kit/decoder.hpp"

namespace kit {

namespace {

constexpr unsigned char kEscape = 0x1B;
constexpr char32_t kLastCharacter = 0x10FFFF;

bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

int KeyDecoder::ground(unsigned char byte, int* keys) {
  state_ = State::ground;
  if (byte == kEscape) {
    state_ = State::escape;
    return 0;
  }
  if (byte < 0x80 || encoding_ != Encoding::utf8) {
    keys[0] = cp850_of_byte(byte, encoding_);
    return 1;
  }
  // UTF-8 lead bytes; anything else out of place is a press without a character.
  if (byte >= 0xC2 && byte <= 0xDF) {
    partial_ = byte & 0x1FU;
    needed_ = 1;
    minimum_ = 0x80;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    partial_ = byte & 0x0FU;
    needed_ = 2;
    minimum_ = 0x800;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    partial_ = byte & 0x07U;
    needed_ = 3;
    minimum_ = 0x10000;
  } else {
    keys[0] = 0;
    return 1;
  }
  state_ = State::multibyte;
  return 0;
}

int KeyDecoder::feed(unsigned char byte, int keys[kMaxKeysPerByte]) {
  switch (state_) {
    case State::ground:
      return ground(byte, keys);
    case State::escape:
      if (byte == '[') {
        state_ = State::csi_start;
        return 0;
      }
      if (byte == 'O') {
        state_ = State::ss3;
        return 0;
      }
      // An Escape followed by anything else was a lone Escape (Alt+key sends ESC and the key).
      keys[0] = kEscape;
      return 1 + ground(byte, keys + 1);
    case State::csi_start:
      // The Linux console sends F1 to F5 as ESC [ [ A to E: a '[' right after the opening one is no
      // final byte there.
      if (byte == '[') {
        state_ = State::linux_key;
        return 0;
      }
      state_ = State::csi;
      [[fallthrough]];
    case State::csi:
    case State::ss3:
      if (byte >= 0x20 && byte <= 0x3F) return 0;  // parameters and intermediates
      [[fallthrough]];
    case State::linux_key:
      keys[0] = 0;
      if (byte >= 0x40 && byte <= 0x7E) {
        state_ = State::ground;
        return 1;
      }
      // Cut short by a byte that cannot belong to it: the sequence still was one press.
      return 1 + ground(byte, keys + 1);
    case State::multibyte:
      if ((byte & 0xC0U) != 0x80U) {
        keys[0] = 0;
        return 1 + ground(byte, keys + 1);
      }
      partial_ = (partial_ << 6U) | (byte & 0x3FU);
      if (--needed_ > 0) return 0;
      state_ = State::ground;
      if (partial_ < minimum_ || partial_ > kLastCharacter || is_surrogate(partial_)) {
        keys[0] = 0;
      } else {
        keys[0] = cp850_of_unicode(partial_);
      }
      return 1;
  }
  return 0;
}

int KeyDecoder::timeout(int keys[1]) {
  const State was = state_;
  state_ = State::ground;
  switch (was) {
    case State::ground:
      return 0;
    case State::escape:
      keys[0] = kEscape;
      return 1;
    case State::csi_start:
    case State::csi:
    case State::ss3:
    case State::linux_key:
    case State::multibyte:
      keys[0] = 0;
      return 1;
  }
  return 0;
}

}  // namespace kit
