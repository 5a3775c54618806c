// Small text helpers shared by the floors above.
#pragma once

#include <string>

// Whether part occurs in text (plain, case-sensitive).
inline bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}
