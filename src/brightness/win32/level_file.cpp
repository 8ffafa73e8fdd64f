#include "brightness/win32/level_file.hpp"

#include "brightness/opening_sequence.hpp"
#include "win32/unique_handle.hpp"

#include <windows.h>

namespace bc::win32 {

LevelFileWrite writeLevelFile(const std::wstring& fileName, std::string_view bytes) {
    UniqueHandle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                   ? LevelFileWrite::Busy
                   : LevelFileWrite::Failed;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size() ? LevelFileWrite::Written : LevelFileWrite::Failed;
}

std::int32_t readLevelFile(const std::wstring& fileName) {
    // Read access only, so a read-only level file still restores the level.
    UniqueHandle file(CreateFileW(fileName.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LevelFileReader reader;
    if (!file)
        return reader.level();
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) || got == 0)
            break;
        if (!reader.feed(std::string_view(chunk, got)))
            break;
    }
    return reader.level();
}

} // namespace bc::win32
