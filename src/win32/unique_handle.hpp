#pragma once
#include "win32/owned_handle.hpp"

#include <windows.h>

namespace bc::win32 {

// Kernel handles (files, processes, threads, events, mutexes, sections), closed once. Both
// null and INVALID_HANDLE_VALUE count as empty, since CreateFile fails with the one and most
// other calls with the other.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};

using UniqueHandle = OwnedHandle<KernelHandleTraits>;

} // namespace bc::win32
