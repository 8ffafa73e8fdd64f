#include "shared/decimal_text.hpp"

namespace bc {

std::string decimalText(std::int64_t value) {
    // Work on the magnitude as unsigned so INT64_MIN needs no special case.
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text;
    text.reserve(static_cast<std::size_t>(n) + 1);
    if (value < 0)
        text.push_back('-');
    while (n > 0)
        text.push_back(digits[--n]);
    return text;
}

} // namespace bc
