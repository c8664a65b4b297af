#include "kit/frame.hpp"
#include "rouladix/rouladix.hpp"

int main() { return kit::run_program(rouladix::play, "rouladix"); }
