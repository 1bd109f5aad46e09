// Starting the toolkit on Windows: the COM apartment for the image decoders, the window, its event loop.
#include "toolkit/start.h"

#include "toolkit/runtime_error.h"
#include "toolkit/win32/scoped.h"
#include "toolkit/win32/wide_text.h"
#include "toolkit/win32/win32_toolkit.h"

namespace tolvane {

int startToolkit(const WindowDescription& window, int /*argc*/, char** /*argv*/) {
    const win32::ComApartment apartment;
    win32::Win32Toolkit toolkit(window, GetModuleHandleW(nullptr));
    if (!toolkit.create()) {
        MessageBoxW(nullptr, L"The window could not be created.", win32::toWide(window.caption).c_str(),
                    MB_OK | MB_ICONERROR);
        return kExitUntrappedError;
    }
    return toolkit.run();
}

} // namespace tolvane
