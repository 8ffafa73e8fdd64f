// Cost of polling the keyboard for hotkeys: one tick (255 key-state queries plus the walk over
// the program's two combinations) timed on a thread without windows and on a thread that owns a
// shown window, the walk alone with a constant key source, allocations made by ticks, and the
// process's CPU use over an idle stretch with and without polling.
//   hotkey_bench [seconds per idle stretch, default 10] [ticks per timing, default 2000]
#include "hotkeys/win32/hotkeys.hpp"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};

double nowUs() {
    static const double perUs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perUs;
}

double processCpuUs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto us = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10.0;
    };
    return us(kernel) + us(user);
}

// The granularity of the process CPU clock, found by spinning until it moves twice.
double cpuClockStepUs() {
    double first = processCpuUs(), now = first;
    while (now == first)
        now = processCpuUs();
    const double second = now;
    while (now == second)
        now = processCpuUs();
    return now - second;
}

DWORD WINAPI noAction(LPVOID) {
    return 0;
}

SHORT WINAPI allUp(int) {
    return 0;
}

std::atomic<long> ticksSeen{0};
SHORT WINAPI countingKeyState(int vk) {
    if (vk == 1)
        ++ticksSeen;
    return GetAsyncKeyState(vk);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND showWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = windowProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        c.lpszClassName = L"HotkeyBenchWindow";
        return RegisterClassW(&c);
    }();
    (void)windowClass;
    HWND w = CreateWindowExW(0, L"HotkeyBenchWindow", L"hotkey bench", WS_OVERLAPPEDWINDOW, 100,
                             100, 390, 110, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    return w;
}

void serveMessagesFor(double us) {
    const double end = nowUs() + us;
    for (double now = nowUs(); now < end; now = nowUs()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>((end - now) / 1000) + 1,
                                  QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

struct Job {
    bool window = false;
    bool polling = false; // idle stretch: register the hotkeys, so the timer runs
    bool realKeys = true; // tick timing: GetAsyncKeyState, or the walk alone
    int ticks = 0;        // > 0: time this many ticks; else an idle stretch of `seconds`
    double seconds = 0;
    // results
    double tickUs = 0;
    long tickAllocations = 0;
    double cpuPercent = 0;
    long ticksDelivered = 0;
};

DWORD WINAPI runJob(LPVOID p) {
    Job& job = *static_cast<Job*>(p);
    HWND w = job.window ? showWindow() : nullptr;
    if (w)
        serveMessagesFor(300e3); // let the window settle before measuring
    bc::win32::createHotkeyTable();
    if (job.ticks > 0) {
        bc::win32::KeyStateSource previous =
            bc::win32::setKeyStateSource(job.realKeys ? nullptr : &allUp);
        bc::win32::registerHotkey(noAction, 189, 1);
        bc::win32::registerHotkey(noAction, 187, 1);
        for (int i = 0; i < 20; ++i)
            bc::win32::pollHotkeys(nullptr, 0, 0, 0);
        std::vector<double> samples(static_cast<std::size_t>(job.ticks));
        const long before = allocations;
        for (double& s : samples) {
            const double start = nowUs();
            bc::win32::pollHotkeys(nullptr, 0, 0, 0);
            s = nowUs() - start;
        }
        job.tickAllocations = allocations - before;
        std::sort(samples.begin(), samples.end());
        job.tickUs = samples[samples.size() / 2];
        bc::win32::setKeyStateSource(previous);
    } else {
        bc::win32::KeyStateSource previous = bc::win32::setKeyStateSource(&countingKeyState);
        ticksSeen = 0;
        const double cpu0 = processCpuUs(), wall0 = nowUs();
        if (job.polling) {
            bc::win32::registerHotkey(noAction, 189, 1);
            bc::win32::registerHotkey(noAction, 187, 1);
        }
        serveMessagesFor(job.seconds * 1e6);
        const double cpu = processCpuUs() - cpu0, wall = nowUs() - wall0;
        job.cpuPercent = 100.0 * cpu / wall;
        job.ticksDelivered = ticksSeen;
        bc::win32::setKeyStateSource(previous);
    }
    bc::win32::releaseHotkeyTable();
    if (w)
        DestroyWindow(w);
    return 0;
}

// Each job on a thread of its own, so its polling timer ends with it.
Job run(Job job) {
    HANDLE thread = CreateThread(nullptr, 0, runJob, &job, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return job;
}

} // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

int wmain(int argc, wchar_t** argv) {
    const double seconds = argc > 1 ? _wtof(argv[1]) : 10.0;
    const int ticks = argc > 2 ? _wtoi(argv[2]) : 2000;

    std::printf("one tick (median of %d), program's two combinations, no key down\n", ticks);
    const Job bare = run({.window = false, .realKeys = true, .ticks = ticks});
    const Job windowed = run({.window = true, .realKeys = true, .ticks = ticks});
    const Job walk = run({.window = true, .realKeys = false, .ticks = ticks});
    std::printf("  thread without windows    %9.1f us/tick  %6.3f us/query\n", bare.tickUs,
                bare.tickUs / 255);
    std::printf("  thread owning a window    %9.1f us/tick  %6.3f us/query\n", windowed.tickUs,
                windowed.tickUs / 255);
    std::printf("  walk only (constant keys) %9.1f us/tick\n", walk.tickUs);
    const long allocated = bare.tickAllocations + windowed.tickAllocations + walk.tickAllocations;
    std::printf("  allocations in %d ticks: %ld\n", 3 * ticks, allocated);

    std::printf("process CPU over %.0f s idle, window shown, 10 ms timer\n", seconds);
    const Job quiet = run({.window = true, .polling = false, .seconds = seconds});
    const Job gui = run({.window = true, .polling = true, .seconds = seconds});
    const Job windowless = run({.window = false, .polling = true, .seconds = seconds});
    std::printf("  not polling                          %6.2f %% of a core\n", quiet.cpuPercent);
    std::printf("  polling on the window's thread       %6.2f %% of a core  (%ld ticks)\n",
                gui.cpuPercent, gui.ticksDelivered);
    std::printf("  polling on a thread without windows  %6.2f %% of a core  (%ld ticks)\n",
                windowless.cpuPercent, windowless.ticksDelivered);
    // A stretch that used less than one step of the process clock reads 0: compare against
    // one step then, so the ratio is a lower bound.
    const double step = 100.0 * cpuClockStepUs() / (seconds * 1e6);
    const bool belowStep = quiet.cpuPercent < step;
    const double floor = belowStep ? step : quiet.cpuPercent;
    std::printf("  ratio polling / not polling: %s%.1fx on the window's thread, %s%.1fx without "
                "windows%s\n",
                belowStep ? ">=" : "", gui.cpuPercent / floor, belowStep ? ">=" : "",
                windowless.cpuPercent / floor,
                belowStep ? " (not polling used less than one step of the process clock)" : "");
    return allocated == 0 ? 0 : 1;
}
