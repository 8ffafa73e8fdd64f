// Stand-in applier for the end-to-end tests: placed at scripts\brightness.exe, it appends one JSON
// line per start to applier-starts.log beside itself and exits at once.
//
// Recorded: time_ms (wall clock, ms since 1970 UTC, fractional), pid, command_line, cwd,
// level_file (content of brightness.txt in the current directory, null if it cannot be read),
// startup (STARTUPINFO flags and show state), console (own console window and its visibility),
// parent and grandparent (pid, exe name, command line and start-up show state where readable).
//
// Environment: BC_RECORDER_HOLD_MS=N keeps brightness.txt open for N ms after the line is logged,
// like a slow applier that is still reading when the next change comes.
#include "json_text.hpp"

#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cwchar>
#include <optional>
#include <string>

namespace {

using bc::e2e::boolean;
using bc::e2e::Object;
using bc::e2e::quoted;
using bc::e2e::quotedBytes;

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE value) : h(value) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE && h != nullptr)
            CloseHandle(h);
    }
    bool ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

double wallClockMs() {
    using Precise = void(WINAPI*)(LPFILETIME);
    FILETIME ft{};
    auto precise = reinterpret_cast<Precise>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    if (precise)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    constexpr unsigned long long epochDelta = 116444736000000000ULL; // 1601 -> 1970 in 100 ns
    return static_cast<double>(t.QuadPart - epochDelta) / 10000.0;
}

std::wstring exeFolder() {
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : p.substr(0, slash);
}

HANDLE openLevelFile() {
    return CreateFileW(L"brightness.txt", GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::optional<std::string> readAll(const Handle& file) {
    if (!file.ok())
        return std::nullopt;
    std::string content;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file.h, buf, sizeof buf, &got, nullptr) && got > 0)
        content.append(buf, got);
    return content;
}

// The start-up fields of RTL_USER_PROCESS_PARAMETERS after CommandLine; winternl.h shows only
// the documented head of the record.
struct ProcessParametersTail {
    PVOID environment;
    ULONG startingX, startingY, countX, countY, countCharsX, countCharsY, fillAttribute;
    ULONG windowFlags;
    ULONG showWindowFlags;
};

struct ProcessDetails {
    std::string commandLine = "null"; // JSON values
    std::string startup = "null";
};

// Another process's command line and start-up show state, read from its process parameters.
ProcessDetails processDetails(DWORD pid) {
    using Query = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    ProcessDetails details;
    if (!query || !process.ok())
        return details;
    PROCESS_BASIC_INFORMATION info{};
    if (query(process.h, ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
        return details;
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS params{};
    ProcessParametersTail tail{};
    if (!ReadProcessMemory(process.h, info.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process.h, peb.ProcessParameters, &params, sizeof params, nullptr))
        return details;
    auto* tailAddress =
        reinterpret_cast<char*>(peb.ProcessParameters) + sizeof(RTL_USER_PROCESS_PARAMETERS);
    if (ReadProcessMemory(process.h, tailAddress, &tail, sizeof tail, nullptr))
        details.startup =
            Object()
                .add("flags", tail.windowFlags)
                .add("uses_show_window", boolean((tail.windowFlags & STARTF_USESHOWWINDOW) != 0))
                .add("show_window", tail.showWindowFlags)
                .str();
    std::wstring text(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (ReadProcessMemory(process.h, params.CommandLine.Buffer, text.data(),
                          params.CommandLine.Length, nullptr))
        details.commandLine = quoted(text);
    return details;
}

struct ProcessEntry {
    DWORD pid = 0;
    DWORD parent = 0;
    std::wstring name;
};

std::optional<ProcessEntry> findProcess(DWORD pid) {
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap.ok())
        return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snap.h, &entry); more; more = Process32NextW(snap.h, &entry)) {
        if (entry.th32ProcessID == pid)
            return ProcessEntry{entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile};
    }
    return std::nullopt;
}

std::string describeProcess(DWORD pid) {
    auto entry = findProcess(pid);
    ProcessDetails details = processDetails(pid);
    return Object()
        .add("pid", pid)
        .add("name", entry ? quoted(entry->name) : "null")
        .add("command_line", details.commandLine)
        .add("startup", details.startup)
        .str();
}

void appendLine(const std::wstring& logPath, const std::string& line) {
    // One WriteFile on a handle opened for appending only, so lines of starts running at the same
    // time do not interleave; the mutex covers file systems that do not append atomically.
    Handle mutex(CreateMutexW(nullptr, FALSE, L"Local\\BcApplierRecorderLog"));
    if (mutex.ok())
        WaitForSingleObject(mutex.h, 5000);
    for (int attempt = 0; attempt < 50; ++attempt) {
        Handle log(CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (log.ok()) {
            DWORD written = 0;
            WriteFile(log.h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            break;
        }
        Sleep(10);
    }
    if (mutex.ok())
        ReleaseMutex(mutex.h);
}

} // namespace

int wmain() {
    double started = wallClockMs();

    DWORD holdMs = 0;
    wchar_t hold[32];
    if (GetEnvironmentVariableW(L"BC_RECORDER_HOLD_MS", hold, 32) > 0)
        holdMs = static_cast<DWORD>(std::wcstoul(hold, nullptr, 10));

    wchar_t cwd[32768];
    DWORD cwdLength = GetCurrentDirectoryW(32768, cwd);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    HWND console = GetConsoleWindow();

    Handle levelFile(openLevelFile());
    auto level = readAll(levelFile);
    auto self = findProcess(GetCurrentProcessId());
    DWORD parentPid = self ? self->parent : 0;
    auto parent = findProcess(parentPid);
    DWORD grandparentPid = parent ? parent->parent : 0;

    char time[64];
    std::snprintf(time, sizeof time, "%.3f", started);

    std::string line =
        Object()
            .add("time_ms", time)
            .add("pid", GetCurrentProcessId())
            .add("command_line", quoted(GetCommandLineW()))
            .add("cwd", quoted(std::wstring_view(cwd, cwdLength)))
            .add("level_file", level ? quotedBytes(*level) : "null")
            .add("startup",
                 Object()
                     .add("flags", si.dwFlags)
                     .add("uses_show_window", boolean((si.dwFlags & STARTF_USESHOWWINDOW) != 0))
                     .add("show_window", si.wShowWindow)
                     .str())
            .add("console", Object()
                                .add("present", boolean(console != nullptr))
                                .add("visible", boolean(console && IsWindowVisible(console)))
                                .str())
            .add("parent", describeProcess(parentPid))
            .add("grandparent", describeProcess(grandparentPid))
            .str() +
        "\n";

    appendLine(exeFolder() + L"\\applier-starts.log", line);
    // Held after the line is logged, so a test sees the start while the file is still open;
    // any open handle makes the utility's unshared open for writing fail meanwhile.
    if (holdMs > 0 && levelFile.ok())
        Sleep(holdMs);
    return 0;
}
