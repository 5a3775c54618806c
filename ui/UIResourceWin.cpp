// Platform part of the resource access on Windows: files, compiled-in resources, module file
// names and the ANSI code page.
#include "ui/UIResource.h"
#include "ui/UITextWin.h"

#include <windows.h>

#include <algorithm>
#include <vector>

FileReadStatus PlatformReadFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileW(uitext::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        DWORD length =
            GetModuleFileNameW(static_cast<HMODULE>(instance), name.data(), DWORD(name.size()));
        if (length == 0)
            return std::string();
        if (length < name.size())
            return uitext::Narrow(name.data(), int(length));
        if (name.size() >= 32768)
            return std::string();
        name.resize(name.size() * 2);
    }
}

bool CodePageToUtf8(const char* bytes, size_t length, unsigned codePage, std::string& out) {
    out.clear();
    if (!bytes || length == 0)
        return true;
    if (codePage == 65001) {
        out.assign(bytes, length);
        return true;
    }
    if (length > 0x7FFFFFFF)
        return false;
    const int count = MultiByteToWideChar(codePage, 0, bytes, int(length), nullptr, 0);
    if (count <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<size_t>(count));
    if (MultiByteToWideChar(codePage, 0, bytes, int(length), wide.data(), count) <= 0)
        return false;
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide.data()), wide.size(), out);
}
