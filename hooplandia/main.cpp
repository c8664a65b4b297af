#include "hooplandia/hooplandia.hpp"
#include "kit/frame.hpp"

int main() { return kit::run_program(hooplandia::play, "hooplandia"); }
