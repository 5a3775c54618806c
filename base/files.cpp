#include "base/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::u8path(utf8);
}

} // namespace

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& why) {
    std::error_code error;
    if (std::filesystem::is_directory(PathOf(path), error)) {
        why = "it is a folder";
        return false;
    }
    errno = 0;
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) {
        why = errno ? std::strerror(errno) : "it cannot be opened";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        why = "it cannot be read to its end";
        return false;
    }
    bytes = text.str();
    return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, std::string& why) {
    // A temporary file renamed over the target: a cut write never leaves a half file.
    const std::filesystem::path target = PathOf(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            why = errno ? std::strerror(errno) : "it cannot be written";
            std::error_code ignored;
            out.close();
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(target, ignored);
        std::filesystem::rename(temporary, target, error);
    }
    if (error) {
        why = error.message();
        return false;
    }
    return true;
}

bool CanWriteFile(const std::string& path, std::string& why) {
    const std::filesystem::path target = PathOf(path);
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) {
        why = "it is a folder";
        return false;
    }
    const bool existed = std::filesystem::exists(target, error);
    errno = 0;
    {
        std::ofstream probe(target, std::ios::binary | std::ios::app);
        if (!probe) {
            why = errno ? std::strerror(errno) : "it cannot be written";
            return false;
        }
    }
    if (!existed)
        std::filesystem::remove(target, error);
    return true;
}

