#include "brightness/win32/hotkey_actions.hpp"

#include "app/win32/main_window.hpp"
#include "brightness/level_gestures.hpp"
#include "hotkeys/win32/hotkeys.hpp"

namespace bc::win32 {
namespace {

constexpr std::int32_t kMinusKey = 189;  // VK_OEM_MINUS
constexpr std::int32_t kEqualsKey = 187; // VK_OEM_PLUS
constexpr std::int32_t kAlt = 1;

} // namespace

unsigned long levelDownHotkeyAction(void*) {
    postLevelStep(-kHotkeyStep);
    return 0;
}

unsigned long levelUpHotkeyAction(void*) {
    postLevelStep(kHotkeyStep);
    return 0;
}

void registerLevelHotkeys() {
    registerHotkey(levelDownHotkeyAction, kMinusKey, kAlt);
    registerHotkey(levelUpHotkeyAction, kEqualsKey, kAlt);
}

} // namespace bc::win32
