#include "golf/golf.hpp"
#include "kit/frame.hpp"

int main() { return kit::run_program(golf::play, "golf"); }
