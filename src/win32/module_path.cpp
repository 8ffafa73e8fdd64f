#include "win32/module_path.hpp"

#include "brightness/applier_command_line.hpp"

#include <windows.h>

namespace bc::win32 {

std::wstring modulePath() {
    // Grow the buffer until the whole path fits: long paths and deep folders are allowed.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring runDirectory() {
    return runDirectoryOf(modulePath());
}

} // namespace bc::win32
