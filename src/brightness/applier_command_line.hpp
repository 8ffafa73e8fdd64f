#pragma once
#include <string>
#include <string_view>

namespace bc {

// The command interpreter running scripts\brightness.exe below the run directory (the
// executable's folder without a trailing backslash). The applier gets no arguments.
inline std::wstring applierCommandLine(std::wstring_view runDirectory) {
    std::wstring line = L"CMD /C @ \"";
    line += runDirectory;
    line += L"\\scripts\\brightness.exe\"";
    return line;
}

// The folder part of a full module path: everything before the last backslash.
inline std::wstring runDirectoryOf(std::wstring_view modulePath) {
    const auto slash = modulePath.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? std::wstring_view{}
                                                         : modulePath.substr(0, slash));
}

} // namespace bc
