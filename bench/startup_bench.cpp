// Time from process start to the first visible top-level window, and the peak working set,
// for each program given, alternating between them so both see the same conditions.
//   startup_bench RUNS EXE...
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findVisible(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

double nowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(f.QuadPart);
}

struct Result {
    std::vector<double> startMs;
    SIZE_T peakWorkingSet = 0;
};

bool runOnce(const std::wstring& exe, Result& result) {
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = nowMs();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    Search search{pi.dwProcessId, nullptr};
    while (!search.found && nowMs() - start < 20000) {
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    const double shown = nowMs();
    if (search.found) {
        result.startMs.push_back(shown - start);
        Sleep(300); // let it settle before reading its memory
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters))
            result.peakWorkingSet = std::max(result.peakWorkingSet, counters.PeakWorkingSetSize);
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return search.found != nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench RUNS EXE...\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    std::vector<Result> results(static_cast<std::size_t>(argc - 2));
    for (int r = 0; r < runs; ++r)
        for (int i = 2; i < argc; ++i)
            runOnce(argv[i], results[static_cast<std::size_t>(i - 2)]);
    for (int i = 2; i < argc; ++i) {
        Result& res = results[static_cast<std::size_t>(i - 2)];
        std::sort(res.startMs.begin(), res.startMs.end());
        const wchar_t* name = wcsrchr(argv[i], L'\\');
        name = name ? name + 1 : argv[i];
        if (res.startMs.empty()) {
            std::printf("%-28ls no window seen\n", name);
            continue;
        }
        std::printf("%-28ls shown after: median %7.1f ms  min %7.1f ms  max %7.1f ms (%zu runs)  "
                    "peak working set %zu KiB\n",
                    name, res.startMs[res.startMs.size() / 2], res.startMs.front(),
                    res.startMs.back(), res.startMs.size(), res.peakWorkingSet / 1024);
    }
    return 0;
}
