#include "applier/win32/ddc_displays.hpp"

#include "applier/win32/console_text.hpp"
#include "applier/win32/timed_call.hpp"
#include "shared/decimal_text.hpp"

#include <windows.h>

#include <highlevelmonitorconfigurationapi.h>
#include <physicalmonitorenumerationapi.h>

#include <string>

// dxva2 exports these low-level calls, but the toolchain ships no header for them.
extern "C" {
BOOL WINAPI GetVCPFeatureAndVCPFeatureReply(HANDLE monitor, BYTE code, LPDWORD codeType,
                                            LPDWORD current, LPDWORD maximum);
BOOL WINAPI SetVCPFeature(HANDLE monitor, BYTE code, DWORD value);
}

namespace bc::win32 {
namespace {

constexpr BYTE kVcpBrightness = 0x10;
// Each call takes about 50 ms; reading the capabilities string can take a second or two.
constexpr DWORD kCallMs = 3000;

// How a monitor takes its brightness, found on the first reading.
enum class Route { Unknown, HighLevel, Vcp, None };

struct Reading {
    Route route = Route::None;
    BrightnessRange range;
};

// Nothing (route None) when the monitor does not answer. On the first reading the route is
// unknown: the capabilities decide, and a monitor without the high-level brightness call may
// still answer VCP code 0x10 directly.
Reading readBrightness(HANDLE monitor, Route known) {
    DWORD minimum = 0, current = 0, maximum = 0;
    Route route = known;
    if (route == Route::Unknown) {
        DWORD caps = 0, temperatures = 0;
        const bool highLevel =
            GetMonitorCapabilities(monitor, &caps, &temperatures) && (caps & MC_CAPS_BRIGHTNESS);
        route = highLevel ? Route::HighLevel : Route::Vcp;
    }
    if (route == Route::HighLevel) {
        if (GetMonitorBrightness(monitor, &minimum, &current, &maximum))
            return {Route::HighLevel, {minimum, current, maximum}};
        if (known == Route::HighLevel)
            return {};
    }
    if (GetVCPFeatureAndVCPFeatureReply(monitor, kVcpBrightness, nullptr, &current, &maximum))
        return {Route::Vcp, {0, current, maximum}};
    return {};
}

bool writeBrightness(HANDLE monitor, Route route, DWORD value) {
    if (route == Route::HighLevel && SetMonitorBrightness(monitor, value))
        return true;
    return SetVCPFeature(monitor, kVcpBrightness, value) != FALSE;
}

class DdcDisplay : public Display {
  public:
    DdcDisplay(PHYSICAL_MONITOR monitor, std::wstring device, DWORD index)
        : monitor_(monitor), device_(std::move(device)), index_(index) {}
    DdcDisplay(const DdcDisplay&) = delete;
    DdcDisplay& operator=(const DdcDisplay&) = delete;
    ~DdcDisplay() override {
        // A call given up on may still be using the handle.
        if (!stuck_)
            DestroyPhysicalMonitors(1, &monitor_);
    }

    std::string key() const override {
        return "ddc:" + utf8FromWide(device_) + "#" + decimalText(index_);
    }
    std::string backEnd() const override { return "ddc"; }
    std::string description() const override {
        return utf8FromWide(device_) + " #" + decimalText(index_) + " " +
               utf8FromWide(monitor_.szPhysicalMonitorDescription);
    }

    std::optional<BrightnessRange> readRange() override {
        if (stuck_ || route_ == Route::None)
            return std::nullopt;
        const HANDLE handle = monitor_.hPhysicalMonitor;
        const Route route = route_;
        const auto reading =
            callWithin(kCallMs, [handle, route] { return readBrightness(handle, route); });
        if (!reading) {
            stuck_ = true;
            return std::nullopt;
        }
        if (route_ == Route::Unknown)
            route_ = reading->route;
        if (reading->route == Route::None)
            return std::nullopt;
        return reading->range;
    }

    bool write(std::uint32_t value) override {
        if (stuck_ || route_ == Route::None || route_ == Route::Unknown)
            return false;
        const HANDLE handle = monitor_.hPhysicalMonitor;
        const Route route = route_;
        const auto ok = callWithin(
            kCallMs, [handle, route, value] { return writeBrightness(handle, route, value); });
        if (!ok)
            stuck_ = true;
        return ok.value_or(false);
    }

  private:
    PHYSICAL_MONITOR monitor_;
    std::wstring device_;
    DWORD index_;
    Route route_ = Route::Unknown;
    bool stuck_ = false;
};

struct Found {
    std::wstring device;
    std::vector<PHYSICAL_MONITOR> monitors;
};

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto& found = *reinterpret_cast<std::vector<Found>*>(context);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE;
    DWORD count = 0;
    if (!GetNumberOfPhysicalMonitorsFromHMONITOR(monitor, &count) || count == 0)
        return TRUE;
    std::vector<PHYSICAL_MONITOR> monitors(count);
    if (!GetPhysicalMonitorsFromHMONITOR(monitor, count, monitors.data()))
        return TRUE;
    found.push_back({info.szDevice, std::move(monitors)});
    return TRUE;
}

std::vector<Found> findMonitors() {
    std::vector<Found> found;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

std::vector<std::unique_ptr<Display>> openDdcDisplays() {
    std::vector<std::unique_ptr<Display>> displays;
    const auto found = callWithin(kCallMs, findMonitors);
    if (!found)
        return displays;
    for (const Found& f : *found)
        for (DWORD i = 0; i < f.monitors.size(); ++i)
            displays.push_back(std::make_unique<DdcDisplay>(f.monitors[i], f.device, i));
    return displays;
}

} // namespace bc::win32
