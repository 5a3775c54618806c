// Reading a whole file into a byte string, for the tests of both trees (no Win32 here).
#pragma once

#include <cstdio>
#include <string>

namespace testsupport {

// The file's bytes; empty when it cannot be opened.
inline std::string ReadFileText(const std::string& path) {
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

} // namespace testsupport
