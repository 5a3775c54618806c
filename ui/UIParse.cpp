#include "ui/UIParse.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace uiparse {

namespace {

int Clamp(long value, int lo, int hi) {
    if (value < lo)
        return lo;
    if (value > hi)
        return hi;
    return int(value);
}

// Reads one decimal number at p (leading blanks allowed) and returns where it stopped.
const char* ReadNumber(const char* p, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(p, &end, 10);
    if (errno == ERANGE)
        value = value < 0 ? LONG_MIN : LONG_MAX;
    return end;
}

// Reads up to `count` comma-separated numbers; missing ones stay 0.
void ReadList(const std::string& text, long* values, int count) {
    const char* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        values[i] = 0;
    }
    for (int i = 0; i < count; ++i) {
        const char* end = ReadNumber(p, values[i]);
        while (*end == ' ')
            ++end;
        if (*end != ',')
            break;
        p = end + 1;
    }
}

} // namespace

bool ParseBool(const std::string& value) {
    return EqualsNoCase(value, "true");
}

int ParseInt(const std::string& value, int lo, int hi) {
    long n = 0;
    ReadNumber(value.c_str(), n);
    return Clamp(n, lo, hi);
}

uint32_t ParseColor(const std::string& value) {
    const char* p = value.c_str();
    while (*p > 0 && *p <= ' ')
        ++p;
    if (*p == '#')
        ++p;
    // The same on every platform: beyond 32 bits reads as all ones, as Windows' conversion does.
    const unsigned long long colour = std::strtoull(p, nullptr, 16);
    return colour > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(colour);
}

RectValues ParseRectValues(const std::string& value, int lo, int hi) {
    long v[4];
    ReadList(value, v, 4);
    return RectValues{Clamp(v[0], lo, hi), Clamp(v[1], lo, hi), Clamp(v[2], lo, hi),
                      Clamp(v[3], lo, hi)};
}

SizeValues ParseSizeValues(const std::string& value, int lo, int hi) {
    long v[2];
    ReadList(value, v, 2);
    return SizeValues{Clamp(v[0], lo, hi), Clamp(v[1], lo, hi)};
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace uiparse
