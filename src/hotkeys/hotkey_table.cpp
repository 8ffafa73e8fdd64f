#include "hotkeys/hotkey_table.hpp"

namespace bc {

HotkeyRegistration addHotkey(HotkeyTable& table, HotkeyAction action, std::int32_t keyCode,
                             std::int32_t modifiers, std::int32_t secondKeyCode,
                             std::int32_t intervalMs, bool callDirectly) {
    if (reducedKeyCode(keyCode) == 0)
        return {};

    const std::size_t n = table.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        HotkeyRecord& record = *table.records[i];
        if (record.keyCode == keyCode && record.modifiers == modifiers &&
            record.secondKeyCode == secondKeyCode) {
            record.action = action;
            record.callDirectly = callDirectly ? 1 : 0;
            return {record.id, 0};
        }
    }

    auto record = std::make_unique<HotkeyRecord>();
    record->id = kFirstHotkeyId + static_cast<std::int32_t>(n);
    record->action = action;
    record->keyCode = keyCode;
    record->modifiers = modifiers;
    record->secondKeyCode = secondKeyCode;
    record->phase = kPhaseIdle;
    record->callDirectly = callDirectly ? 1 : 0;
    const std::int32_t id = record->id;
    table.records.push_back(std::move(record));

    if (id != kFirstHotkeyId)
        return {id, 0};
    return {id, intervalMs > 0 ? intervalMs : kDefaultPollPeriodMs};
}

void releaseHotkeyRecords(HotkeyTable& table) {
    for (auto& record : table.records)
        record.reset();
    std::vector<std::unique_ptr<HotkeyRecord>>().swap(table.records);
}

} // namespace bc
