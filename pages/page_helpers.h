// Small helpers shared by the files of the configuration pages (not part of their face).
#pragma once

#include "base/text.h"
#include "params/parameter_catalogue.h"

#include <string>

namespace page_helpers {

using ::ReplaceAll; // base/text.h

// The name with "#" replaced by the channel number ("DIO# workmode", 2 -> "DIO2 workmode").
inline std::string Channel(const char* pattern, int channel) {
    std::string text = pattern;
    const size_t at = text.find('#');
    if (at != std::string::npos)
        text.replace(at, 1, std::to_string(channel));
    return text;
}

// A value that the device's command line cannot carry: it would end the command early.
inline bool BreaksCommandLine(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

inline bool ValidTab(int tab) {
    return tab >= 0 && tab < kTabCount;
}

} // namespace page_helpers
