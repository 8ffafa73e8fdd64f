#pragma once
#include "applier/applier.hpp"
#include "applier/win32/handles.hpp"

#include <windows.h>

#include <optional>
#include <string>

namespace bc::win32 {

// The level file in the current directory, read with the utility's rule and watched for
// changes through the directory's change notification.
class LevelFileSource : public LevelSource {
  public:
    explicit LevelFileSource(std::wstring fileName);
    std::optional<std::int32_t> readLevel() override;
    bool waitForChange(std::int32_t timeoutMs) override;
    std::int64_t nowMs() override { return static_cast<std::int64_t>(GetTickCount64()); }

  private:
    struct Stamp {
        FILETIME written{};
        FILETIME created{};
        ULONGLONG size = 0;
        bool exists = false;
    };
    Stamp stamp() const;
    static bool same(const Stamp& a, const Stamp& b);
    bool changedSinceRead();

    std::wstring fileName_;
    ChangeWatch watch_;
    Stamp lastRead_;
    std::optional<std::int32_t> lastLevel_;
};

} // namespace bc::win32
