#pragma once
#include "applier/applied_record.hpp"
#include "applier/brightness_range.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bc {

// Exit codes of brightness.exe; the --help text and the README list them.
enum class ApplierExit : int {
    Done = 0,               // level applied, or nothing to do
    BadCommandLine = 1,     // unknown argument
    NoSupportedDisplay = 2, // no display with adjustable brightness
    LevelFileUnreadable = 3,
    DisplayFailed = 4, // a display refused the level or did not answer in time
    TimedOut = 5,      // gave up waiting for the turn, or the whole run took too long
};

enum class ApplierCommand { Apply, List, Help, Invalid };

ApplierCommand parseApplierArguments(const std::vector<std::string>& arguments);

std::string_view applierUsageText();

// One display whose brightness a back end can read and set, in the display's own units. Every
// call may be slow (tens of milliseconds over DDC/CI) or fail.
class Display {
  public:
    virtual ~Display() = default;
    // Identity within the session, for the applied record; also shown by --list.
    virtual std::string key() const = 0;
    virtual std::string backEnd() const = 0;     // "wmi", "ddc"
    virtual std::string description() const = 0; // UTF-8, for --list
    // Nothing when the display cannot report or set its brightness.
    virtual std::optional<BrightnessRange> readRange() = 0;
    // The value the display will actually take for this one; a panel with a few fixed steps
    // answers the nearest step, so read-back and skip-equal compare like with like.
    virtual std::uint32_t settableValue(std::uint32_t value) const { return value; }
    virtual bool write(std::uint32_t value) = 0;
};

class DisplaySource {
  public:
    virtual ~DisplaySource() = default;
    virtual std::vector<std::unique_ptr<Display>> openDisplays() = 0;
};

class LevelSource {
  public:
    virtual ~LevelSource() = default;
    // The clamped level in the level file; nothing when the file cannot be read.
    virtual std::optional<std::int32_t> readLevel() = 0;
    // Waits up to timeoutMs for the level file to change; false when it stayed quiet.
    virtual bool waitForChange(std::int32_t timeoutMs) = 0;
    // Milliseconds on a clock that only moves forward.
    virtual std::int64_t nowMs() = 0;
};

struct ApplierTimings {
    // After applying, the level file is followed until it has been quiet this long: changes
    // that come less than 100 ms after the previous one start no applier of their own, so
    // the one that runs must pick them up.
    std::int32_t quietMs = 300;
    // Following ends after this long all the same, so every applier ends.
    std::int32_t followLimitMs = 10000;
};

// One applier's turn at the displays: read the level, set it on every display that is not
// already at it, then follow the file for further changes. The record carries the levels
// applied by earlier turns and is updated for later ones.
ApplierExit applyLatestLevel(LevelSource& levels, DisplaySource& displays, AppliedRecord& record,
                             const ApplierTimings& timings = {});

// --list: one line per display (back end, level and range or why it cannot be set).
ApplierExit listDisplays(DisplaySource& displays, std::string& out);

} // namespace bc
