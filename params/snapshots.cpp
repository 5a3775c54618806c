#include "params/snapshots.h"

#include "params/config_file.h"
#include "params/listing_parser.h"
#include "params/value_rules.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

constexpr size_t kLongestIdPart = 100;   // a file name must stay well under the system's 255
constexpr const char* kIndexName = "snapshots.idx";

std::string Hex16(uint64_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 15];
    return text;
}

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

bool AllDigits(const std::string& text, size_t at, size_t count) {
    if (at + count > text.size())
        return false;
    for (size_t i = at; i < at + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// The time stamp and sequence of a snapshot name after its "<id>_" prefix, for sorting; false
// when the rest is not "YYYYMMDD-HHMMSS[-n].cfg".
bool StampOf(const std::string& name, size_t at, std::string& stamp, long& sequence) {
    if (name.size() < at + 19 || name.compare(name.size() - 4, 4, ".cfg") != 0 ||
        !AllDigits(name, at, 8) || name[at + 8] != '-' || !AllDigits(name, at + 9, 6))
        return false;
    stamp = name.substr(at, 15);
    const size_t rest = at + 15, restEnd = name.size() - 4;
    sequence = 1;
    if (rest == restEnd)
        return true;
    if (name[rest] != '-' || restEnd - rest < 2 || restEnd - rest > 6 ||
        !AllDigits(name, rest + 1, restEnd - rest - 1))
        return false;
    sequence = std::stol(name.substr(rest + 1, restEnd - rest - 1));
    return true;
}

std::filesystem::path PathFrom(const std::string& utf8) {
#if defined(__cpp_char8_t)
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::u8path(utf8);
#endif
}

std::string Utf8Of(const std::filesystem::path& path) {
#if defined(__cpp_char8_t)
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.u8string();
#endif
}

bool ReadAll(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return true;
}

// Snapshot names with their sort keys, newest first.
std::vector<std::string> NewestFirst(std::vector<std::pair<std::pair<std::string, long>, std::string>> keyed) {
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> names;
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
    return names;
}

// The snapshot name's stamp position: after the last "_" (an escaped ID holds none).
bool OwnName(const std::string& name, std::string& idPart, std::string& stamp, long& sequence) {
    const size_t underscore = name.rfind('_');
    if (underscore == std::string::npos || underscore == 0)
        return false;
    idPart = name.substr(0, underscore);
    return StampOf(name, underscore + 1, stamp, sequence);
}

} // namespace

std::string SnapshotIdPart(const std::string& deviceId) {
    if (deviceId.empty())
        return "~";
    static const char digits[] = "0123456789ABCDEF";
    std::string part;
    for (unsigned char c : deviceId) {
        if (std::isalnum(c) || c == '-' || c == '.') {
            part += static_cast<char>(c);
        } else {
            part += '%';
            part += digits[c >> 4];
            part += digits[c & 15];
        }
    }
    if (part.size() > kLongestIdPart)
        part = part.substr(0, kLongestIdPart - 17) + "~" + Hex16(Fnv1a(deviceId));
    return part;
}

std::string SnapshotTimeText(const std::string& name) {
    const size_t at = name.rfind('_');
    if (at == std::string::npos || name.size() < at + 1 + 15 + 4)
        return "";
    const std::string stamp = name.substr(at + 1, 15); // YYYYMMDD-HHMMSS
    for (size_t i = 0; i < stamp.size(); ++i)
        if (i == 8 ? stamp[i] != '-' : !std::isdigit(static_cast<unsigned char>(stamp[i])))
            return "";
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " +
           stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

std::string SnapshotName(const std::string& deviceId, const std::tm& local, int sequence) {
    char stamp[32] = {};
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    return SnapshotIdPart(deviceId) + "_" + stamp +
           (sequence > 1 ? "-" + std::to_string(sequence) : std::string()) + ".cfg";
}

std::vector<std::string> SnapshotsOf(const std::string& deviceId,
                                     const std::vector<std::string>& names) {
    const std::string wanted = SnapshotIdPart(deviceId);
    std::vector<std::pair<std::pair<std::string, long>, std::string>> mine;
    for (const std::string& name : names) {
        std::string idPart, stamp;
        long sequence = 0;
        if (OwnName(name, idPart, stamp, sequence) && idPart == wanted)
            mine.push_back({{stamp, sequence}, name});
    }
    return NewestFirst(std::move(mine));
}

std::vector<std::string> SnapshotsToPrune(const std::string& deviceId,
                                          const std::vector<std::string>& names, size_t keep) {
    std::vector<std::string> mine = SnapshotsOf(deviceId, names);
    if (mine.size() <= keep)
        return {};
    return std::vector<std::string>(mine.begin() + static_cast<std::ptrdiff_t>(keep), mine.end());
}

std::string CSnapshotFolder::PathOf(const std::string& name) const {
    return Utf8Of(PathFrom(folder_) / PathFrom(name));
}

std::vector<std::string> CSnapshotFolder::Names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(PathFrom(folder_), error))
        names.push_back(Utf8Of(file.path().filename()));
    return names;
}

bool CSnapshotFolder::Keep(const std::string& listing, const std::tm& now, std::string& name,
                           std::string& why) {
    std::error_code error;
    const std::filesystem::path folder = PathFrom(folder_);
    std::filesystem::create_directories(folder, error);
    const std::string id = DeviceIdOf(listing);
    for (int sequence = 1;; ++sequence) {
        name = SnapshotName(id, now, sequence);
        if (!std::filesystem::exists(folder / PathFrom(name), error))
            break;
    }
    const std::filesystem::path target = folder / PathFrom(name);
    const std::filesystem::path temporary = folder / PathFrom(name + ".tmp");
    const std::string bytes = ListingToFileBytes(listing);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            why = std::string(std::strerror(errno));
            out.close();
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        why = error.message();
        std::filesystem::remove(temporary, error);
        return false;
    }
    for (const std::string& old : SnapshotsToPrune(id, Names()))
        std::filesystem::remove(folder / PathFrom(old), error);
    return true;
}

bool CSnapshotFolder::RecordIdAfter(const std::string& name, const std::string& idAfter) {
    const std::filesystem::path index = PathFrom(folder_) / kIndexName;
    std::string bytes;
    ReadAll(index, bytes);
    std::ofstream out(index, std::ios::binary | std::ios::app);
    // A line cut short by a crash is ended before the next one.
    if (!bytes.empty() && bytes.back() != '\n')
        out << '\n';
    out << name << '\t' << SnapshotIdPart(idAfter) << '\n';
    out.flush();
    return static_cast<bool>(out);
}

bool CSnapshotFolder::Latest(const std::string& id, Found& found) const {
    found = Found();
    const std::string wanted = SnapshotIdPart(id);
    const std::vector<std::string> names = Names();
    std::set<std::string> present(names.begin(), names.end());
    std::set<std::string> candidates;
    for (const std::string& name : SnapshotsOf(id, names))
        candidates.insert(name);
    std::string index;
    ReadAll(PathFrom(folder_) / kIndexName, index);
    std::istringstream lines(index);
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos && line.substr(tab + 1) == wanted &&
            present.count(line.substr(0, tab)))
            candidates.insert(line.substr(0, tab));
    }
    std::vector<std::pair<std::pair<std::string, long>, std::string>> keyed;
    for (const std::string& name : candidates) {
        std::string idPart, stamp;
        long sequence = 0;
        if (OwnName(name, idPart, stamp, sequence))
            keyed.push_back({{stamp, sequence}, name});
    }
    for (const std::string& name : NewestFirst(std::move(keyed))) {
        std::string bytes, listing;
        if (ReadAll(PathFrom(folder_) / PathFrom(name), bytes) &&
            FileBytesToListing(bytes, listing) == ConfigFileError::None) {
            found.name = name;
            found.listing = std::move(listing);
            return true;
        }
        found.skipped.push_back(name);
    }
    return false;
}

bool IsVolatile(const std::string& key) {
    return key == "LORA ver" || key == "FINDNETMODE" || key == "Signal" || key == "Version";
}

std::vector<Difference> CompareListings(const std::string& first, const std::string& second,
                                        bool onlyNamedByBoth) {
    ParameterCatalogue a, b;
    ListParameterCatalogue listsA, listsB;
    InterfacePresence presence;
    BuildParameterCatalogue(a, listsA, kSensorRows);
    BuildParameterCatalogue(b, listsB, kSensorRows);
    const FileLabels namedA = LabelsInListing(first, a, listsA);
    const FileLabels namedB = LabelsInListing(second, b, listsB);
    ParseListing(first.data(), first.size(), a, listsA, presence);
    ParseListing(second.data(), second.size(), b, listsB, presence);
    std::vector<Difference> differences;
    for (const auto& [key, entry] : a) {
        if (IsVolatile(key) || entry.label.empty())
            continue;
        if (onlyNamedByBoth && (!namedA.keys.count(key) || !namedB.keys.count(key)))
            continue;
        const std::string& other = b[key].value;
        if (entry.value != other)
            differences.push_back({key, PlainLabel(entry.label), entry.value, other});
    }
    for (const auto& [key, list] : listsA)
        for (const auto& [label, row] : list.items) {
            if (onlyNamedByBoth && (!namedA.listItems.count(label) || !namedB.listItems.count(label)))
                continue;
            const std::string& other = listsB[key].items[label];
            if (row != other)
                differences.push_back({key, PlainLabel(label), row, other});
        }
    return differences;
}

std::string DeviceIdOf(const std::string& listing) {
    std::string id;
    ExtractValue(listing, "\r\nModem's ID number:", id);
    return id;
}

bool IsPrivateKey(const std::string& key) {
    std::string lower;
    for (char c : key)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("password") != std::string::npos || lower.find("pswd") != std::string::npos ||
           lower.find("phone") != std::string::npos || lower.find("smsdno") != std::string::npos ||
           ValueKindOf(key) == ValueKind::Phone;
}

std::string MaskedListing(const std::string& text) {
    static const std::vector<std::string> labels = [] {
        std::vector<std::string> found;
        for (const ParameterRow& row : ParameterTable()) {
            if (!*row.label || !IsPrivateKey(row.key))
                continue;
            std::string label = row.label;
            if (label.rfind("\r\n", 0) == 0)
                label.erase(0, 2);
            // "Show Phone NO" tells whether a number is shown, it is none.
            if (std::string(row.kind) == "Combobox")
                continue;
            found.push_back(label);
        }
        return found;
    }();
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        for (const std::string& label : labels) {
            const size_t where = line.find(label);
            if (where != std::string::npos &&
                line.find_first_not_of(' ', where + label.size()) != std::string::npos) {
                line = line.substr(0, where + label.size()) + "***";
                break;
            }
        }
        out += line;
        size_t next = end;
        while (next < text.size() && (text[next] == '\r' || text[next] == '\n'))
            out += text[next++];
        at = next;
    }
    return out;
}
