// The checks every layer's services make before they touch the window, the same on every layer: once
// the window is unloaded nothing is done and the service fails with kStatusWindowUnloaded; a label is
// looked up by the name a handler gives it, and a name no label of its own bears fails with
// kStatusNoSuchControl.
#pragma once

#include "toolkit/description.h"
#include "toolkit/runtime_error.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace tolvane {

// Does the work while the window is loaded. Work that gives no status of its own succeeds.
template <typename Work> Status whileLoaded(bool loaded, Work&& work) {
    if (!loaded) {
        return kStatusWindowUnloaded;
    }
    if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
        work();
        return kStatusOk;
    } else {
        return work();
    }
}

// A write to the label a handler names ("Label19"): write is given the label's place among the
// window's labels in creation order.
template <typename Write>
Status writeLabel(bool loaded, const WindowDescription& window, std::string_view name, Write&& write) {
    return whileLoaded(loaded, [&] {
        const std::optional<std::size_t> label = labelIndex(window, name);
        if (!label) {
            return kStatusNoSuchControl;
        }
        write(*label);
        return kStatusOk;
    });
}

} // namespace tolvane
