#pragma once
#include "applier/applied_record.hpp"
#include "applier/win32/handles.hpp"

#include <windows.h>

namespace bc::win32 {

// The right to talk to the displays: one applier at a time in the user's session.
class DisplayTurn {
  public:
    DisplayTurn();
    DisplayTurn(const DisplayTurn&) = delete;
    DisplayTurn& operator=(const DisplayTurn&) = delete;
    ~DisplayTurn();
    // True once this applier has the turn; false when the wait ran out.
    bool acquire(DWORD timeoutMs);

  private:
    KernelHandle mutex_;
    bool owned_ = false;
};

// The applied record in a named section of the session. It lives as long as some applier has it
// open, that is for one burst of changes: a later burst starts empty and checks the displays'
// own values, so a brightness changed meanwhile by other means is never taken as applied.
class SharedAppliedRecord {
  public:
    SharedAppliedRecord();
    // Only while holding the turn.
    AppliedRecord load() const;
    void store(const AppliedRecord& record);

  private:
    KernelHandle section_;
    MappedView view_;
    AppliedRecord local_{};
};

} // namespace bc::win32
