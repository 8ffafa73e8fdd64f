#pragma once
#include <cstdint>
#include <string>

namespace bc {

// Optional minus sign and decimal digits: no leading zeros, no grouping.
std::string decimalText(std::int64_t value);

} // namespace bc
