// The edge between the toolkit's UTF-8 text and the wide Win32 calls.
#pragma once

#include <windows.h>

#include <string>

namespace uitext {

// UTF-8 to UTF-16; bytes that are no UTF-8 become U+FFFD.
inline std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    return wide;
}

// UTF-16 (length -1: up to the terminating zero) to UTF-8.
inline std::string Narrow(const wchar_t* wide, int length = -1) {
    if (wide == nullptr || length == 0)
        return std::string();
    if (length < 0)
        length = int(wcslen(wide));
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string text(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], n, nullptr, nullptr);
    return text;
}
inline std::string Narrow(const std::wstring& wide) {
    return Narrow(wide.data(), int(wide.size()));
}

// A window's text, whole.
inline std::string WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::string();
    std::wstring text(size_t(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, &text[0], length + 1);
    return Narrow(text.data(), got > 0 ? got : 0);
}

} // namespace uitext
