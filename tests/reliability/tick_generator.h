// Generates tick situations that probe the docking step where it is most likely to slip: coordinates
// over the whole signed 32-bit range and one pixel either side of every edge and threshold, properties
// at zero, ±1, ±FLT_MAX, ±infinity, NaN and subnormals, sums that land on the right-edge thresholds,
// every WindowState, failed window-system calls and a failing toolkit operation; and desktops of several
// monitors in every arrangement, with the window at, beyond or beside each monitor's edges.
#pragma once

#include "tick_situation.h"

#include <cstdint>
#include <span>

namespace tolvane::reliability {

// Where the generator's choices come from: a seeded sequence for the tests, the fuzzer's bytes for it.
class Entropy {
  public:
    virtual ~Entropy() = default;
    virtual std::uint64_t next() = 0;
};

// SplitMix64: tiny, fast, and the same sequence on every platform for the same seed.
class SeededEntropy : public Entropy {
  public:
    explicit SeededEntropy(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() override;

  private:
    std::uint64_t state_;
};

// Eight bytes at a time from a buffer, then zeros once it runs out.
class ByteEntropy : public Entropy {
  public:
    explicit ByteEntropy(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t next() override;

  private:
    std::span<const std::uint8_t> bytes_;
};

TickSituation generateTick(Entropy& entropy);

} // namespace tolvane::reliability
