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

bool Utf8ToAnsi(const char* bytes, size_t length, std::string& out) {
    out.assign(bytes ? bytes : "", bytes ? length : 0);
    return true;
}

bool Utf16ToAnsi(const char16_t* units, size_t count, std::string& out) {
    out.clear();
    for (size_t i = 0; i < count; ++i) {
        unsigned long c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = '?'; // a lone surrogate cannot be encoded
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return true;
}

bool IsAnsiLeadByte(unsigned char c) {
    return c >= 0xC0;
}

const char* AnsiCharNext(const char* p) {
    if (*p == '\0')
        return p;
    const unsigned char lead = static_cast<unsigned char>(*p++);
    if (!IsAnsiLeadByte(lead))
        return p;
    const int trail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    for (int i = 0; i < trail && (static_cast<unsigned char>(*p) & 0xC0) == 0x80; ++i)
        ++p;
    return p;
}
