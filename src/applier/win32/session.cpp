#include "applier/win32/session.hpp"

#include <cstring>

namespace bc::win32 {
namespace {

// "Local\" is the namespace of the current session.
constexpr wchar_t kTurnName[] = L"Local\\BrightnessControl.Applier.Turn";
constexpr wchar_t kRecordName[] = L"Local\\BrightnessControl.Applier.Applied";

} // namespace

DisplayTurn::DisplayTurn() : mutex_(CreateMutexW(nullptr, FALSE, kTurnName)) {}

DisplayTurn::~DisplayTurn() {
    if (owned_)
        ReleaseMutex(mutex_.get());
}

bool DisplayTurn::acquire(DWORD timeoutMs) {
    // Without the mutex (another user's object of the same name, say) go on alone rather than
    // leave the level unapplied.
    if (!mutex_)
        return true;
    const DWORD result = WaitForSingleObject(mutex_.get(), timeoutMs);
    // Abandoned: the previous holder ended without letting go; the turn is ours all the same.
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return owned_;
}

SharedAppliedRecord::SharedAppliedRecord()
    : section_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(AppliedRecord), kRecordName)) {
    if (section_)
        view_ = MappedView(MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
}

AppliedRecord SharedAppliedRecord::load() const {
    AppliedRecord record = local_;
    if (view_)
        std::memcpy(&record, view_.get(), sizeof record);
    return record;
}

void SharedAppliedRecord::store(const AppliedRecord& record) {
    local_ = record;
    if (view_)
        std::memcpy(view_.get(), &record, sizeof record);
}

} // namespace bc::win32
