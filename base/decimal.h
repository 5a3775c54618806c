// The program's one reader of decimal numbers: settings values, device values, the baud rate
// and port number of the connection bar all go through it.
#pragma once

#include <climits>
#include <string>
#include <string_view>

// A number read the way a C decimal conversion reads it, without its overflow: leading white
// space, an optional sign, then digits; anything else ends the number and no digits give 0.
// Values beyond the 32-bit range are clamped to it (and `clamped` set). `end` receives how many
// characters the number took (0 when there were no digits).
inline int ParseDecimal(std::string_view text, size_t* end = nullptr, bool* clamped = nullptr) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const size_t firstDigit = at;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (text[at] - '0'); // stays clamped, never overflows
    }
    if (end)
        *end = at == firstDigit ? 0 : at;
    if (negative)
        value = -value;
    const bool outside = value > INT_MAX || value < INT_MIN;
    if (clamped)
        *clamped = outside;
    if (outside)
        return value > 0 ? INT_MAX : INT_MIN;
    return static_cast<int>(value);
}

inline int ParseDecimal(const char* text) {
    return text ? ParseDecimal(std::string_view(text)) : 0;
}

inline int ParseDecimal(const std::string& text) {
    return ParseDecimal(std::string_view(text));
}

// A whole positive number with nothing but blanks (space, tab) around it, up to 2^31 - 1;
// false for anything else (no digits, a sign, other characters, zero, too large).
inline bool ReadPositiveNumber(std::string_view text, int& value) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at == text.size() || text[at] < '0' || text[at] > '9')
        return false; // no sign and no other white space before the digits
    size_t end = 0;
    bool clamped = false;
    const int number = ParseDecimal(text.substr(at), &end, &clamped);
    at += end;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at != text.size() || number <= 0 || clamped)
        return false;
    value = number;
    return true;
}
