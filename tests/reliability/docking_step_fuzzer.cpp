// libFuzzer target: the fuzzer's bytes choose a tick situation, and the program's docking step must agree
// with the model on it and come through it without a sanitizer report. Built by the fuzz preset.
#include "tick_comparison.h"
#include "tick_generator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

using namespace tolvane::reliability;
using tolvane::DisplayMonitors;
using tolvane::RECT;

// The first byte picks how the rest is read: through the generator's shaped choices, or as the raw fields
// of the situation, so that the fuzzer can reach any value the generator would rarely draw.
TickSituation situationFrom(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || (bytes.front() & 1) == 0) {
        ByteEntropy entropy(bytes.empty() ? bytes : bytes.subspan(1));
        return generateTick(entropy);
    }
    bytes = bytes.subspan(1);
    auto take = [&bytes](auto& field) {
        std::memset(&field, 0, sizeof field);
        const std::size_t n = std::min(sizeof field, bytes.size());
        std::memcpy(&field, bytes.data(), n);
        bytes = bytes.subspan(n);
    };
    TickSituation s;
    take(s.pointer.x);
    take(s.pointer.y);
    take(s.rect.left);
    take(s.rect.top);
    take(s.rect.right);
    take(s.rect.bottom);
    take(s.cursorResult);
    take(s.rectResult);
    take(s.windowState);
    take(s.top);
    take(s.left);
    take(s.width);
    take(s.height);
    take(s.screenWidth);
    take(s.twipsPerPixel);
    take(s.monitorsResult);
    std::uint8_t monitors = 0;
    take(monitors);
    s.monitors.count = monitors % 20U; // beyond the record's capacity too
    for (std::size_t i = 0; i < std::min<std::size_t>(s.monitors.count, DisplayMonitors::kCapacity); ++i) {
        RECT& r = s.monitors.monitors[i].rect;
        take(r.left);
        take(r.top);
        take(r.right);
        take(r.bottom);
        std::uint8_t primary = 0;
        take(primary);
        s.monitors.monitors[i].primary = (primary & 1) != 0;
    }
    std::uint8_t failing = 0;
    take(failing);
    s.failingOperation = failing % 13; // 0: none fails; the longest tick makes 12 operations
    take(s.failingStatus);
    if (s.failingStatus >= 0) {
        s.failingStatus = -1 - (s.failingStatus & 0xFFFF);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TickComparison comparison;
    ModelRow row;
    const std::string differences = comparison.compare(situationFrom({data, size}), row);
    if (!differences.empty()) {
        std::fprintf(stderr, "The docking step disagrees with the model:\n%s\n", differences.c_str());
        std::abort();
    }
    return 0;
}
