// Platform part of the resource access for the native (non-Windows) build: files through the
// C library, no compiled-in resources, and UTF-8 standing in for the ANSI code page.
#include "ui/UIResource.h"

#include <cstdio>
#include <sys/stat.h>

FileReadStatus PlatformReadFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    // Skins name folders with backslashes; here they are slashes.
    std::string native = path;
    for (char& c : native) {
        if (c == '\\')
            c = '/';
    }
    FILE* file = std::fopen(native.c_str(), "rb");
    if (!file)
        return FileReadStatus::OpenFailed;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return FileReadStatus::OpenFailed;
    }
    const unsigned long long size = static_cast<unsigned long long>(info.st_size);
    if (size == 0) {
        std::fclose(file);
        return FileReadStatus::Empty;
    }
    if (size > maxBytes) {
        std::fclose(file);
        return FileReadStatus::TooLarge;
    }
    bytes.resize(size_t(size));
    size_t read = std::fread(&bytes[0], 1, bytes.size(), file);
    std::fclose(file);
    if (read != bytes.size()) {
        bytes.clear();
        return FileReadStatus::ReadFailed;
    }
    return FileReadStatus::Ok;
}

bool PlatformReadResource(void*, unsigned, const char*, std::string& bytes) {
    bytes.clear();
    return false;
}

std::string PlatformModuleFileName(void*) {
    return std::string();
}

bool CodePageToUtf8(const char* bytes, size_t length, unsigned codePage, std::string& out) {
    out.assign(bytes ? bytes : "", bytes ? length : 0);
    if (codePage == 65001)
        return true;
    // Without the system's tables only ASCII text converts.
    for (char c : out)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
