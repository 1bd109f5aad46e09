#include "toolkit/description.h"

#include <algorithm>

namespace tolvane {

const ControlDescription* findControl(const WindowDescription& window, std::string_view name) {
    const auto found = std::ranges::find_if(window.controls, [name](const ControlDescription& control) {
        return control.index < 0 && control.name == name;
    });
    return found == window.controls.end() ? nullptr : &*found;
}

std::string accessibleDescription(const WindowDescription& window, const ControlDescription& control) {
    std::string text;
    for (const ControlName& describer : control.describedBy) {
        const auto found = std::ranges::find_if(window.controls, [&](const ControlDescription& other) {
            return other.name == describer.name && other.index == describer.index;
        });
        if (describer.name.empty() || found == window.controls.end()) {
            continue;
        }
        text += text.empty() ? "" : " ";
        text += found->caption;
    }
    return text;
}

std::optional<std::size_t> labelIndex(const WindowDescription& window, std::string_view name) {
    std::size_t index = 0;
    for (const ControlDescription& control : window.controls) {
        if (control.kind != ControlKind::Label) {
            continue;
        }
        if (control.index < 0 && control.name == name) {
            return index;
        }
        ++index;
    }
    return std::nullopt;
}

} // namespace tolvane
