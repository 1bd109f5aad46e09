// tolvane_accessibility.exe: reads the running tolvane.exe's window as a screen reader does, through
// Microsoft Active Accessibility, from another process, for the tests under Wine.
//
//   tolvane_accessibility labels          one line per child of the client area: "child=ID role=ROLE
//                                         state=STATE location=X,Y,W,H name=NAME", then one
//                                         "description=ID TEXT" for each child with a description (UTF-8)
//   tolvane_accessibility press ID        runs the child's default action, then prints, for a second,
//                                         every name and state change the window announces:
//                                         "namechange=ID NAME", "statechange=ID STATE"
#include "tests/windows/probe/target_window.h"

#include <cstdio>
#include <cstdlib>
#include <oleacc.h>
#include <string>

namespace tolvane::probe {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUnusable = 2;
constexpr DWORD kWaitMs = 60000;
constexpr DWORD kListenMs = 1500;

std::string utf8(const wchar_t* text) {
    if (text == nullptr) {
        return "";
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

VARIANT child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string textOf(IAccessible* client, long id,
                   HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    std::string result = "?";
    if (SUCCEEDED((client->*get)(child(id), &text))) {
        result = utf8(text);
    }
    SysFreeString(text);
    return result;
}

std::string nameOf(IAccessible* client, long id) {
    return textOf(client, id, &IAccessible::get_accName);
}

long stateOf(IAccessible* client, long id) {
    VARIANT state;
    VariantInit(&state);
    client->get_accState(child(id), &state);
    return state.vt == VT_I4 ? state.lVal : -1;
}

// The window's client area object, as AccessibleObjectFromWindow gives it; null when there is none.
IAccessible* clientObject(HWND& window) {
    for (DWORD waited = 0; waited < kWaitMs && window == nullptr; waited += 100) {
        window = findTargetWindow();
        if (window == nullptr) {
            Sleep(100);
        }
    }
    if (window == nullptr) {
        std::fprintf(stderr, "no window titled \"0-10 Tolvane\"\n");
        return nullptr;
    }
    void* object = nullptr;
    const HRESULT result =
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), &object);
    if (FAILED(result) || object == nullptr) {
        std::fprintf(stderr, "AccessibleObjectFromWindow failed: 0x%08lx\n",
                     static_cast<unsigned long>(result));
        return nullptr;
    }
    return static_cast<IAccessible*>(object);
}

int printLabels(IAccessible* client) {
    long count = 0;
    if (FAILED(client->get_accChildCount(&count))) {
        std::fprintf(stderr, "get_accChildCount failed\n");
        return kExitFailed;
    }
    std::printf("count=%ld\n", count);
    for (long id = 1; id <= count; ++id) {
        VARIANT role;
        VariantInit(&role);
        client->get_accRole(child(id), &role);
        long x = 0;
        long y = 0;
        long w = 0;
        long h = 0;
        client->accLocation(&x, &y, &w, &h, child(id));
        std::printf("child=%ld role=%ld state=%ld location=%ld,%ld,%ld,%ld name=%s\n", id,
                    role.vt == VT_I4 ? role.lVal : -1, stateOf(client, id), x, y, w, h,
                    nameOf(client, id).c_str());
    }
    for (long id = 1; id <= count; ++id) {
        if (const std::string text = textOf(client, id, &IAccessible::get_accDescription); !text.empty()) {
            std::printf("description=%ld %s\n", id, text.c_str());
        }
    }
    return 0;
}

IAccessible* listened = nullptr;

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG id, DWORD, DWORD) {
    if (object != OBJID_CLIENT || listened == nullptr) {
        return;
    }
    if (event == EVENT_OBJECT_NAMECHANGE) {
        std::printf("namechange=%ld %s\n", static_cast<long>(id), nameOf(listened, id).c_str());
    } else if (event == EVENT_OBJECT_STATECHANGE) {
        std::printf("statechange=%ld %ld\n", static_cast<long>(id), stateOf(listened, id));
    }
}

int pressAndListen(IAccessible* client, HWND window, long id) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    listened = client;
    // EVENT_OBJECT_STATECHANGE (0x800A) to EVENT_OBJECT_NAMECHANGE (0x800C).
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                         &onWinEvent, process, 0, WINEVENT_OUTOFCONTEXT);
    const HRESULT result = client->accDoDefaultAction(child(id));
    std::printf("action=0x%08lx\n", static_cast<unsigned long>(result));
    const DWORD until = GetTickCount() + kListenMs;
    while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
            DispatchMessageW(&message);
        }
    }
    if (hook != nullptr) {
        UnhookWinEvent(hook);
    }
    listened = nullptr;
    std::fflush(stdout);
    return SUCCEEDED(result) ? 0 : kExitFailed;
}

} // namespace
} // namespace tolvane::probe

int main(int argc, char** argv) {
    using namespace tolvane::probe;
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvane_accessibility labels | press ID\n");
        return kExitUnusable;
    }
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND window = nullptr;
    IAccessible* client = clientObject(window);
    int status = kExitUnusable;
    if (client != nullptr) {
        const std::string command = argv[1];
        status = command == "labels" ? printLabels(client)
                 : command == "press" && argc == 3
                     ? pressAndListen(client, window, std::strtol(argv[2], nullptr, 10))
                     : kExitUnusable;
        client->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}
