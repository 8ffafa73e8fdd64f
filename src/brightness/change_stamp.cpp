#include "brightness/change_stamp.hpp"

#include "shared/decimal_text.hpp"
#include "shared/truncation.hpp"

#include <cmath>

namespace bc {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace

std::string timestampText(int milliseconds, const LocalDateTime& now) {
    std::string millisText = decimalText(milliseconds);
    while (millisText.size() < 3)
        millisText.insert(millisText.begin(), '0');

    // The difference in days as a fraction, then to seconds; the small constant keeps
    // the product from landing just below a whole second.
    const double days =
        static_cast<double>(daysFromCivil(now.year, static_cast<unsigned>(now.month),
                                          static_cast<unsigned>(now.day))) +
        (now.hour * 3600.0 + now.minute * 60.0 + now.second - 8 * 3600.0) / 86400.0;
    const double seconds = std::trunc(days * 86400.0 + 0.000005787037037037037);

    std::string text = decimalText(static_cast<std::int64_t>(seconds)) + millisText;
    while (text.size() < 13)
        text.push_back('0');
    return text;
}

std::int32_t stampDifference(std::int32_t current, std::int32_t previous) {
    return truncateToInt32(static_cast<double>(current) - static_cast<double>(previous));
}

bool shouldLaunchApplier(std::int32_t elapsed) {
    return elapsed <= 0 || elapsed >= 100;
}

} // namespace bc
