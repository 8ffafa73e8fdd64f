#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace bc::win32 {

enum class LevelFileWrite {
    Written,
    Busy,   // another program has the file open right now; worth another try shortly
    Failed, // read-only, a folder of that name, a vanished directory, ...
};

// Creates or truncates the file, opened for writing only and not shared, and writes the bytes.
LevelFileWrite writeLevelFile(const std::wstring& fileName, std::string_view bytes);

// Reads the stored level from an existing file without creating it; a missing or unreadable
// file gives 0. Only as much of the file is read as the level needs.
std::int32_t readLevelFile(const std::wstring& fileName);

} // namespace bc::win32
