// Runs the docking step N times on the null toolkit, for counting its instructions under callgrind
// (--toggle-collect on Timer1_Timer): tick_loop rest|over|alternate N
#include "bench/null_toolkit.h"
#include "docking/docking_step.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tick_loop rest|over|alternate N\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    const long n = std::strtol(argv[2], nullptr, 10);
    tolvane::bench::NullToolkit toolkit;
    for (long i = 0; i < n; ++i) {
        toolkit.pointerOverWindow = mode == "over" || (mode == "alternate" && i % 2 == 0);
        tolvane::Timer1_Timer(toolkit);
    }
    std::printf("top=%g\n", double{toolkit.top});
    return 0;
}
