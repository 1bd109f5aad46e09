// Rounding a coordinate computation to single precision, the way the window's properties hold it:
// a result that is not a number, or too large for a float, is a run-time error, never a value.
#pragma once

#include "toolkit/runtime_error.h"

#include <cmath>

namespace tolvane {

// Computations are made in double and rounded once; `what` names the computation for the error.
inline float roundToSingle(double value, std::string_view what) {
    if (std::isnan(value)) {
        throw RuntimeError(kStatusInvalidOperation, "Frmbzz", std::string(what) + ": invalid operation");
    }
    const auto rounded = static_cast<float>(value);
    if (std::isinf(rounded)) {
        throw RuntimeError(kStatusOverflow, "Frmbzz", std::string(what) + ": overflow");
    }
    return rounded;
}

} // namespace tolvane
