#pragma once
#include "applier/applier.hpp"

#include <memory>

namespace bc::win32 {

// The displays this build talks to: the real back ends in brightness.exe, a recording fake in
// the test build. Made after the applier has the turn.
std::unique_ptr<DisplaySource> makeDisplaySource();

} // namespace bc::win32
