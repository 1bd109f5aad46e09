// The Windows Installer package's own check, run before the installer changes anything: while
// tolvane.exe runs from the folder being installed to or removed from, installing over it or removing
// it would leave a mix of old and new files, or a running program whose files are gone. The installer
// says so and asks to close it (Retry, Cancel); without a user interface it ends with an error status.
#include <memory>
#include <string>
#include <vector>

// <windows.h> first: the others build on its types.
// clang-format off
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <tlhelp32.h>
// clang-format on

namespace {

// A string the installer's formatting resolves: "[#TolvaneExe]", "[UpgradeCode]" ...
std::wstring formatted(MSIHANDLE install, const wchar_t* text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text);
    std::wstring result(MAX_PATH, L'\0');
    auto size = static_cast<DWORD>(result.size());
    auto status = MsiFormatRecordW(install, record, result.data(), &size);
    if (status == ERROR_MORE_DATA) {
        result.resize(size + 1);
        size = static_cast<DWORD>(result.size());
        status = MsiFormatRecordW(install, record, result.data(), &size);
    }
    result.resize(status == ERROR_SUCCESS ? size : 0);
    return result;
}

// The program component's GUID, from this package's own Component table.
std::wstring program_component(MSIHANDLE install) {
    PMSIHANDLE database = MsiGetActiveDatabase(install);
    PMSIHANDLE view;
    PMSIHANDLE record;
    if (MsiDatabaseOpenViewW(database, L"SELECT `ComponentId` FROM `Component` WHERE `Component` = 'Program'",
                             &view) != ERROR_SUCCESS ||
        MsiViewExecute(view, 0) != ERROR_SUCCESS || MsiViewFetch(view, &record) != ERROR_SUCCESS)
        return {};
    std::wstring guid(39, L'\0');
    auto size = static_cast<DWORD>(guid.size());
    if (MsiRecordGetStringW(record, 1, guid.data(), &size) != ERROR_SUCCESS)
        return {};
    guid.resize(size);
    return guid;
}

// Every place tolvane.exe runs from that this install touches: where this package puts it, and where
// any installed build of the product (this one, an older one being upgraded) has it, as Windows
// Installer registered it.
std::vector<std::wstring> program_paths(MSIHANDLE install) {
    std::vector<std::wstring> paths;
    if (auto target = formatted(install, L"[#TolvaneExe]"); !target.empty())
        paths.push_back(target);
    const auto upgrade_code = formatted(install, L"[UpgradeCode]");
    const auto component = program_component(install);
    wchar_t product[39];
    for (DWORD index = 0; !component.empty() &&
                          MsiEnumRelatedProductsW(upgrade_code.c_str(), 0, index, product) == ERROR_SUCCESS;
         ++index) {
        std::wstring path(MAX_PATH, L'\0');
        auto size = static_cast<DWORD>(path.size());
        if (MsiGetComponentPathW(product, component.c_str(), path.data(), &size) == INSTALLSTATE_LOCAL) {
            path.resize(size);
            paths.push_back(path);
        }
    }
    return paths;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

bool runs_from(const ScopedHandle& process, const std::wstring& program) {
    std::wstring image(32768, L'\0');
    auto size = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &size))
        return false;
    return CompareStringOrdinal(image.data(), static_cast<int>(size), program.data(),
                                static_cast<int>(program.size()), TRUE) == CSTR_EQUAL;
}

// The first of the paths a running process was started from; empty when none.
std::wstring running_program(const std::vector<std::wstring>& programs) {
    ScopedHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return {};
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (auto more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        ScopedHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)};
        for (const auto& program : programs)
            if (process && runs_from(process, program))
                return program;
    }
    return {};
}

std::wstring running_message(const std::wstring& program) {
    return L"0-10 Tolvane 正在运行（" + program +
           L"）。请先关闭它，再点“重试”继续，或点“取消”保持原样。\n\n"
           L"0-10 Tolvane is running (" +
           program +
           L"). Close it, then choose Retry to go on, or Cancel to "
           L"leave everything as it was.";
}

} // namespace

// Immediate custom action, scheduled after CostFinalize and before InstallValidate: nothing has been
// changed yet when it fails.
extern "C" __declspec(dllexport) UINT __stdcall CheckProgramNotRunning(MSIHANDLE install) {
    const auto programs = program_paths(install);
    for (auto program = running_program(programs); !program.empty(); program = running_program(programs)) {
        PMSIHANDLE record = MsiCreateRecord(1);
        MsiRecordSetStringW(record, 0, L"[1]");
        MsiRecordSetStringW(record, 1, running_message(program).c_str());
        const auto answer = MsiProcessMessage(
            install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_RETRYCANCEL | MB_ICONWARNING),
            record);
        if (answer == IDCANCEL)
            return ERROR_INSTALL_USEREXIT;
        if (answer != IDRETRY)
            return ERROR_INSTALL_FAILURE; // no user interface to ask
    }
    return ERROR_SUCCESS;
}
