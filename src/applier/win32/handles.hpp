#pragma once
#include "win32/owned_handle.hpp"
#include "win32/unique_handle.hpp"

#include <windows.h>

namespace bc::win32 {

using KernelHandle = UniqueHandle; // threads, events, mutexes, sections
using FileHandle = UniqueHandle;

struct ChangeWatchTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindCloseChangeNotification(h); }
};
struct MappedViewTraits {
    using Handle = void*;
    static void* empty() { return nullptr; }
    static bool valid(void* view) { return view != nullptr; }
    static void close(void* view) { UnmapViewOfFile(view); }
};

using ChangeWatch = OwnedHandle<ChangeWatchTraits>;
using MappedView = OwnedHandle<MappedViewTraits>;

} // namespace bc::win32
