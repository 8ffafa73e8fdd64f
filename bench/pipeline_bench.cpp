// Cost of one level change in the real window, side by side with a bare write of the same
// bytes: the pipeline without the applier launch, and with the launch of a trivial applier
// (scripts\brightness.exe below this program's folder).
#include "app/win32/main_window.hpp"
#include "app/win32/program.hpp"
#include "brightness/level_pipeline.hpp"
#include "brightness/win32/level_routines.hpp"
#include "win32/unique_handle.hpp"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The program's own effects, with the applier launch switched on or off.
class BenchEffects final : public bc::win32::ProgramEffects {
  public:
    bool launch = false;
    void launchApplier() override {
        if (launch)
            ProgramEffects::launchApplier();
    }
};

double nowUs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

struct Samples {
    const char* name;
    std::vector<double> us;
    void print() {
        std::sort(us.begin(), us.end());
        double sum = 0;
        for (double s : us)
            sum += s;
        std::printf("%-30s runs %5zu  median %9.1f us  mean %9.1f us  p90 %9.1f us\n", name,
                    us.size(), us[us.size() / 2], sum / static_cast<double>(us.size()),
                    us[us.size() * 9 / 10]);
    }
};

// Runs the cases in turn, one round at a time, so that both see the same machine load.
template <class A, class B> void interleave(int runs, Samples& a, A&& runA, Samples& b, B&& runB) {
    for (int i = 0; i < runs; ++i) {
        double start = nowUs();
        runA(i);
        a.us.push_back(nowUs() - start);
        start = nowUs();
        runB(i);
        b.us.push_back(nowUs() - start);
    }
    a.print();
    b.print();
}

void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

} // namespace

int wmain() {
    if (!bc::win32::createMainWindow(GetModuleHandleW(nullptr), {}))
        return 1;
    pump();
    bc::AppState& state = bc::win32::appState();
    state.levelFileName = L"brightness.txt";
    BenchEffects effects;

    const auto bareWrite = [](int i) {
        const char bytes[] = {static_cast<char>('1' + i % 9), '7'};
        bc::win32::UniqueHandle f(CreateFileW(L"brightness.txt", GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(f.get(), bytes, 2, &written, nullptr);
    };
    const auto change = [&](int i) {
        bc::win32::mainWindow().position.write(10 + i % 80);
        if (effects.launch)
            state.lastChangeStamp = state.currentChangeStamp - 1000; // outside the skip window
        bc::runLevelPipeline(state, effects);
        pump();
    };

    Samples bare{"bare file write (baseline)", {}};
    Samples pipeline{"pipeline, no launch", {}};
    interleave(2000, bare, bareWrite, pipeline, change);

    effects.launch = true;
    Samples bare2{"bare file write (baseline)", {}};
    Samples launched{"pipeline with applier launch", {}};
    interleave(30, bare2, bareWrite, launched, change);
    DestroyWindow(bc::win32::mainWindow().window);
    return 0;
}
