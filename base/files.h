// Files by UTF-8 path, on every system (wide paths on Windows): reading whole, writing through a
// temporary file renamed over the target, and checking that a file can be written before work
// that would end in writing it begins. Failures give the system's reason.
#pragma once

#include <string>

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& why);
bool WriteFileBytes(const std::string& path, const std::string& bytes, std::string& why);
// Whether a file can be made or replaced at path (its folder exists and may be written).
bool CanWriteFile(const std::string& path, std::string& why);
