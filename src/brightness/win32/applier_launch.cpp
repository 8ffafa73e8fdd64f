#include "brightness/win32/applier_launch.hpp"

#include "brightness/applier_command_line.hpp"
#include "brightness/change_stamp.hpp"
#include "win32/module_path.hpp"

#include <windows.h>

#include <vector>

namespace bc::win32 {

UniqueHandle startApplierHidden(std::wstring_view runDirectory) {
    const std::wstring line = applierCommandLine(runDirectory);
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return {};
    UniqueHandle thread(info.hThread);
    return UniqueHandle(info.hProcess);
}

void launchApplier() {
    const UniqueHandle process = startApplierHidden(runDirectory());
    if (!process)
        return;
    // A console process has no input queue, so this usually returns at once; the bound keeps a
    // GUI applier from holding up the window for longer than a second.
    WaitForInputIdle(process.get(), 1000);
}

std::string currentTimestampText() {
    SYSTEMTIME first{};
    GetLocalTime(&first);
    SYSTEMTIME second{};
    GetLocalTime(&second);
    const LocalDateTime now{second.wYear, second.wMonth,  second.wDay,
                            second.wHour, second.wMinute, second.wSecond};
    return timestampText(first.wMilliseconds, now);
}

} // namespace bc::win32
