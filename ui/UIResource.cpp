// Resource instance, resource path and file lookup of the toolkit (the portable part).
#include "ui/UIResource.h"

#include <cctype>

namespace {

void* g_instance = nullptr;

std::string& ResourcePath() {
    static std::string path;
    return path;
}

} // namespace

void CResourceAccess::SetInstance(void* instance) {
    g_instance = instance;
}

void* CResourceAccess::GetInstance() {
    return g_instance;
}

std::string CResourceAccess::GetInstancePath() {
    if (!g_instance)
        return std::string();
    std::string file = PlatformModuleFileName(g_instance);
    size_t slash = file.find_last_of('\\');
    if (slash == std::string::npos)
        return std::string();
    return file.substr(0, slash + 1);
}

void CResourceAccess::SetResourcePath(const char* path) {
    std::string& stored = ResourcePath();
    stored = path ? path : "";
    if (!stored.empty() && stored.back() != '\\' && stored.back() != '/')
        stored += '\\';
}

const std::string& CResourceAccess::GetResourcePath() {
    return ResourcePath();
}

FileReadStatus CResourceAccess::ReadResourceFile(const char* name, size_t maxBytes,
                                                 std::string& bytes) {
    bytes.clear();
    if (!name)
        return FileReadStatus::OpenFailed;
    return PlatformReadFile(ResourcePath() + name, maxBytes, bytes);
}

FileReadStatus CResourceAccess::ReadSkinFile(const char* name, size_t maxBytes,
                                             std::string& bytes) {
    FileReadStatus status = ReadResourceFile(name, maxBytes, bytes);
    if (status != FileReadStatus::OpenFailed || !name || !*name)
        return status;
    return PlatformReadFile(name, maxBytes, bytes);
}

bool CResourceAccess::ReadCompiledResource(void* instance, unsigned long id, const char* type,
                                           std::string& bytes) {
    bytes.clear();
    // Only 1..65535 can be resource numbers; anything larger would be taken for a pointer
    // to a resource name.
    if (id == 0 || id >= 65536 || !type)
        return false;
    return PlatformReadResource(instance ? instance : g_instance, unsigned(id), type, bytes);
}

unsigned CodePageOfEncoding(const std::string& name) {
    std::string lower;
    for (char c : name)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower.empty() || lower == "utf-8" || lower == "utf8")
        return 65001;
    if (lower == "gbk" || lower == "gb2312" || lower == "cp936" || lower == "gb18030")
        return lower == "gb18030" ? 54936 : 936;
    if (lower == "iso-8859-1" || lower == "latin1" || lower == "windows-1252" || lower == "cp1252")
        return 1252;
    if (lower == "big5")
        return 950;
    if (lower == "shift_jis" || lower == "sjis")
        return 932;
    return 0;
}

bool Utf16ToUtf8(const char16_t* units, size_t count, std::string& out) {
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

bool IsLeadByte(unsigned char c) {
    return c >= 0xC0;
}

const char* NextUtf8Char(const char* p) {
    if (*p == '\0')
        return p;
    const unsigned char lead = static_cast<unsigned char>(*p++);
    if (!IsLeadByte(lead))
        return p;
    const int trail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    for (int i = 0; i < trail && (static_cast<unsigned char>(*p) & 0xC0) == 0x80; ++i)
        ++p;
    return p;
}
