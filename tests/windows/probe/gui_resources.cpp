#include "tests/windows/probe/gui_resources.h"

#include <cstdint>
#include <vector>
#include <winternl.h>

namespace tolvane::probe {

namespace {

// The 64-bit layout shared by Windows and Wine: the PEB's pointer to the GDI handle table, and the
// table's 65536 entries of 24 bytes, each with its object type in byte 14 (0 for a free entry).
constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;
constexpr std::size_t kGdiHandleCount = 0x10000;
constexpr std::size_t kGdiEntrySize = 24;
constexpr std::size_t kGdiEntryTypeOffset = 14;

using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

std::optional<unsigned long> gdiObjectsFromHandleTable(HANDLE process) {
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (query == nullptr || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) {
        return std::nullopt;
    }
    std::uintptr_t table = 0;
    const auto* pebField = static_cast<const unsigned char*>(static_cast<const void*>(basic.PebBaseAddress)) +
                           kPebGdiSharedHandleTable;
    if (ReadProcessMemory(process, pebField, &table, sizeof(table), nullptr) == 0 || table == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> entries(kGdiHandleCount * kGdiEntrySize);
    if (ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(),
                          nullptr) == 0) {
        return std::nullopt;
    }
    unsigned long used = 0;
    for (std::size_t entry = 0; entry < kGdiHandleCount; ++entry) {
        used += entries[entry * kGdiEntrySize + kGdiEntryTypeOffset] != 0 ? 1 : 0;
    }
    return used;
}

struct WindowCount {
    DWORD processId;
    unsigned long windows;
};

BOOL CALLBACK countChild(HWND, LPARAM context) {
    ++reinterpret_cast<WindowCount*>(context)->windows;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM context) {
    auto* count = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->processId) {
        ++count->windows;
        EnumChildWindows(window, &countChild, context);
    }
    return TRUE;
}

} // namespace

GuiResources countGuiResources(HANDLE process, DWORD processId) {
    GuiResources counts;
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    if (gdi != 0) {
        counts.gdiObjects = gdi;
        counts.gdiSource = "GetGuiResources";
    } else {
        counts.gdiObjects = gdiObjectsFromHandleTable(process);
        counts.gdiSource = counts.gdiObjects ? "GDI handle table" : "none";
    }
    if (user != 0) {
        counts.userObjects = user;
    }
    WindowCount windows{processId, 0};
    EnumWindows(&countTopLevel, reinterpret_cast<LPARAM>(&windows));
    counts.windows = windows.windows;
    return counts;
}

} // namespace tolvane::probe
