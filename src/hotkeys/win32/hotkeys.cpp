#include "hotkeys/win32/hotkeys.hpp"

#include "hotkeys/hotkey_poll.hpp"
#include "win32/unique_handle.hpp"

#include <memory>
#include <type_traits>

namespace bc::win32 {

static_assert(std::is_same_v<HotkeyAction, LPTHREAD_START_ROUTINE>);

namespace {

constexpr UINT_PTR kPollTimerEventId = 16661;

std::unique_ptr<HotkeyTable> table;
KeyStateSource keyState = &GetAsyncKeyState;

void dispatch(const HotkeyRecord& record) {
    const HotkeyAction action = record.action;
    const INT_PTR id = record.id;
    if (record.callDirectly != 0) {
        CallWindowProcW(reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(action)),
                        reinterpret_cast<HWND>(id), WM_NULL, 0, 0);
        return;
    }
    DWORD threadId = 0;
    // The handle is closed at once: the thread runs on its own and is never waited for. A
    // thread that cannot be made is not noticed; the firing is lost and the press stays used.
    UniqueHandle thread(
        CreateThread(nullptr, 0, action, reinterpret_cast<LPVOID>(id), 0, &threadId));
}

} // namespace

void createHotkeyTable() {
    table = std::make_unique<HotkeyTable>();
}

void releaseHotkeyTable() {
    if (!table)
        return;
    releaseHotkeyRecords(*table);
    table.reset();
}

std::int32_t registerHotkey(HotkeyAction action, std::int32_t keyCode, std::int32_t modifiers,
                            std::int32_t secondKeyCode, std::int32_t intervalMs,
                            bool callDirectly) {
    if (!table)
        return 0;
    const HotkeyRegistration r =
        addHotkey(*table, action, keyCode, modifiers, secondKeyCode, intervalMs, callDirectly);
    // With no window the system picks the timer's identifier; it is not needed afterwards.
    if (r.timerPeriodMs > 0)
        SetTimer(nullptr, kPollTimerEventId, static_cast<UINT>(r.timerPeriodMs), &pollHotkeys);
    return r.id;
}

void CALLBACK pollHotkeys(HWND, UINT, UINT_PTR, DWORD) {
    if (!table)
        return;
    KeySnapshot keys;
    for (int vk = 1; vk <= 255; ++vk)
        keys.state[static_cast<std::size_t>(vk - 1)] = keyState(vk);
    tickHotkeys(*table, keys, dispatch);
}

KeyStateSource setKeyStateSource(KeyStateSource source) {
    const KeyStateSource previous = keyState;
    keyState = source != nullptr ? source : &GetAsyncKeyState;
    return previous;
}

} // namespace bc::win32
