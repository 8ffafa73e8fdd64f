#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace bc::win32 {

// A piece of work for a thread of its own; shared between the waiting caller and the thread,
// so a call that is given up on can still finish and free itself later.
class TimedWork {
  public:
    virtual ~TimedWork() = default;
    virtual void run() = 0;
};

// Runs the work on a new thread (in the multithreaded COM apartment) and waits at most
// timeoutMs for it. False when it did not finish in time or no thread could be made: the
// thread is then left running, and anyCallAbandoned() turns true for the rest of the process.
bool runWithin(DWORD timeoutMs, std::shared_ptr<TimedWork> work);

bool anyCallAbandoned();

// The result of work(), or nothing when it did not return in time. The work must capture
// only by value: a call given up on may still run after the caller has moved on.
template <typename F> auto callWithin(DWORD timeoutMs, F work) {
    using Result = std::invoke_result_t<F&>;
    struct Job : TimedWork {
        explicit Job(F f) : fn(std::move(f)) {}
        void run() override { result.emplace(fn()); }
        F fn;
        std::optional<Result> result;
    };
    auto job = std::make_shared<Job>(std::move(work));
    std::optional<Result> result;
    if (runWithin(timeoutMs, job))
        result = std::move(job->result);
    return result;
}

} // namespace bc::win32
