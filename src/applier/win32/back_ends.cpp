#include "applier/win32/com.hpp"
#include "applier/win32/ddc_displays.hpp"
#include "applier/win32/display_source.hpp"
#include "applier/win32/wmi_displays.hpp"

namespace bc::win32 {
namespace {

// Laptop panels through WMI, external monitors through DDC/CI. A panel also shows up as a
// physical monitor, but it does not speak DDC/CI, so it is not set twice.
class SystemDisplays : public DisplaySource {
  public:
    std::vector<std::unique_ptr<Display>> openDisplays() override {
        auto displays = openWmiDisplays();
        for (auto& display : openDdcDisplays())
            displays.push_back(std::move(display));
        return displays;
    }

  private:
    // Keeps the multithreaded apartment alive while the displays' COM references are used.
    ComApartment apartment_;
};

} // namespace

std::unique_ptr<DisplaySource> makeDisplaySource() {
    return std::make_unique<SystemDisplays>();
}

} // namespace bc::win32
