// Buffered console output in code page 850. Everything written between two key presses stays in
// the buffer and leaves in one piece when the next key is awaited.
#pragma once

#include <cstddef>
#include <string_view>

namespace kit {

class Screen {
 public:
  // Receives the code page 850 bytes at every flush; conversion for the console happens there.
  using Sink = void (*)(void* context, const char* bytes, std::size_t count);

  static constexpr std::size_t kCapacity = 8192;

  Screen(Sink sink, void* context) : sink_(sink), context_(context) {}
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  ~Screen() = default;

  void text(std::string_view text);
  void number(long long value);
  void character(char c);
  void end_line();  // carriage return and line feed
  void flush();

 private:
  void put(const char* bytes, std::size_t count);

  Sink sink_;
  void* context_;
  std::size_t used_ = 0;
  char buffer_[kCapacity] = {};
};

}  // namespace kit
