#include "applier/win32/timed_call.hpp"

#include "applier/win32/com.hpp"
#include "applier/win32/handles.hpp"

namespace bc::win32 {
namespace {

volatile LONG abandonedCalls = 0;

DWORD WINAPI runWork(void* parameter) {
    // The apartment outlives the work, which may hold COM references.
    ComApartment apartment;
    // The thread owns one reference; the caller may already have let go of its own.
    std::unique_ptr<std::shared_ptr<TimedWork>> work(
        static_cast<std::shared_ptr<TimedWork>*>(parameter));
    (*work)->run();
    return 0;
}

} // namespace

bool runWithin(DWORD timeoutMs, std::shared_ptr<TimedWork> work) {
    auto* parameter = new std::shared_ptr<TimedWork>(std::move(work));
    KernelHandle thread(CreateThread(nullptr, 0, runWork, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
        return false;
    }
    // The thread's end, not just the work's: its apartment is left and its reference dropped.
    if (WaitForSingleObject(thread.get(), timeoutMs) == WAIT_OBJECT_0)
        return true;
    InterlockedIncrement(&abandonedCalls);
    return false;
}

bool anyCallAbandoned() {
    return InterlockedCompareExchange(&abandonedCalls, 0, 0) != 0;
}

} // namespace bc::win32
