// The screen buffer: what it writes, and that it all arrives in order, held until the flush.
#include "kit/screen.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct Console {
  std::vector<std::string> writes;
  std::string all() const {
    std::string text;
    for (const std::string& w : writes) text += w;
    return text;
  }
};

void record(void* context, const char* bytes, std::size_t count) {
  static_cast<Console*>(context)->writes.emplace_back(bytes, count);
}

TEST(Screen, WritesNumbersInPlainDecimal) {
  const struct {
    long value;
    const char* text;
  } kCases[] = {{0, "0"}, {7, "7"}, {-7, "-7"}, {10, "10"}, {-1200, "-1200"}};
  for (const auto& c : kCases) {
    Console console;
    kit::Screen screen(record, &console);
    screen.number(c.value);
    screen.flush();
    EXPECT_EQ(console.all(), c.text);
  }
  Console console;
  kit::Screen screen(record, &console);
  screen.number(LONG_MIN);
  screen.character(' ');
  screen.number(LONG_MAX);
  screen.flush();
  EXPECT_EQ(console.all(), std::to_string(LONG_MIN) + " " + std::to_string(LONG_MAX));
}

TEST(Screen, HoldsEverythingUntilTheFlushThenWritesOnce) {
  Console console;
  kit::Screen screen(record, &console);
  screen.text("Who is going to win this?");
  screen.end_line();
  screen.text("A. ");
  EXPECT_TRUE(console.writes.empty());
  screen.flush();
  screen.flush();  // nothing new: nothing written
  ASSERT_EQ(console.writes.size(), 1U);
  EXPECT_EQ(console.writes[0], "Who is going to win this?\r\nA. ");
}

TEST(Screen, OutputLargerThanTheBufferArrivesWholeAndInOrder) {
  Console console;
  kit::Screen screen(record, &console);
  std::string expected;
  for (int line = 0; line < 3000; ++line) {
    screen.text("Line ");
    screen.number(line);
    screen.end_line();
    expected += "Line " + std::to_string(line) + "\r\n";
  }
  screen.flush();
  ASSERT_GT(expected.size(), 2 * kit::Screen::kCapacity);
  EXPECT_EQ(console.all(), expected);
  for (const std::string& w : console.writes) EXPECT_LE(w.size(), kit::Screen::kCapacity);
  EXPECT_EQ(console.writes.size(),
            (expected.size() + kit::Screen::kCapacity - 1) / kit::Screen::kCapacity)
      << "every write but the last is a full buffer";
}

}  // namespace
