#include "win32/SerialPorts.h"

#include <windows.h>

#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <map>
#include <string>

#include "win32/WideText.h"

using chooser::Adapter;

namespace win32 {
namespace {

struct PortNames {
    std::wstring friendly;
    std::wstring maker;
};

std::wstring Property(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    std::array<wchar_t, 256> text{};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                           reinterpret_cast<BYTE*>(text.data()),
                                           (text.size() - 1) * sizeof(wchar_t), nullptr) ||
        type != REG_SZ) {
        return {};
    }
    return text.data();
}

// A REG_SZ value of at most 255 characters, terminated or not.
std::wstring StringValue(HKEY key, const wchar_t* name) {
    std::array<wchar_t, 256> text{};
    DWORD type = 0;
    DWORD bytes = (text.size() - 1) * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return std::wstring(text.data(), wcsnlen(text.data(), bytes / sizeof(wchar_t)));
}

// The Device Manager's names of the present ports, by port name.
std::map<std::wstring, PortNames> PortClassNames() {
    std::map<std::wstring, PortNames> names;
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return names;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key == INVALID_HANDLE_VALUE) {
            continue;
        }
        const std::wstring port = StringValue(key, L"PortName");
        RegCloseKey(key);
        if (!port.empty()) {
            names[port] = {Property(devices, device, SPDRP_FRIENDLYNAME),
                           Property(devices, device, SPDRP_MFG)};
        }
    }
    SetupDiDestroyDeviceInfoList(devices);
    return names;
}

unsigned PortNumber(const std::string& port) {
    return port.rfind("COM", 0) == 0 ? static_cast<unsigned>(std::strtoul(port.c_str() + 3, nullptr, 10)) : 0;
}

}  // namespace

std::vector<Adapter> ListSerialPorts() {
    std::vector<Adapter> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return ports;
    }
    const std::map<std::wstring, PortNames> names = PortClassNames();
    for (DWORD i = 0;; ++i) {
        std::array<wchar_t, 256> name{};
        DWORD nameLength = name.size();
        std::array<wchar_t, 256> port{};
        DWORD bytes = (port.size() - 1) * sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(port.data()), &bytes);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result != ERROR_SUCCESS || type != REG_SZ) {
            continue;  // a name or port too long for any COM port, or not text
        }
        const std::wstring portName(port.data(), wcsnlen(port.data(), bytes / sizeof(wchar_t)));
        if (portName.empty()) {
            continue;
        }
        const auto found = names.find(portName);
        ports.push_back(chooser::SerialAdapter(Utf8(portName),
                                               found == names.end() ? "" : Utf8(found->second.friendly),
                                               found == names.end() ? "" : Utf8(found->second.maker)));
    }
    RegCloseKey(key);
    std::ranges::stable_sort(ports, {}, [](const Adapter& port) { return PortNumber(port.device); });
    return ports;
}

}  // namespace win32
