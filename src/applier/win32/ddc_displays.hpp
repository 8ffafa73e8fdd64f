#pragma once
#include "applier/applier.hpp"

#include <memory>
#include <vector>

namespace bc::win32 {

// External monitors over DDC/CI (dxva2): one display per physical monitor.
std::vector<std::unique_ptr<Display>> openDdcDisplays();

} // namespace bc::win32
