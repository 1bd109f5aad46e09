// How many GDI and USER objects another process holds.
//
// Windows counts them itself (GetGuiResources). Wine does not: there GetGuiResources is a stub that
// returns 0. Wine keeps, as Windows does, a table of a process's GDI handles in that process's memory,
// found through its PEB (GdiSharedHandleTable); the entries in use are counted there instead. Wine has
// no such table for USER objects, so there only the process's windows are counted.
#pragma once

#include "toolkit/win32/windows_api.h"

#include <optional>
#include <string>

namespace tolvane::probe {

struct GuiResources {
    std::optional<unsigned long> gdiObjects;
    std::optional<unsigned long> userObjects;
    unsigned long windows = 0; // top-level and child windows of the process
    std::string gdiSource;     // where the GDI count came from
};

GuiResources countGuiResources(HANDLE process, DWORD processId);

} // namespace tolvane::probe
