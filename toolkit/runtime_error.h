// The run-time error a failed toolkit operation raises, and the helper that raises it.
#pragma once

#include "toolkit/toolkit.h"

#include <stdexcept>
#include <string>

namespace tolvane {

// Statuses the program's own checks report. Toolkit layers use other negative values of their own.
inline constexpr Status kStatusOverflow = -6;
inline constexpr Status kStatusDivisionByZero = -11;
inline constexpr Status kStatusInvalidOperation = -16;
inline constexpr Status kStatusNoSuchControl = -340;

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(Status status, std::string object, std::string operation);

    Status status() const noexcept { return status_; }
    const std::string& object() const noexcept { return object_; }
    const std::string& operation() const noexcept { return operation_; }

  private:
    Status status_;
    std::string object_;
    std::string operation_;
};

// Tests a status the moment an operation returns: a failure ends the running handler.
inline void raiseOnFailure(Status status, std::string_view object, std::string_view operation) {
    if (status < 0) {
        throw RuntimeError(status, std::string(object), std::string(operation));
    }
}

// Runs one event handler the way the toolkit delivers events: an error that no handler trapped goes
// to the toolkit's default handling, and the event loop goes on to whatever that handling decides.
void dispatch(Handler handler, Toolkit& toolkit);

} // namespace tolvane
