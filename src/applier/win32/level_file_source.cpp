#include "applier/win32/level_file_source.hpp"

#include "applier/level_text.hpp"

#include <vector>

namespace bc::win32 {
namespace {

// The utility opens the file for writing without sharing; it holds it for a moment only.
constexpr DWORD kBusyRetryMs = 10;
constexpr int kBusyRetries = 50;
// A level is a few digits; a huge file ends here as if the text ended.
constexpr DWORD kMaxBytes = 1 << 20;
constexpr DWORD kPollMs = 50;

std::wstring directoryOf(const std::wstring& fileName) {
    std::vector<wchar_t> full(MAX_PATH);
    wchar_t* namePart = nullptr;
    for (;;) {
        const DWORD n = GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(full.size()),
                                         full.data(), &namePart);
        if (n == 0)
            return L".";
        if (n < full.size())
            break;
        full.resize(n + 1);
    }
    if (namePart == nullptr)
        return L".";
    return std::wstring(full.data(), namePart);
}

} // namespace

LevelFileSource::LevelFileSource(std::wstring fileName)
    : fileName_(std::move(fileName)),
      // Watching starts before the first read, so no change can slip in between.
      watch_(FindFirstChangeNotificationW(directoryOf(fileName_).c_str(), FALSE,
                                          FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                              FILE_NOTIFY_CHANGE_LAST_WRITE)) {}

LevelFileSource::Stamp LevelFileSource::stamp() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    Stamp s;
    if (!GetFileAttributesExW(fileName_.c_str(), GetFileExInfoStandard, &data))
        return s;
    s.exists = true;
    s.written = data.ftLastWriteTime;
    s.created = data.ftCreationTime;
    s.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return s;
}

bool LevelFileSource::same(const Stamp& a, const Stamp& b) {
    return a.exists == b.exists && a.size == b.size &&
           CompareFileTime(&a.written, &b.written) == 0 &&
           CompareFileTime(&a.created, &b.created) == 0;
}

std::optional<std::int32_t> LevelFileSource::readLevel() {
    lastRead_ = stamp();
    FileHandle file;
    for (int attempt = 0;; ++attempt) {
        // Shared in every way and open only for the moment of reading, so that the utility's
        // unshared open is refused as rarely as possible.
        file = FileHandle(CreateFileW(fileName_.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            break;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            attempt >= kBusyRetries)
            return std::nullopt;
        Sleep(kBusyRetryMs);
    }
    LevelTextReader reader;
    char buffer[256];
    DWORD total = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return std::nullopt;
        if (got == 0 || !reader.feed(std::string_view(buffer, got)))
            break;
        total += got;
        if (total >= kMaxBytes)
            break;
    }
    lastLevel_ = reader.level();
    return lastLevel_;
}

bool LevelFileSource::changedSinceRead() {
    if (!same(stamp(), lastRead_))
        return true;
    // Same size and time: on FAT the time has a two-second grain, so look at the content
    // too before calling a notification (perhaps about another file) no change.
    const auto before = lastLevel_;
    const auto now = readLevel();
    return now != before;
}

bool LevelFileSource::waitForChange(std::int32_t timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        const auto left = static_cast<DWORD>(deadline - now);
        if (watch_) {
            if (WaitForSingleObject(watch_.get(), left) != WAIT_OBJECT_0)
                return false;
            if (!FindNextChangeNotification(watch_.get()))
                watch_.reset();
            if (changedSinceRead())
                return true;
        } else {
            Sleep(left < kPollMs ? left : kPollMs);
            if (!same(stamp(), lastRead_))
                return true;
        }
    }
}

} // namespace bc::win32
