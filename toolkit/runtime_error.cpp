#include "toolkit/runtime_error.h"

namespace tolvane {

namespace {
std::string describe(Status status, const std::string& object, const std::string& operation) {
    return "Run-time error " + std::to_string(status) + " in " + object + ": " + operation;
}
} // namespace

RuntimeError::RuntimeError(Status status, std::string object, std::string operation)
    : std::runtime_error(describe(status, object, operation)), status_(status), object_(std::move(object)),
      operation_(std::move(operation)) {}

void dispatch(Handler handler, Toolkit& toolkit) {
    try {
        handler(toolkit);
    } catch (const RuntimeError& error) {
        toolkit.reportUntrappedError(error);
    }
}

} // namespace tolvane
