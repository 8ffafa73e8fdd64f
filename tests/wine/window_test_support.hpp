#pragma once
// Helpers for tests that drive the real main window under Wine.
#include "app/win32/main_window.hpp"

#include <windows.h>

#include <functional>
#include <string>

namespace bc::test {

// Serves the thread's messages the way the program's loop does, for a while or until a
// condition holds. Returns whether the condition held.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return done && done();
            if (win32::preTranslateMainWindowMessage(message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done && done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD ms) {
    pumpUntil(nullptr, ms);
}

inline std::wstring windowText(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

inline std::wstring className(HWND hwnd) {
    wchar_t buffer[128] = {};
    GetClassNameW(hwnd, buffer, 128);
    return buffer;
}

// A scratch folder made the current directory for the test and removed afterwards.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"bc-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        CreateDirectoryW(path_.c_str(), nullptr);
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(path_.c_str());
    }
    ~ScratchDirectory() {
        SetCurrentDirectoryW(previous_.c_str());
        WIN32_FIND_DATAW found;
        const std::wstring pattern = path_ + L"\\*";
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring full = path_ + L"\\" + name;
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryW(full.c_str());
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
    std::wstring previous_;
};

} // namespace bc::test
