// Platform part of the resource access on Windows: files, compiled-in resources, module file
// names and the ANSI code page.
#include "ui/UIResource.h"

#include <windows.h>

#include <algorithm>
#include <vector>

FileReadStatus PlatformReadFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileReadStatus::OpenFailed;
    // The whole 64-bit size counts: a file of 4 GiB and a few bytes is large, not small.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return FileReadStatus::OpenFailed;
    }
    if (size.QuadPart == 0) {
        CloseHandle(file);
        return FileReadStatus::Empty;
    }
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        return FileReadStatus::TooLarge;
    }
    bytes.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file, &bytes[done], chunk, &read, nullptr) || read == 0)
            break;
        done += read;
    }
    CloseHandle(file);
    if (done != bytes.size()) {
        bytes.clear();
        return FileReadStatus::ReadFailed;
    }
    return FileReadStatus::Ok;
}

bool PlatformReadResource(void* instance, unsigned id, const char* type, std::string& bytes) {
    bytes.clear();
    HMODULE module = static_cast<HMODULE>(instance);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return false;
    DWORD size = SizeofResource(module, found);
    const void* data = LockResource(loaded);
    if (!data || size == 0)
        return false;
    bytes.assign(static_cast<const char*>(data), size);
    return true;
}

std::string PlatformModuleFileName(void* instance) {
    std::vector<char> name(MAX_PATH);
    for (;;) {
        DWORD length =
            GetModuleFileNameA(static_cast<HMODULE>(instance), name.data(), DWORD(name.size()));
        if (length == 0)
            return std::string();
        if (length < name.size())
            return std::string(name.data(), length);
        if (name.size() >= 32768)
            return std::string();
        name.resize(name.size() * 2);
    }
}

namespace {

bool WideToAnsi(const wchar_t* wide, int count, std::string& out) {
    out.clear();
    if (count == 0)
        return true;
    int size = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    out.resize(size_t(size));
    int written = WideCharToMultiByte(CP_ACP, 0, wide, count, &out[0], size, nullptr, nullptr);
    if (written <= 0) {
        out.clear();
        return false;
    }
    out.resize(size_t(written));
    return true;
}

} // namespace

bool Utf8ToAnsi(const char* bytes, size_t length, std::string& out) {
    out.clear();
    if (!bytes || length == 0)
        return true;
    if (length > 0x7FFFFFFF)
        return false;
    int count = MultiByteToWideChar(CP_UTF8, 0, bytes, int(length), nullptr, 0);
    if (count <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<size_t>(count));
    count = MultiByteToWideChar(CP_UTF8, 0, bytes, int(length), wide.data(), count);
    if (count <= 0)
        return false;
    return WideToAnsi(wide.data(), count, out);
}

bool Utf16ToAnsi(const char16_t* units, size_t count, std::string& out) {
    out.clear();
    if (!units || count == 0)
        return true;
    if (count > 0x7FFFFFFF)
        return false;
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    return WideToAnsi(reinterpret_cast<const wchar_t*>(units), int(count), out);
}

bool IsAnsiLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

const char* AnsiCharNext(const char* p) {
    if (*p == '\0')
        return p;
    if (IsAnsiLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}
