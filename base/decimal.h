// Reading a number the way a C decimal conversion does, without its overflow.
#pragma once

#include <climits>
#include <cstdlib>

// Leading blanks, an optional sign, then digits; anything else ends the number and no digits
// give 0. Values beyond the 32-bit range are clamped to it.
inline int ParseDecimal(const char* text) {
    if (!text)
        return 0;
    long long value = 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= (long long)INT_MAX + 1)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
