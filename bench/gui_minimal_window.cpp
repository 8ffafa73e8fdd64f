// The floor for start-up time: a plain Win32 program that shows one empty window.
#include <windows.h>

static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW c{};
    c.lpfnWndProc = proc;
    c.hInstance = instance;
    c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    c.lpszClassName = L"MinimalWindow";
    RegisterClassW(&c);
    HWND w = CreateWindowExW(0, L"MinimalWindow", L"minimal", WS_OVERLAPPEDWINDOW, 100, 100, 390,
                             110, nullptr, nullptr, instance, nullptr);
    ShowWindow(w, SW_SHOW);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
