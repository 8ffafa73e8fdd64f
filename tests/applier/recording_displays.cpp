// Fake displays for the applier's cross-process tests: the applier's own shell and decisions
// against two displays that live in files beside the executable.
//
//   fake-displays.state  one "key value" line per display: its current value, kept across runs
//   fake-displays.log    one line per event: "<microseconds> <pid> <event> <key> <value>", with
//                        events turn, open, read-begin, read-end, write-begin, write-end, done
//
// Each call takes a while, as over DDC/CI. BC_FAKE_HANG=write makes writes never return.
#include "applier/win32/display_source.hpp"
#include "applier/win32/handles.hpp"
#include "applier/win32/timed_call.hpp"
#include "shared/decimal_text.hpp"

#include <windows.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace bc::win32 {
namespace {

constexpr DWORD kReadMs = 20;
constexpr DWORD kWriteMs = 60;
constexpr DWORD kCallMs = 1000;

std::wstring besideExecutable(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

std::int64_t microseconds() {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::int64_t>(now.QuadPart * 1'000'000.0 / frequency.QuadPart);
}

void logEvent(const char* event, const std::string& key, std::uint32_t value) {
    const std::string line = decimalText(microseconds()) + " " +
                             decimalText(GetCurrentProcessId()) + " " + event + " " + key + " " +
                             decimalText(value) + "\n";
    // Appends are atomic per write, so lines from several processes never mix.
    FileHandle log(CreateFileW(besideExecutable(L"fake-displays.log").c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (log)
        WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::map<std::string, std::uint32_t> loadState() {
    std::map<std::string, std::uint32_t> state;
    std::ifstream in(besideExecutable(L"fake-displays.state").c_str());
    std::string key;
    std::uint32_t value = 0;
    while (in >> key >> value)
        state[key] = value;
    return state;
}

void saveState(const std::map<std::string, std::uint32_t>& state) {
    std::ofstream out(besideExecutable(L"fake-displays.state").c_str(), std::ios::trunc);
    for (const auto& [key, value] : state)
        out << key << ' ' << value << '\n';
}

class RecordingDisplay : public Display {
  public:
    RecordingDisplay(std::string key, BrightnessRange range)
        : key_(std::move(key)), range_(range) {}

    std::string key() const override { return key_; }
    std::string backEnd() const override { return "fake"; }
    std::string description() const override { return "recording " + key_; }

    std::optional<BrightnessRange> readRange() override {
        logEvent("read-begin", key_, 0);
        Sleep(kReadMs);
        BrightnessRange range = range_;
        const auto state = loadState();
        if (const auto it = state.find(key_); it != state.end())
            range.current = it->second;
        logEvent("read-end", key_, range.current);
        return range;
    }

    bool write(std::uint32_t value) override {
        const std::string key = key_;
        char hang[16] = {};
        const bool hangs = GetEnvironmentVariableA("BC_FAKE_HANG", hang, sizeof hang) > 0 &&
                           std::string(hang) == "write";
        // Through the same time bound as a real monitor's calls.
        return callWithin(kCallMs,
                          [key, value, hangs] {
                              logEvent("write-begin", key, value);
                              if (hangs)
                                  Sleep(INFINITE);
                              Sleep(kWriteMs);
                              auto state = loadState();
                              state[key] = value;
                              saveState(state);
                              logEvent("write-end", key, value);
                              return true;
                          })
            .value_or(false);
    }

  private:
    std::string key_;
    BrightnessRange range_;
};

// Made when the applier has the turn and dropped just before it lets go, so "turn" and "done"
// bracket each applier's time at the displays.
class RecordingDisplays : public DisplaySource {
  public:
    RecordingDisplays() { logEvent("turn", "-", 0); }
    ~RecordingDisplays() override { logEvent("done", "-", 0); }
    std::vector<std::unique_ptr<Display>> openDisplays() override {
        logEvent("open", "-", 0);
        std::vector<std::unique_ptr<Display>> displays;
        displays.push_back(
            std::make_unique<RecordingDisplay>("panel", BrightnessRange{0, 50, 100}));
        displays.push_back(
            std::make_unique<RecordingDisplay>("monitor", BrightnessRange{10, 50, 255}));
        return displays;
    }
};

} // namespace

std::unique_ptr<DisplaySource> makeDisplaySource() {
    return std::make_unique<RecordingDisplays>();
}

} // namespace bc::win32
