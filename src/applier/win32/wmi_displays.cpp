#include "applier/win32/wmi_displays.hpp"

#include "applier/win32/com.hpp"
#include "applier/win32/console_text.hpp"
#include "applier/win32/timed_call.hpp"

#include <windows.h>

#include <wbemidl.h>

#include <string>

namespace bc::win32 {
namespace {

// The WMI service may have to start first; after that a call takes milliseconds.
constexpr DWORD kCallMs = 5000;
constexpr long kNextMs = 4000;

using Services = ComPtr<IWbemServices>;

std::wstring textOf(IWbemClassObject* object, const wchar_t* property) {
    Variant value;
    if (FAILED(object->Get(property, 0, value.get(), nullptr, nullptr)) || (*value).vt != VT_BSTR ||
        (*value).bstrVal == nullptr)
        return {};
    return (*value).bstrVal;
}

// Each object a WQL query returns, handed to visit until it returns false.
template <typename Visit>
bool forEachResult(const Services& services, const wchar_t* query, Visit visit) {
    ComPtr<IEnumWbemClassObject> results;
    const BString language(L"WQL");
    const BString text(query);
    if (FAILED(services->ExecQuery(language.get(), text.get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   results.put())))
        return false;
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (results->Next(kNextMs, 1, object.put(), &returned) != WBEM_S_NO_ERROR || returned == 0)
            return true;
        if (!visit(object.get()))
            return true;
    }
}

Services connect() {
    ComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.putVoid())))
        return {};
    Services services;
    const BString space(L"ROOT\\WMI");
    if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.put())))
        return {};
    CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return services;
}

struct Panel {
    std::wstring instance; // InstanceName: the key shared by the two classes
    std::wstring path;     // the methods object's path, for ExecMethod
};

struct PanelReading {
    bool found = false;
    BrightnessRange range{0, 0, 100};
    std::vector<std::uint32_t> levels; // the steps the panel supports, when it lists them
};

PanelReading readPanel(const Services& services, const std::wstring& instance) {
    PanelReading reading;
    forEachResult(services, L"SELECT * FROM WmiMonitorBrightness", [&](IWbemClassObject* o) {
        if (textOf(o, L"InstanceName") != instance)
            return true;
        Variant current;
        if (SUCCEEDED(o->Get(L"CurrentBrightness", 0, current.get(), nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(current.get(), current.get(), 0, VT_UI4))) {
            reading.found = true;
            reading.range.current = (*current).ulVal;
        }
        Variant levels;
        if (SUCCEEDED(o->Get(L"Level", 0, levels.get(), nullptr, nullptr)) &&
            (*levels).vt == (VT_ARRAY | VT_UI1) && (*levels).parray != nullptr) {
            SAFEARRAY* array = (*levels).parray;
            LONG low = 0, high = -1;
            SafeArrayGetLBound(array, 1, &low);
            SafeArrayGetUBound(array, 1, &high);
            for (LONG i = low; i <= high; ++i) {
                BYTE step = 0;
                if (SUCCEEDED(SafeArrayGetElement(array, &i, &step)))
                    reading.levels.push_back(step);
            }
        }
        return false;
    });
    return reading;
}

bool setPanel(const Services& services, const std::wstring& path, std::uint32_t value) {
    const BString className(L"WmiMonitorBrightnessMethods");
    const BString method(L"WmiSetBrightness");
    ComPtr<IWbemClassObject> definition;
    ComPtr<IWbemClassObject> signature;
    ComPtr<IWbemClassObject> arguments;
    if (FAILED(services->GetObject(className.get(), 0, nullptr, definition.put(), nullptr)) ||
        FAILED(definition->GetMethod(method.get(), 0, signature.put(), nullptr)) || !signature ||
        FAILED(signature->SpawnInstance(0, arguments.put())))
        return false;
    Variant timeout;
    timeout.get()->vt = VT_I4; // uint32 travels as VT_I4
    timeout.get()->lVal = 1;
    Variant brightness;
    brightness.get()->vt = VT_UI1;
    brightness.get()->bVal = static_cast<BYTE>(value > 100 ? 100 : value);
    if (FAILED(arguments->Put(L"Timeout", 0, timeout.get(), 0)) ||
        FAILED(arguments->Put(L"Brightness", 0, brightness.get(), 0)))
        return false;
    const BString objectPath(path.c_str());
    return SUCCEEDED(services->ExecMethod(objectPath.get(), method.get(), 0, nullptr,
                                          arguments.get(), nullptr, nullptr));
}

class WmiDisplay : public Display {
  public:
    WmiDisplay(Services services, Panel panel)
        : services_(std::move(services)), panel_(std::move(panel)) {}
    ~WmiDisplay() override {
        // A call given up on may still be using the connection.
        if (anyCallAbandoned())
            services_.abandon();
    }

    std::string key() const override { return "wmi:" + utf8FromWide(panel_.instance); }
    std::string backEnd() const override { return "wmi"; }
    std::string description() const override { return utf8FromWide(panel_.instance); }

    std::optional<BrightnessRange> readRange() override {
        const Services services = services_;
        const std::wstring instance = panel_.instance;
        const auto reading =
            callWithin(kCallMs, [services, instance] { return readPanel(services, instance); });
        if (!reading || !reading->found)
            return std::nullopt;
        levels_ = reading->levels;
        return reading->range;
    }

    std::uint32_t settableValue(std::uint32_t value) const override {
        std::uint32_t best = value;
        std::uint32_t bestDistance = UINT32_MAX;
        for (const std::uint32_t step : levels_) {
            const std::uint32_t distance = step > value ? step - value : value - step;
            // Ties go up, like the rounding of the scale.
            if (distance < bestDistance || (distance == bestDistance && step > best)) {
                best = step;
                bestDistance = distance;
            }
        }
        return best;
    }

    bool write(std::uint32_t value) override {
        const Services services = services_;
        const std::wstring path = panel_.path;
        return callWithin(kCallMs,
                          [services, path, value] { return setPanel(services, path, value); })
            .value_or(false);
    }

  private:
    Services services_;
    Panel panel_;
    std::vector<std::uint32_t> levels_;
};

std::vector<Panel> findPanels(const Services& services) {
    std::vector<Panel> panels;
    forEachResult(services, L"SELECT * FROM WmiMonitorBrightnessMethods", [&](IWbemClassObject* o) {
        Variant active;
        if (SUCCEEDED(o->Get(L"Active", 0, active.get(), nullptr, nullptr)) &&
            (*active).vt == VT_BOOL && (*active).boolVal == VARIANT_FALSE)
            return true;
        Panel panel{textOf(o, L"InstanceName"), textOf(o, L"__PATH")};
        if (!panel.instance.empty() && !panel.path.empty())
            panels.push_back(std::move(panel));
        return true;
    });
    return panels;
}

} // namespace

std::vector<std::unique_ptr<Display>> openWmiDisplays() {
    std::vector<std::unique_ptr<Display>> displays;
    // Once per process, before the first call that may cross to the WMI service.
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    const auto found = callWithin(kCallMs, [] {
        struct Result {
            Services services;
            std::vector<Panel> panels;
        } result;
        result.services = connect();
        if (result.services)
            result.panels = findPanels(result.services);
        return result;
    });
    if (!found)
        return displays;
    for (const Panel& panel : found->panels)
        displays.push_back(std::make_unique<WmiDisplay>(found->services, panel));
    return displays;
}

} // namespace bc::win32
