#pragma once
#include "applier/applier.hpp"

#include <memory>
#include <vector>

namespace bc::win32 {

// Panels whose brightness the system sets (laptops, tablets, some all-in-ones): WMI namespace
// root\WMI, WmiMonitorBrightness to read, WmiMonitorBrightnessMethods.WmiSetBrightness to set.
// Call on a thread that stays in the multithreaded COM apartment while the displays live.
std::vector<std::unique_ptr<Display>> openWmiDisplays();

} // namespace bc::win32
