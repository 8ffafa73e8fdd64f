// A window with two hotkeys wired to a log, for the end-to-end hotkey test.
//   hotkey_probe listen LOG   registers Alt+minus (run on a thread of its own) and Alt+equals
//                             (run directly); each firing appends
//                             "<minus|equals> thread=<gui|other> foreground=<self|other>" to LOG
//   hotkey_probe focus LOG    only a window that takes the foreground and logs "focused"
// Both log "ready" first and run until their standard input reaches end of file.
#include "hotkeys/win32/hotkeys.hpp"
#include "win32/unique_handle.hpp"

#include <windows.h>

#include <string>

namespace {

std::wstring logPath;
DWORD guiThread = 0;
CRITICAL_SECTION logLock;

void appendLine(const std::string& line) {
    EnterCriticalSection(&logLock);
    bc::win32::UniqueHandle file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    LeaveCriticalSection(&logLock);
}

void logFiring(const char* name) {
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    appendLine(std::string(name) +
               " thread=" + (GetCurrentThreadId() == guiThread ? "gui" : "other") +
               " foreground=" + (owner == GetCurrentProcessId() ? "self" : "other"));
}

DWORD WINAPI minusAction(LPVOID) {
    logFiring("minus");
    return 0;
}

DWORD WINAPI equalsAction(LPVOID) {
    logFiring("equals");
    return 0;
}

DWORD WINAPI quitOnEndOfInput(LPVOID) {
    char buffer[64];
    DWORD got = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    PostThreadMessageW(guiThread, WM_QUIT, 0, 0);
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

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        OutputDebugStringW(L"usage: hotkey_probe listen|focus LOG\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    logPath = argv[2];
    InitializeCriticalSection(&logLock);
    guiThread = GetCurrentThreadId();

    WNDCLASSW c{};
    c.lpfnWndProc = windowProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    c.lpszClassName = L"HotkeyProbe";
    RegisterClassW(&c);
    const bool listen = mode == L"listen";
    HWND window = CreateWindowExW(0, L"HotkeyProbe", listen ? L"hotkey probe" : L"focus holder",
                                  WS_OVERLAPPEDWINDOW, listen ? 100 : 500, 100, 300, 120, nullptr,
                                  nullptr, c.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);

    if (listen) {
        bc::win32::createHotkeyTable();
        bc::win32::registerHotkey(minusAction, VK_OEM_MINUS, 1);
        bc::win32::registerHotkey(equalsAction, VK_OEM_PLUS, 1, 0, 0, true);
    }
    bc::win32::UniqueHandle watcher(
        CreateThread(nullptr, 0, quitOnEndOfInput, nullptr, 0, nullptr));
    appendLine("ready");
    if (!listen) {
        // Taking the foreground can lag behind the request under a window manager.
        for (int i = 0; i < 200 && GetForegroundWindow() != window; ++i) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&m);
            Sleep(10);
        }
        appendLine(GetForegroundWindow() == window ? "focused" : "not focused");
    }

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (listen)
        bc::win32::releaseHotkeyTable();
    return 0;
}
