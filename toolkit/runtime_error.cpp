#include "toolkit/runtime_error.h"

#include <cstdio>
#include <new>

namespace tolvane {

namespace {
std::string describe(Status status, const std::string& object, const std::string& operation) {
    return "Run-time error " + std::to_string(status) + " in " + object + ": " + operation;
}
} // namespace

RuntimeError::RuntimeError(Status status, std::string object, std::string operation)
    : std::runtime_error(describe(status, object, operation)), status_(status), object_(std::move(object)),
      operation_(std::move(operation)) {}

void dispatch(Handler handler, Toolkit& toolkit, std::string_view object) {
    try {
        handler(toolkit);
    } catch (const RuntimeError& error) {
        toolkit.reportUntrappedError(error);
    } catch (const std::bad_alloc&) {
        toolkit.reportUntrappedError(RuntimeError(kStatusOutOfMemory, std::string(object), "out of memory"));
    } catch (const std::exception& failure) {
        toolkit.reportUntrappedError(RuntimeError(kStatusInternalError, std::string(object), failure.what()));
    } catch (...) {
        toolkit.reportUntrappedError(
            RuntimeError(kStatusInternalError, std::string(object), "unknown failure"));
    }
}

void endAfterUntrappedError(const RuntimeError& error, ProgramEnd& layer) {
    layer.stopEvents();
    std::fprintf(stderr, "tolvane: untrapped run-time error: status %d, object %s, operation %s\n",
                 static_cast<int>(error.status()), error.object().c_str(), error.operation().c_str());
    layer.showErrorMessage("Run-time error " + std::to_string(error.status()) +
                           "\n\nObject: " + error.object() + "\nOperation: " + error.operation());
    layer.endProgram(kExitUntrappedError);
}

} // namespace tolvane
