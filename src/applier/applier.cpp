#include "applier/applier.hpp"

#include "shared/decimal_text.hpp"

#include <algorithm>

namespace bc {

ApplierCommand parseApplierArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return ApplierCommand::Apply;
    if (arguments.size() == 1) {
        const std::string& a = arguments.front();
        if (a == "--list")
            return ApplierCommand::List;
        if (a == "--help" || a == "-h" || a == "/?")
            return ApplierCommand::Help;
    }
    return ApplierCommand::Invalid;
}

std::string_view applierUsageText() {
    return "brightness.exe sets the display brightness to the level in brightness.txt.\n"
           "\n"
           "Usage:\n"
           "  brightness.exe          read brightness.txt in the current directory (0 to 100)\n"
           "                          and set that level on every display that supports it\n"
           "  brightness.exe --list   list the displays found, their back end (wmi: laptop\n"
           "                          panels, ddc: external monitors over DDC/CI), level and\n"
           "                          range\n"
           "  brightness.exe --help   show this text\n"
           "\n"
           "Exit codes:\n"
           "  0  level applied, or nothing to do\n"
           "  1  unknown command line\n"
           "  2  no display with adjustable brightness found\n"
           "  3  brightness.txt missing or unreadable\n"
           "  4  a display refused the level or did not answer in time\n"
           "  5  timed out (another applier kept the displays busy, or a display hung)\n";
}

namespace {

enum class Probe { Unknown, Usable, Unsupported, Failed };

struct DisplayState {
    Probe probe = Probe::Unknown;
    BrightnessRange range;
};

// Some monitors report success for a command they dropped: read the value back and send the
// command once more if it did not take.
bool writeChecked(Display& display, std::uint32_t value) {
    if (!display.write(value))
        return false;
    const auto after = display.readRange();
    if (after && after->current != value)
        return display.write(value);
    return true;
}

struct RoundResult {
    bool anySupported = false;
    bool anyFailed = false;
};

RoundResult applyRound(std::vector<std::unique_ptr<Display>>& displays,
                       std::vector<DisplayState>& states, std::int32_t level,
                       AppliedRecord& record) {
    for (std::size_t i = 0; i < displays.size(); ++i) {
        Display& display = *displays[i];
        DisplayState& state = states[i];
        if (state.probe == Probe::Unsupported || state.probe == Probe::Failed)
            continue;
        const std::string key = display.key();
        // Monitor settings live in memory with limited write cycles: never write a level twice.
        if (record.levelOf(key) == level)
            continue;
        if (state.probe == Probe::Unknown) {
            const auto range = display.readRange();
            if (!range || !isAdjustable(*range)) {
                state.probe = Probe::Unsupported;
                continue;
            }
            state.probe = Probe::Usable;
            state.range = *range;
        }
        const std::uint32_t value = display.settableValue(scaleLevel(level, state.range));
        if (state.range.current != value && !writeChecked(display, value)) {
            state.probe = Probe::Failed;
            record.forget(key);
            continue;
        }
        state.range.current = value;
        record.remember(key, level);
    }
    RoundResult result;
    for (const DisplayState& state : states) {
        result.anySupported = result.anySupported || state.probe != Probe::Unsupported;
        result.anyFailed = result.anyFailed || state.probe == Probe::Failed;
    }
    record.setWholeLevel(result.anySupported && !result.anyFailed ? std::optional(level)
                                                                  : std::nullopt);
    return result;
}

} // namespace

ApplierExit applyLatestLevel(LevelSource& levels, DisplaySource& source, AppliedRecord& record,
                             const ApplierTimings& timings) {
    const auto first = levels.readLevel();
    if (!first)
        return ApplierExit::LevelFileUnreadable;
    // An applier that held the turn before this one already applied what the file says.
    if (record.wholeLevel() == *first)
        return ApplierExit::Done;

    auto displays = source.openDisplays();
    std::vector<DisplayState> states(displays.size());
    RoundResult result = applyRound(displays, states, *first, record);
    if (!result.anySupported)
        return ApplierExit::NoSupportedDisplay;

    std::int32_t applied = *first;
    const std::int64_t start = levels.nowMs();
    for (;;) {
        const std::int64_t left = timings.followLimitMs - (levels.nowMs() - start);
        if (left <= 0)
            break;
        if (!levels.waitForChange(
                static_cast<std::int32_t>(std::min<std::int64_t>(timings.quietMs, left))))
            break;
        const auto next = levels.readLevel();
        if (!next || *next == applied)
            continue;
        result = applyRound(displays, states, *next, record);
        applied = *next;
    }
    return result.anyFailed ? ApplierExit::DisplayFailed : ApplierExit::Done;
}

ApplierExit listDisplays(DisplaySource& source, std::string& out) {
    bool anySupported = false;
    for (const auto& display : source.openDisplays()) {
        out += display->backEnd();
        out += "  ";
        out += display->description();
        const auto range = display->readRange();
        if (range && isAdjustable(*range)) {
            anySupported = true;
            out += "  level " + decimalText(levelOfCurrent(*range)) + " (" +
                   decimalText(range->current) + " in " + decimalText(range->minimum) + ".." +
                   decimalText(range->maximum) + ")\n";
        } else {
            out += "  no brightness control\n";
        }
    }
    if (!anySupported)
        out += "no display with adjustable brightness found\n";
    return anySupported ? ApplierExit::Done : ApplierExit::NoSupportedDisplay;
}

} // namespace bc
