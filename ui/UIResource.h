// Where the toolkit finds its skins: the resource instance (the module whose compiled-in
// resources are searched), the resource path (the skin folder), files under it, and the
// conversions of skin text to the system's ANSI code page.
//
// The platform part (file and resource access, code pages, multibyte stepping) sits behind
// the few functions at the end of this header; UIResourceWin.cpp implements them with Win32,
// UIResourcePosix.cpp with the C library for the native build, where the "ANSI code page" is
// UTF-8.
#pragma once

#include <cstddef>
#include <string>

// Largest skin file the markup reader accepts (4 MiB; a file of exactly this size loads).
constexpr size_t kMaxSkinFileBytes = 4u * 1024u * 1024u;

// Outcome of reading a whole file.
enum class FileReadStatus {
    Ok,
    OpenFailed, // the file cannot be opened
    Empty,      // it has 0 bytes
    TooLarge,   // it is larger than the limit asked for
    ReadFailed, // fewer bytes could be read than its size
};

// Process-wide resource settings; CPaintManagerUI's static SetInstance / GetInstance /
// GetInstancePath / SetResourcePath / GetResourcePath are these.
class CResourceAccess {
public:
    // The module whose compiled-in resources are searched (an HINSTANCE on Windows).
    static void SetInstance(void* instance);
    static void* GetInstance();

    // Folder of the instance's executable file up to and including its last backslash;
    // empty when no instance was set.
    static std::string GetInstancePath();

    // Stores the skin folder. A non-empty path that ends neither in "\" nor in "/" gets a
    // "\" appended. Relative skin, image and font names are resolved as path + name.
    static void SetResourcePath(const char* path);
    static const std::string& GetResourcePath();

    // Reads the file resource path + name (skin files; no fallback).
    static FileReadStatus ReadResourceFile(const char* name, size_t maxBytes, std::string& bytes);

    // Reads resource path + name, and when that cannot be opened the bare name (an absolute
    // path or one relative to the working directory). Images and font files are found so.
    static FileReadStatus ReadSkinFile(const char* name, size_t maxBytes, std::string& bytes);

    // Copies the bytes of the compiled-in resource number id of the given type (a type name,
    // or "#n" for a numbered type) from instance, or from GetInstance() when instance is null.
    // Numbers of 65536 and above are never resource numbers and are refused.
    static bool ReadCompiledResource(void* instance, unsigned long id, const char* type,
                                     std::string& bytes);
};

// ---- Platform seam ---------------------------------------------------------------------

// Reads a whole file; files above maxBytes are refused without reading them (the size is
// taken as a 64-bit number).
FileReadStatus PlatformReadFile(const std::string& path, size_t maxBytes, std::string& bytes);

// Copies a compiled-in resource (see CResourceAccess::ReadCompiledResource); false when the
// platform has none or it is missing or empty.
bool PlatformReadResource(void* instance, unsigned id, const char* type, std::string& bytes);

// Full file name of the module's executable; empty when unknown.
std::string PlatformModuleFileName(void* instance);

// The toolkit holds all text as UTF-8; the Win32 calls meet it through the wide functions.

// Converts text in the given Windows code page (936 for GBK, 1252 for Western European, ...)
// to UTF-8. False when the platform cannot convert it (the native build knows only UTF-8,
// 65001, and ASCII text).
bool CodePageToUtf8(const char* bytes, size_t length, unsigned codePage, std::string& out);
// The code page an XML declaration's encoding name stands for (0 when unknown; UTF-8 is 65001).
unsigned CodePageOfEncoding(const std::string& name);

// Converts UTF-16 (little-endian code units) to UTF-8; a lone surrogate becomes "?".
bool Utf16ToUtf8(const char16_t* units, size_t count, std::string& out);

// True when c starts a UTF-8 sequence of several bytes.
bool IsLeadByte(unsigned char c);

// The character after the one at p, stepping whole UTF-8 sequences but never past the
// terminating zero.
const char* NextUtf8Char(const char* p);
