#include "serial/serial_line.h"

#include "base/system_message.h"
#include "serial/port_list.h"

#include <windows.h>

#include <setupapi.h>

#include <cstdio>
#include <map>

namespace {

std::string DevicePath(const std::string& port) {
    return port.rfind("\\\\.\\", 0) == 0 ? port : "\\\\.\\" + port;
}

class CWinSerialLine final : public ISerialLine {
public:
    ~CWinSerialLine() override { Close(); }

    bool Open(const SerialLineSettings& settings, std::string& why) override {
        Close();
        HANDLE port = CreateFileA(DevicePath(settings.port).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port == INVALID_HANDLE_VALUE) {
            why = SystemMessage(GetLastError());
            return false;
        }
        char mode[64];
        std::snprintf(mode, sizeof(mode), "baud=%d parity=%c data=%d stop=%d", settings.baudRate,
                      settings.parity, settings.dataBits, settings.stopBits);
        DCB dcb = {};
        dcb.DCBlength = sizeof(dcb);
        COMMTIMEOUTS timeouts = {};
        timeouts.WriteTotalTimeoutConstant = 2000;
        timeouts.WriteTotalTimeoutMultiplier = 10;
        if (!GetCommState(port, &dcb) || !BuildCommDCBA(mode, &dcb) ||
            (dcb.fRtsControl = RTS_CONTROL_ENABLE, !SetCommState(port, &dcb)) ||
            !SetCommTimeouts(port, &timeouts)) {
            why = SystemMessage(GetLastError());
            CloseHandle(port);
            return false;
        }
        PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
        port_ = port;
        return true;
    }

    void Close() override {
        if (port_ != INVALID_HANDLE_VALUE)
            CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }

    bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE; }

    bool Write(const std::string& bytes, std::string& why) override {
        if (port_ == INVALID_HANDLE_VALUE) {
            why = "the port is not open";
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            why = SystemMessage(GetLastError());
            return false;
        }
        if (written != bytes.size()) {
            why = SystemMessage(ERROR_WRITE_FAULT);
            return false;
        }
        return true;
    }

    std::string Read(int timeoutMs, std::string& why) override {
        std::string bytes;
        if (port_ == INVALID_HANDLE_VALUE) {
            why = "the port is not open";
            return bytes;
        }
        // Returns as soon as a byte is there, or after the time-out with nothing.
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 1;
        timeouts.WriteTotalTimeoutConstant = 2000;
        timeouts.WriteTotalTimeoutMultiplier = 10;
        SetCommTimeouts(port_, &timeouts);
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(port_, buffer, sizeof(buffer), &got, nullptr)) {
            why = SystemMessage(GetLastError());
            return bytes;
        }
        bytes.assign(buffer, got);
        // What else is already waiting comes along at once.
        DWORD errors = 0;
        COMSTAT status = {};
        while (got == sizeof(buffer) && ClearCommError(port_, &errors, &status) &&
               status.cbInQue > 0) {
            timeouts.ReadTotalTimeoutConstant = 1;
            SetCommTimeouts(port_, &timeouts);
            if (!ReadFile(port_, buffer, sizeof(buffer), &got, nullptr))
                break;
            bytes.append(buffer, got);
        }
        return bytes;
    }

    void DiscardInput() override {
        if (port_ != INVALID_HANDLE_VALUE)
            PurgeComm(port_, PURGE_RXCLEAR | PURGE_RXABORT);
    }

private:
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

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
    return std::make_unique<CWinSerialLine>();
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
