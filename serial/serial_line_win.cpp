#include "serial/serial_line.h"

#include "base/system_message.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"

#include <windows.h>

#include <setupapi.h>

#include <cstdio>
#include <map>

namespace {

std::string DevicePath(const std::string& port) {
    return port.rfind("\\\\.\\", 0) == 0 ? port : "\\\\.\\" + port;
}

// The system's friendly names of the serial ports by port name ("COM5" -> "USB Serial Port
// (COM5)"), from the device manager's ports class.
std::map<std::string, std::string> FriendlyNames() {
    std::map<std::string, std::string> names;
    static const GUID kPortsClass = {
        0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO set = SetupDiGetClassDevsA(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        // Wide: the name in UTF-8 whatever the system's code page.
        wchar_t friendlyWide[256] = {};
        if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(friendlyWide),
                                               sizeof(friendlyWide) - sizeof(wchar_t), nullptr))
            continue;
        std::string friendly;
        const int n = WideCharToMultiByte(CP_UTF8, 0, friendlyWide, -1, nullptr, 0, nullptr,
                                          nullptr);
        if (n > 1) {
            friendly.resize(size_t(n));
            WideCharToMultiByte(CP_UTF8, 0, friendlyWide, -1, &friendly[0], n, nullptr, nullptr);
            friendly.resize(size_t(n - 1));
        }
        HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        char port[64] = {};
        DWORD size = sizeof(port) - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(port),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            names[port] = friendly;
        RegCloseKey(key);
    }
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

} // namespace

std::unique_ptr<ISerialLine> MakeSystemSerialLine() {
    return std::make_unique<CSerialPort>();
}

std::vector<SerialPortInfo> ListSerialLines(const std::string& where) {
    std::vector<SerialPortInfo> ports;
    std::vector<std::string> names;
    if (!ListSerialPorts(where.empty() ? kSerialPortRegistryKey : where, names))
        return ports;
    const std::map<std::string, std::string> friendly = FriendlyNames();
    for (const std::string& name : names) {
        SerialPortInfo port;
        port.name = name;
        auto found = friendly.find(name);
        if (found != friendly.end())
            port.description = found->second;
        // A port another program holds cannot be opened: the system says "access denied".
        HANDLE probe = CreateFileA(DevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            port.inUse = GetLastError() == ERROR_ACCESS_DENIED;
        else
            CloseHandle(probe);
        ports.push_back(port);
    }
    return ports;
}
