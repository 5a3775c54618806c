#include "base/system_message.h"

#include <windows.h>

std::string SystemMessage(unsigned long error) {
    char system[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         error, 0, system, sizeof(system) - 1, nullptr);
    std::string text(system, length < sizeof(system) ? length : 0);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "(" + std::to_string(error) + ")" : text;
}
