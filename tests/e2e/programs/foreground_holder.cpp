// A second program with a window that takes the foreground, for the end-to-end tests of keys
// pressed while the utility is in the background.
//   foreground_holder
// Shows its window, asks for the foreground and prints "foreground" once it has it (or
// "background" after two seconds without it). Every line read from standard input is answered
// with "foreground" or "background", whichever its window is now. Ends at end of input.
#include "win32/unique_handle.hpp"

#include <windows.h>

#include <cstdio>

namespace {

HWND g_window = nullptr;
DWORD g_guiThread = 0;

void report() {
    std::puts(GetForegroundWindow() == g_window ? "foreground" : "background");
    std::fflush(stdout);
}

DWORD WINAPI answerQueries(LPVOID) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char c = 0;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n')
            report();
    }
    PostThreadMessageW(g_guiThread, WM_QUIT, 0, 0);
    return 0;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int wmain() {
    g_guiThread = GetCurrentThreadId();
    WNDCLASSW c{};
    c.lpfnWndProc = windowProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    c.lpszClassName = L"ForegroundHolder";
    RegisterClassW(&c);
    g_window = CreateWindowExW(0, c.lpszClassName, L"foreground holder", WS_OVERLAPPEDWINDOW, 800,
                               500, 300, 120, nullptr, nullptr, c.hInstance, nullptr);
    ShowWindow(g_window, SW_SHOW);
    SetForegroundWindow(g_window);
    // Taking the foreground can lag behind the request.
    for (int i = 0; i < 200 && GetForegroundWindow() != g_window; ++i) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        Sleep(10);
    }
    report();
    bc::win32::UniqueHandle answerer(CreateThread(nullptr, 0, answerQueries, nullptr, 0, nullptr));

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
