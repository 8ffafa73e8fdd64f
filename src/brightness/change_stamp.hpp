#pragma once
#include <cstdint>
#include <string>

namespace bc {

// A local date-time to the second, as the second clock reading gives it.
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Whole seconds since the local date-time 1970-01-01 08:00:00 (Unix time on a UTC+8
// machine) followed by the three-digit milliseconds, padded with '0' to 13 characters.
std::string timestampText(int milliseconds, const LocalDateTime& now);

// The signed 32-bit difference of two wrapped stamps.
std::int32_t stampDifference(std::int32_t current, std::int32_t previous);

// A change 1 to 99 ms after the previous one does not start the applier; any other
// difference (including 0 and a clock that stepped back) does.
bool shouldLaunchApplier(std::int32_t elapsed);

} // namespace bc
