#include "serial/port_list.h"

#include <windows.h>

bool ListSerialPorts(const std::string& registryKey, std::vector<std::string>& names) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, registryKey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD values = 0, longestName = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                           &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        values == 0) {
        ::RegCloseKey(key);
        return false;
    }
    std::vector<std::string> found;
    std::string name(longestName + 1, '\0');
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        // Room for every port name up to COM256 and beyond; one byte more keeps the text
        // terminated when the stored value lacks its zero.
        BYTE data[33] = {};
        DWORD dataLength = 32;
        DWORD type = 0;
        const LONG status =
            ::RegEnumValueA(key, i, &name[0], &nameLength, nullptr, &type, data, &dataLength);
        if (status != ERROR_SUCCESS || type != REG_SZ || data[0] == 0)
            continue;
        found.emplace_back(reinterpret_cast<const char*>(data));
    }
    ::RegCloseKey(key);
    names = std::move(found);
    return true;
}
