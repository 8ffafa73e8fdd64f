#include "hotkeys/hotkey_poll.hpp"
#include "hotkeys/hotkey_table.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int kAlt = 18, kCtrl = 17, kShift = 16, kLWin = 91, kRWin = 92;
constexpr int kMinus = 189, kEquals = 187, kA = 65;

unsigned long actionA(void*) {
    return 1;
}
unsigned long actionB(void*) {
    return 2;
}

// A snapshot with the listed keys down and the `tapped` ones showing only the low bit.
bc::KeySnapshot keys(std::initializer_list<int> down, std::initializer_list<int> tapped = {}) {
    bc::KeySnapshot snapshot;
    for (int code : down)
        snapshot.set(static_cast<std::uint8_t>(code), static_cast<std::int16_t>(0x8000));
    for (int code : tapped)
        snapshot.set(static_cast<std::uint8_t>(code), 1);
    return snapshot;
}

std::vector<std::int32_t> tick(bc::HotkeyTable& table, const bc::KeySnapshot& snapshot) {
    std::vector<std::int32_t> fired;
    bc::tickHotkeys(table, snapshot, [&](const bc::HotkeyRecord& r) { fired.push_back(r.id); });
    return fired;
}

TEST(ReducedKeyCode, MagnitudeModulo256WithoutOverflow) {
    const struct {
        std::int32_t code;
        int reduced;
    } cases[] = {{189, 189}, {-189, 189},  {445, 189},     {-445, 189},       {1, 1},
                 {255, 255}, {-255, 255},  {0, 0},         {256, 0},          {-256, 0},
                 {-512, 0},  {INT_MIN, 0}, {INT_MAX, 255}, {INT_MIN + 1, 255}};
    for (const auto& c : cases)
        EXPECT_EQ(bc::reducedKeyCode(c.code), c.reduced) << c.code;
}

TEST(AddHotkey, IdsCountUpAndOnlyTheFirstAcceptedStartsTheTimer) {
    bc::HotkeyTable table;
    for (std::int32_t refused : {0, 256, -512, INT_MIN}) {
        const auto r = bc::addHotkey(table, actionA, refused, 1, 0, 50, false);
        EXPECT_EQ(r.id, 0) << refused;
        EXPECT_EQ(r.timerPeriodMs, 0) << refused;
        EXPECT_TRUE(table.records.empty());
    }
    const auto first = bc::addHotkey(table, actionA, kMinus, 1, 0, 0, false);
    EXPECT_EQ(first.id, 1000001);
    EXPECT_EQ(first.timerPeriodMs, 10);
    const auto second = bc::addHotkey(table, actionB, kEquals, 1, 0, 500, false);
    EXPECT_EQ(second.id, 1000002);
    EXPECT_EQ(second.timerPeriodMs, 0);
    // The same key with the other sign, or another raw value reducing to it, is a new record.
    EXPECT_EQ(bc::addHotkey(table, actionA, -kMinus, 1, 0, 0, false).id, 1000003);
    EXPECT_EQ(bc::addHotkey(table, actionA, kMinus + 256, 1, 0, 0, false).id, 1000004);
    EXPECT_EQ(bc::addHotkey(table, actionA, kMinus, 2, 0, 0, false).id, 1000005);
    EXPECT_EQ(bc::addHotkey(table, actionA, kMinus, 1, kA, 0, false).id, 1000006);
    ASSERT_EQ(table.records.size(), 6u);
    EXPECT_EQ(table.records[2]->keyCode, -kMinus);
    for (const auto& record : table.records)
        EXPECT_EQ(record->phase, bc::kPhaseIdle);
}

TEST(AddHotkey, TimerPeriodIsTheFirstAcceptedIntervalWhenPositive) {
    const struct {
        std::int32_t interval, period;
    } cases[] = {{50, 50}, {1, 1}, {0, 10}, {-5, 10}, {INT_MIN, 10}, {INT_MAX, INT_MAX}};
    for (const auto& c : cases) {
        bc::HotkeyTable table;
        EXPECT_EQ(bc::addHotkey(table, actionA, 256, 0, 0, 999, false).timerPeriodMs, 0);
        EXPECT_EQ(bc::addHotkey(table, actionA, kA, 0, 0, c.interval, false).timerPeriodMs,
                  c.period)
            << c.interval;
    }
}

TEST(AddHotkey, ReRegistrationUpdatesActionAndCallModeOnly) {
    bc::HotkeyTable table;
    bc::addHotkey(table, actionA, kMinus, 1, 0, 0, false);
    bc::addHotkey(table, actionA, kEquals, 1, 0, 0, false);
    table.records[0]->phase = bc::kPhaseSpent;

    const auto again = bc::addHotkey(table, actionB, kMinus, 1, 0, 40, true);
    EXPECT_EQ(again.id, 1000001);
    EXPECT_EQ(again.timerPeriodMs, 0);
    ASSERT_EQ(table.records.size(), 2u);
    const bc::HotkeyRecord& r = *table.records[0];
    EXPECT_EQ(r.action, &actionB);
    EXPECT_NE(r.callDirectly, 0);
    EXPECT_EQ(r.phase, bc::kPhaseSpent);
    EXPECT_EQ(r.keyCode, kMinus);
    EXPECT_EQ(table.records[1]->action, &actionA);

    bc::addHotkey(table, actionA, kMinus, 1, 0, 0, false);
    EXPECT_EQ(table.records[0]->callDirectly, 0);
}

// Every cell of the phase table, one record with no modifiers wanted and none held, so an
// attempt fires; the same cells with a wrong modifier held show the press is used all the same.
TEST(AdvanceHotkey, PhaseTable) {
    enum Key { Up, Down, Tapped };
    const struct {
        std::uint8_t phase;
        int sign;
        Key key;
        std::uint8_t after;
        bool fires;
    } cases[] = {
        {0, +1, Up, 0, false},     {0, -1, Up, 0, false},       {0, +1, Down, 88, true},
        {0, -1, Down, 1, false},   {0, +1, Tapped, 0, false},   {0, -1, Tapped, 0, false},
        {1, -1, Up, 88, true},     {1, -1, Down, 1, false},     {1, -1, Tapped, 88, true},
        {88, +1, Up, 0, false},    {88, -1, Up, 0, false},      {88, +1, Down, 88, false},
        {88, -1, Down, 88, false}, {88, +1, Tapped, 88, false}, {88, -1, Tapped, 88, false},
    };
    for (bool wrongModifier : {false, true}) {
        for (const auto& c : cases) {
            bc::HotkeyRecord record;
            record.keyCode = c.sign * kA;
            record.phase = c.phase;
            bc::KeySnapshot snapshot = c.key == Down     ? keys({kA})
                                       : c.key == Tapped ? keys({}, {kA})
                                                         : keys({});
            if (wrongModifier)
                snapshot.set(kCtrl, -1);
            const std::string where = "phase " + std::to_string(c.phase) + " sign " +
                                      std::to_string(c.sign) + " key " + std::to_string(c.key) +
                                      (wrongModifier ? " with Ctrl" : "");
            EXPECT_EQ(bc::advanceHotkey(record, snapshot), c.fires && !wrongModifier) << where;
            EXPECT_EQ(record.phase, c.after) << where;
        }
    }
}

TEST(HeldModifiers, GenericKeysAndTheLeftWindowsKeyOnly) {
    EXPECT_EQ(bc::heldModifiers(keys({})), 0);
    EXPECT_EQ(bc::heldModifiers(keys({kAlt, kCtrl, kShift, kLWin})), 15);
    EXPECT_EQ(bc::heldModifiers(keys({kRWin, 160, 161, 162, 163, 164, 165})), 0); // sided keys
    EXPECT_EQ(bc::heldModifiers(keys({}, {kAlt, kShift})), 0); // a tap is not held
}

struct Tick {
    bc::KeySnapshot keys;
    std::vector<std::int32_t> fired;
};

struct Combination {
    std::int32_t keyCode, modifiers, secondKeyCode;
};

struct Scenario {
    const char* name;
    std::vector<Combination> combinations;
    std::vector<Tick> ticks;
};

// Sequences of snapshots against registered combinations: ids fired on each tick, in order.
TEST(TickHotkeys, Scenarios) {
    const std::int32_t first = 1000001, second = 1000002;
    const Scenario scenarios[] = {
        {"press with Alt fires once, holding fires nothing, a new press fires again",
         {{kMinus, 1, 0}},
         {{keys({kAlt}), {}},
          {keys({kAlt, kMinus}), {first}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt}), {}},
          {keys({kAlt, kMinus}), {first}}}},
        {"key before the modifier: the press is used up until released",
         {{kMinus, 1, 0}},
         {{keys({kMinus}), {}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt}), {}},
          {keys({kAlt, kMinus}), {first}}}},
        {"an extra modifier prevents the firing; the right Windows key is not looked at",
         {{kMinus, 1, 0}},
         {{keys({kAlt, kShift, kMinus}), {}},
          {keys({}), {}},
          {keys({kAlt, kCtrl, kMinus}), {}},
          {keys({}), {}},
          {keys({kAlt, kLWin, kMinus}), {}},
          {keys({}), {}},
          {keys({kAlt, kRWin, kMinus}), {first}}}},
        {"two records seen down on one tick fire in table order, not key order",
         {{kEquals, 1, 0}, {kMinus, 1, 0}},
         {{keys({kAlt, kMinus, kEquals}), {first, second}}}},
        {"a tap between ticks fires nothing, whatever the sign",
         {{kMinus, 1, 0}, {-kEquals, 1, 0}},
         {{keys({kAlt}, {kMinus, kEquals}), {}}, {keys({kAlt}), {}}}},
        {"keys already held when registered fire on the first tick",
         {{kMinus, 1, 0}},
         {{keys({kAlt, kMinus}), {first}}}},
        {"no modifiers wanted means none may be held",
         {{kA, 0, 0}},
         {{keys({kShift, kA}), {}}, {keys({}), {}}, {keys({kA}), {first}}}},
        {"a modifier sum outside 0 to 15 never matches",
         {{kA, 16, 0}, {kA, -1, 0}},
         {{keys({kA}), {}}, {keys({kAlt, kCtrl, kShift, kLWin, kA}), {}}}},
        {"negative code fires on release, once per release, with the modifiers still held",
         {{-kMinus, 1, 0}},
         {{keys({kAlt, kMinus}), {}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt}), {first}},
          {keys({kAlt}), {}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt}, {kMinus}), {first}}, // released and tapped again since the last tick
          {keys({kAlt}), {}}}},
        {"negative code: modifiers let go before the key fire nothing",
         {{-kMinus, 1, 0}},
         {{keys({kAlt, kMinus}), {}},
          {keys({kMinus}), {}},
          {keys({}), {}}, // the release is used up, so the key must be seen up once more
          {keys({}), {}},
          {keys({kAlt, kMinus}), {}},
          {keys({kAlt}), {first}}}},
        {"positive and negative code on one key: one on the press, the other on the release",
         {{kMinus, 1, 0}, {-kMinus, 1, 0}},
         {{keys({kAlt, kMinus}), {first}}, {keys({kAlt, kMinus}), {}}, {keys({kAlt}), {second}}}},
        {"the second key must be down on the same tick; its sign is ignored and it is reduced",
         {{kA, 2, -kShift}, {kA, 2, kEquals + 256}},
         {{keys({kCtrl, kA}), {}},
          {keys({kCtrl, kShift}), {}},
          {keys({kCtrl, kShift, kA}), {}}, // Shift counts as a modifier too: sum 6, not 2
          {keys({kCtrl}), {}},
          {keys({kCtrl, kEquals}, {kA}), {}},
          {keys({kCtrl, kEquals, kA}), {second}}}},
        {"a second key that reduces to 0 names no key and never fires",
         {{kA, 0, 256}, {kA, 0, INT_MIN}},
         {{keys({kA}), {}}, {keys({}), {}}, {keys({kA, 255, 1}), {}}}},
    };
    for (const auto& scenario : scenarios) {
        bc::HotkeyTable table;
        for (const auto& c : scenario.combinations)
            ASSERT_NE(
                bc::addHotkey(table, actionA, c.keyCode, c.modifiers, c.secondKeyCode, 0, false).id,
                0);
        for (std::size_t t = 0; t < scenario.ticks.size(); ++t)
            EXPECT_EQ(tick(table, scenario.ticks[t].keys), scenario.ticks[t].fired)
                << scenario.name << ", tick " << t;
    }
}

// A record registered by an action run during a tick waits for the next tick, even though its
// key is already down; a re-registration of a later record takes effect within the same tick.
TEST(TickHotkeys, TableLengthIsTakenOnceAndRecordsAreReadWhenTheyFire) {
    bc::HotkeyTable table;
    bc::addHotkey(table, actionA, kMinus, 1, 0, 0, true);
    bc::addHotkey(table, actionA, kEquals, 1, 0, 0, false);
    std::vector<std::pair<std::int32_t, bc::HotkeyAction>> fired;
    auto fire = [&](const bc::HotkeyRecord& r) {
        fired.emplace_back(r.id, r.action);
        if (r.id == 1000001) {
            bc::addHotkey(table, actionA, kA, 1, 0, 0, false);
            bc::addHotkey(table, actionB, kEquals, 1, 0, 0, false);
        }
    };
    bc::tickHotkeys(table, keys({kAlt, kMinus, kEquals, kA}), fire);
    using Firing = std::pair<std::int32_t, bc::HotkeyAction>;
    EXPECT_EQ(fired, (std::vector<Firing>{{1000001, actionA}, {1000002, actionB}}));
    ASSERT_EQ(table.records.size(), 3u);
    EXPECT_EQ(table.records[2]->phase, bc::kPhaseIdle);

    fired.clear();
    bc::tickHotkeys(table, keys({kAlt, kMinus, kEquals, kA}), fire);
    EXPECT_EQ(fired, (std::vector<Firing>{{1000003, actionA}}));
}

} // namespace
