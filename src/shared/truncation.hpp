#pragma once
#include <cmath>
#include <cstdint>

namespace bc {

// A fractional value becomes an integer by truncation toward zero to 64 bits, keeping the
// low 32 bits as a signed value. Values outside the 64-bit range keep the same low bits as
// their exact integer part; NaN gives 0.
inline std::int32_t truncateToInt32(double value) {
    if (std::isnan(value) || std::isinf(value))
        return 0;
    const double remainder = std::fmod(std::trunc(value), 4294967296.0); // exact, |r| < 2^32
    const auto low = static_cast<std::uint32_t>(static_cast<std::int64_t>(remainder));
    return static_cast<std::int32_t>(low);
}

} // namespace bc
