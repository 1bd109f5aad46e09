// The run-time error a failed toolkit operation raises, and the helper that raises it.
#pragma once

#include "toolkit/toolkit.h"

#include <stdexcept>
#include <string>

namespace tolvane {

// Statuses of the program's own checks and of every layer's services; a layer may add negative values
// of its own for the window system's failures. Each names one kind of failure.
inline constexpr Status kStatusOutOfMemory = -7;
inline constexpr Status kStatusOverflow = -6; // also a position no pixel coordinate can hold
inline constexpr Status kStatusDivisionByZero = -11;
inline constexpr Status kStatusInvalidOperation = -16;
inline constexpr Status kStatusInternalError = -51; // a handler failed in a way no check foresaw
inline constexpr Status kStatusNoSuchControl = -340;
inline constexpr Status kStatusWindowUnloaded = -364; // any operation on the window after Unload
inline constexpr Status kStatusNoScreen = -480;       // the display has no screen to measure

// The exit status of a program ended by an untrapped run-time error.
inline constexpr int kExitUntrappedError = 1;

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
// Any other exception (no memory, say) reaches the same handling as a run-time error of its own, so
// that none escapes into the window system's event loop.
void dispatch(Handler handler, Toolkit& toolkit, std::string_view object = "Frmbzz");

// What a layer does to end the program after an untrapped run-time error.
class ProgramEnd {
  public:
    // From now on no tick may run and no click be delivered.
    virtual void stopEvents() = 0;
    // Shows the message, over the window while there is one, until the user dismisses it.
    virtual void showErrorMessage(const std::string& text) = 0;
    // Ends the event loop, and with it the program, with this exit status.
    virtual void endProgram(int exitStatus) = 0;

  protected:
    ~ProgramEnd() = default;
};

// The default handling of an untrapped run-time error, the same on every layer: events stopped, a line
// on stderr, the message shown, then the program ends with kExitUntrappedError.
void endAfterUntrappedError(const RuntimeError& error, ProgramEnd& layer);

} // namespace tolvane
