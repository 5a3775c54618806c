#include "base/ini_text.h"

#include "base/text.h"

#include <cctype>

namespace {

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Calls line(section, key, value) for every "key=value" line, in order; stops when it says so.
template <typename Line>
void ForEachValue(const std::string& text, Line line) {
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string raw = Trimmed(text.substr(at, end - at));
        at = end + 1;
        if (raw.empty() || raw[0] == ';')
            continue;
        if (raw[0] == '[') {
            const size_t close = raw.find(']');
            section = Trimmed(raw.substr(1, close == std::string::npos ? std::string::npos
                                                                       : close - 1));
            continue;
        }
        const size_t eq = raw.find('=');
        if (eq == std::string::npos)
            continue;
        if (!line(section, Trimmed(raw.substr(0, eq)), Trimmed(raw.substr(eq + 1))))
            return;
    }
}

} // namespace

bool FindIniValue(const std::string& fileText, const std::string& section, const std::string& key,
                  std::string& value, size_t maxBytes) {
    bool found = false;
    const std::string text = WithoutBom(fileText);
    ForEachValue(text, [&](const std::string& s, const std::string& k, const std::string& v) {
        if (!SameName(s, section) || !SameName(k, key))
            return true;
        value = v.substr(0, maxBytes);
        found = true;
        return false;
    });
    return found;
}

std::map<std::string, std::string> ReadIniValues(const std::string& fileText) {
    std::map<std::string, std::string> values;
    const std::string text = WithoutBom(fileText);
    ForEachValue(text, [&](const std::string& s, const std::string& k, const std::string& v) {
        values.emplace(s + "/" + k, v);
        return true;
    });
    return values;
}

bool IsUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const int trail = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2
                                     : c >= 0xF0 && c < 0xF5   ? 3
                                                               : -1;
        if (trail < 0 || (trail > 0 && i + size_t(trail) >= bytes.size()))
            return false;
        for (int t = 1; t <= trail; ++t)
            if ((static_cast<unsigned char>(bytes[i + size_t(t)]) & 0xC0) != 0x80)
                return false;
        i += size_t(trail) + 1;
    }
    return true;
}
