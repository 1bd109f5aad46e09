// Counts the calls of the global operator new in a benchmark binary that links allocation_counter.cpp,
// which replaces it.
#pragma once

#include <cstdint>

namespace tolvane::bench {

std::uint64_t allocationsSoFar();

} // namespace tolvane::bench
