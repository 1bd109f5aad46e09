// The floor for the Windows program's start-up and memory: the least a Win32 program does to show a
// window with a client area of the same size (472 x 502) at the screen's top-left corner and paint it, in
// the age labels' light blue so that the same first-paint detector sees it.
//
// Built a second time as minimal_win32_timer_window with TOLVANE_EMPTY_TIMER: the same window with a
// 200 ms timer that does nothing, the floor for the program's idle CPU (its docking step ticks every
// 200 ms).
#include <windows.h>

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        SetDCBrushColor(dc, RGB(0xC0, 0xC0, 0xFF));
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"minimal";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, 472, 502};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"minimal", L"minimal", style, 0, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
#ifdef TOLVANE_EMPTY_TIMER
    SetTimer(window, 1, 200, nullptr);
#endif
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
