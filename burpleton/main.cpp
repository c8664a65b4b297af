#include "burpleton/burpleton.hpp"
#include "kit/frame.hpp"

int main() { return kit::run_program(burpleton::play, "burpleton"); }
