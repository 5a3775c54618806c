// Small text helpers shared by the floors above.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// Every occurrence of `from` replaced by `to` (nothing when `from` is empty), left to right; a
// replacement is never searched again.
inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty())
        return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The places "%1" ... "%9" of a text in the skin's words filled with the values, in order
// (the first occurrence of each); places without a value stay as they are.
inline std::string FillNumbers(std::string text, const std::vector<std::string>& values) {
    for (size_t i = 0; i < values.size() && i < 9; ++i) {
        const std::string mark = "%" + std::to_string(i + 1);
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, mark.size(), values[i]);
    }
    return text;
}

// Whether part occurs in text (plain, case-sensitive).
inline bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// A text of the skin's Language.ini, or the built-in text when the skin lacks it, followed by
// suffix. Every text the program shows has a built-in English fallback, so that a skin
// without the key still says something.
inline std::string TextOrFallback(const std::string& text, const char* fallback,
                                  const char* suffix = "") {
    return (text.empty() ? std::string(fallback) : text) + suffix;
}

// The bytes without a UTF-8 byte-order mark ("\xEF\xBB\xBF") at their start, which editors and
// spreadsheets put before UTF-8 text ("CSV UTF-8", Notepad's "UTF-8 with BOM").
inline std::string WithoutBom(std::string bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return bytes;
}

// Joins a text to what came before it in a log: a CR LF whose CR ended the last text and whose
// LF starts this one is one line end, not two (`lastWasCr` carries the last text's end).
inline void JoinLineEnds(bool& lastWasCr, std::string& text) {
    if (lastWasCr && !text.empty() && text[0] == '\n')
        text.erase(0, 1);
    if (!text.empty())
        lastWasCr = text.back() == '\r';
}

// The first `characters` characters of a UTF-8 text (never a part of one).
inline std::string Utf8Prefix(const std::string& text, size_t characters) {
    size_t at = 0;
    for (size_t n = 0; at < text.size() && n < characters; ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return text.substr(0, at);
}

// The local time now, on every system.
inline std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}
