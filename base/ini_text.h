// Reading the program's .ini files (Language.ini of a skin) from their bytes: sections in
// brackets, "key=value" lines, ";" comments; names compare without regard to case, values lose
// their surrounding blanks, as the system's profile functions read them.
#pragma once

#include <map>
#include <string>

// The value of key in section, at most maxBytes bytes of it; false when there is none.
bool FindIniValue(const std::string& text, const std::string& section, const std::string& key,
                  std::string& value, size_t maxBytes = std::string::npos);

// Every value by "section/key" (names as written; the first of a repeated key wins).
std::map<std::string, std::string> ReadIniValues(const std::string& text);

// Whether the bytes are well-formed UTF-8 (so that a skin's text file can be told apart from
// one in a legacy code page).
bool IsUtf8(const std::string& bytes);
