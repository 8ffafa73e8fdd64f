// Starts the applier below a run folder with the utility's own start routine: the level written
// to brightness.txt in the current directory (created or truncated, not shared), then
//   CMD /C @ "<run folder>\scripts\brightness.exe"
// hidden, no handles inherited, the caller's environment and current directory.
//
//   applier_launcher <run folder> [--gap-ms N] [level ...]
// With levels, each one is written and followed by a start, N ms apart (default 0); a level
// written "=N" is written without a start, like a change the utility's skip window lets pass.
// Without levels, the applier is started once. Waits for every start to end (at most 60 s)
// and prints one JSON line: {"exit_codes":[...],"elapsed_ms":[...]}, each process's lifetime
// (-1 when unknown).
#include "brightness/win32/applier_launch.hpp"
#include "brightness/win32/level_file.hpp"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Every level must be in the file before its start, so a refused write (an applier reading at
// that moment) is retried at once rather than later as the utility does.
void writeLevel(const std::wstring& text) {
    const std::string bytes(text.begin(), text.end());
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (bc::win32::writeLevelFile(L"brightness.txt", bytes) ==
            bc::win32::LevelFileWrite::Written)
            return;
        Sleep(1);
    }
}

HANDLE start(const std::wstring& runFolder) {
    return bc::win32::startApplierHidden(runFolder).release();
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
