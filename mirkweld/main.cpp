#include "kit/frame.hpp"
#include "mirkweld/mirkweld.hpp"

int main() { return kit::run_program(mirkweld::play, "mirkweld"); }
