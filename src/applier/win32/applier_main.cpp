#include "applier/win32/applier_main.hpp"

#include "applier/applier.hpp"
#include "applier/win32/console_text.hpp"
#include "applier/win32/display_source.hpp"
#include "applier/win32/handles.hpp"
#include "applier/win32/level_file_source.hpp"
#include "applier/win32/session.hpp"
#include "applier/win32/timed_call.hpp"

#include <windows.h>

#include <string>
#include <vector>

namespace bc::win32 {
namespace {

constexpr wchar_t kLevelFileName[] = L"brightness.txt";
// Waiting for the turn: longer than one applier normally holds it (its follow limit).
constexpr DWORD kTurnWaitMs = 15000;
// Nothing outlives this: whatever hangs, the process ends with the timed-out code.
constexpr DWORD kRunLimitMs = 45000;

// Ends the process when the run limit passes, from a thread of its own.
class Watchdog {
  public:
    Watchdog()
        : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          thread_(stop_ ? CreateThread(nullptr, 0, watch, stop_.get(), 0, nullptr) : nullptr) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        if (thread_) {
            SetEvent(stop_.get());
            WaitForSingleObject(thread_.get(), INFINITE);
        }
    }

  private:
    static DWORD WINAPI watch(void* stop) {
        if (WaitForSingleObject(static_cast<HANDLE>(stop), kRunLimitMs) == WAIT_TIMEOUT)
            TerminateProcess(GetCurrentProcess(), static_cast<UINT>(ApplierExit::TimedOut));
        return 0;
    }
    KernelHandle stop_;
    KernelHandle thread_;
};

ApplierExit run(ApplierCommand command) {
    // Opened before waiting, so the record outlives the applier ahead of this one.
    SharedAppliedRecord shared;
    DisplayTurn turn;
    if (!turn.acquire(kTurnWaitMs))
        return ApplierExit::TimedOut;
    auto displays = makeDisplaySource();
    if (command == ApplierCommand::List) {
        std::string out;
        const ApplierExit code = listDisplays(*displays, out);
        writeOut(out);
        return code;
    }
    // The file is read only now that the turn is ours, so the level is the latest one.
    LevelFileSource levels(kLevelFileName);
    AppliedRecord record = shared.load();
    const ApplierExit code = applyLatestLevel(levels, *displays, record);
    shared.store(record);
    return code;
}

} // namespace

int runApplier(int argc, wchar_t** argv) {
    // Started hidden, often with nobody watching: no error boxes, not even for a crash.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    Watchdog watchdog;

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(utf8FromWide(argv[i]));
    const ApplierCommand command = parseApplierArguments(arguments);
    if (command == ApplierCommand::Help) {
        writeOut(applierUsageText());
        return static_cast<int>(ApplierExit::Done);
    }
    if (command == ApplierCommand::Invalid) {
        writeError("brightness.exe: unknown command line\n\n");
        writeError(applierUsageText());
        return static_cast<int>(ApplierExit::BadCommandLine);
    }

    ApplierExit code = run(command);
    // A display call that never returned is still running on its thread (the displays left
    // their handles to it): end at once rather than risk exit handling waiting behind it.
    if (anyCallAbandoned()) {
        if (code == ApplierExit::Done)
            code = ApplierExit::DisplayFailed;
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    }
    return static_cast<int>(code);
}

} // namespace bc::win32
