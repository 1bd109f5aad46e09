#include "toolkit/description.h"

#include <algorithm>

namespace tolvane {

const ControlDescription* findControl(const WindowDescription& window, std::string_view name) {
    const auto found = std::ranges::find_if(window.controls, [name](const ControlDescription& control) {
        return control.index < 0 && control.name == name;
    });
    return found == window.controls.end() ? nullptr : &*found;
}

} // namespace tolvane
