// Starts the applier below a run folder exactly as the utility does: the level written to
// brightness.txt in the current directory (created or truncated, not shared), then
//   CMD /C @ "<run folder>\scripts\brightness.exe"
// hidden, no handles inherited, the caller's environment and current directory.
//
//   applier_launcher <run folder> [--gap-ms N] [level ...]
// With levels, each one is written and followed by a start, N ms apart (default 0); a level
// written "=N" is written without a start, like a change the utility's skip window lets pass.
// Without levels, the applier is started once. Waits for every start to end (at most 60 s)
// and prints one JSON line: {"exit_codes":[...],"elapsed_ms":[...]}, each process's lifetime
// (-1 when unknown).
#include "brightness/applier_command_line.hpp"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The utility gives up silently when the file is busy; here the test needs every level in the
// file, so a refused open (an applier reading at that moment) is retried.
void writeLevel(const std::wstring& text) {
    const std::string bytes(text.begin(), text.end());
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE file = CreateFileW(L"brightness.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(1);
    }
}

HANDLE start(const std::wstring& runFolder) {
    std::wstring line = bc::applierCommandLine(runFolder);
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

ULONGLONG ticks(const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: applier_launcher <run folder> [--gap-ms N] [level ...]\n", stderr);
        return 2;
    }
    const std::wstring runFolder = argv[1];
    DWORD gapMs = 0;
    std::vector<std::wstring> levels;
    for (int i = 2; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--gap-ms") == 0 && i + 1 < argc)
            gapMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        else if (argv[i][0] != L'\0')
            levels.emplace_back(argv[i]);
    }

    std::vector<HANDLE> started;
    if (levels.empty())
        started.push_back(start(runFolder));
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (i > 0 && gapMs > 0)
            Sleep(gapMs);
        const bool writeOnly = levels[i].front() == L'=';
        writeLevel(writeOnly ? levels[i].substr(1) : levels[i]);
        if (!writeOnly)
            started.push_back(start(runFolder));
    }

    std::string codes, elapsed;
    for (const HANDLE process : started) {
        long long code = -1;
        long long took = -1;
        DWORD exitCode = 0;
        FILETIME created{}, exited{}, kernel{}, user{};
        if (process != nullptr && WaitForSingleObject(process, 60000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process, &exitCode)) {
            code = exitCode;
            if (GetProcessTimes(process, &created, &exited, &kernel, &user))
                took = static_cast<long long>((ticks(exited) - ticks(created)) / 10000);
        }
        if (process != nullptr)
            CloseHandle(process);
        if (!codes.empty()) {
            codes += ',';
            elapsed += ',';
        }
        codes += std::to_string(code);
        elapsed += std::to_string(took);
    }
    std::printf("{\"exit_codes\":[%s],\"elapsed_ms\":[%s]}\n", codes.c_str(), elapsed.c_str());
    return 0;
}
