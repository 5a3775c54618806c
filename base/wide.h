// The program's text is UTF-8; here it meets the wide Win32 calls, and files are reached by
// UTF-8 paths whatever the system's code page.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring WideOf(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    return wide;
}

inline std::string Utf8Of(const wchar_t* wide, int length) {
    if (wide == nullptr || length <= 0)
        return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string text(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], n, nullptr, nullptr);
    return text;
}
inline std::string Utf8Of(const std::wstring& wide) {
    return Utf8Of(wide.data(), int(wide.size()));
}
inline std::string Utf8Of(const wchar_t* wide) {
    return wide ? Utf8Of(wide, int(wcslen(wide))) : std::string();
}

// Text of a code page (936: GBK) as UTF-8.
inline std::string CodePageToUtf8(const std::string& bytes, unsigned codePage) {
    if (bytes.empty())
        return std::string();
    const int n =
        ::MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return std::string();
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), &wide[0], n);
    return Utf8Of(wide);
}

// A whole file (at most 16 MiB) by its UTF-8 path.
inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= (16 << 20);
    if (ok && size.QuadPart > 0) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = ::ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    ::CloseHandle(file);
    if (!ok)
        bytes.clear();
    return ok;
}
