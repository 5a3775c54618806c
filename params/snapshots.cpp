#include "params/snapshots.h"

#include "params/config_file.h"
#include "params/listing_parser.h"

#include <algorithm>
#include <cctype>

namespace {

std::string FileSafe(const std::string& id) {
    std::string safe = id.empty() ? std::string("unknown") : id;
    for (char& c : safe)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
            c = '_';
    return safe;
}

} // namespace

std::string SnapshotName(const std::string& deviceId, const std::tm& local) {
    char stamp[32] = {};
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    return FileSafe(deviceId) + "_" + stamp + ".cfg";
}

std::vector<std::string> SnapshotsOf(const std::string& deviceId,
                                     const std::vector<std::string>& names) {
    const std::string prefix = FileSafe(deviceId) + "_";
    std::vector<std::string> mine;
    for (const std::string& name : names) {
        // "<id>_YYYYMMDD-HHMMSS.cfg" exactly.
        if (name.size() != prefix.size() + 19 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".cfg") != 0 || name[prefix.size() + 8] != '-')
            continue;
        mine.push_back(name);
    }
    std::sort(mine.rbegin(), mine.rend());
    return mine;
}

std::vector<std::string> SnapshotsToPrune(const std::string& deviceId,
                                          const std::vector<std::string>& names, size_t keep) {
    std::vector<std::string> mine = SnapshotsOf(deviceId, names);
    if (mine.size() <= keep)
        return {};
    return std::vector<std::string>(mine.begin() + static_cast<std::ptrdiff_t>(keep), mine.end());
}

bool IsVolatile(const std::string& key) {
    return key == "LORA ver" || key == "FINDNETMODE" || key == "Signal" || key == "Version";
}

std::vector<Difference> CompareListings(const std::string& first, const std::string& second,
                                        bool onlyNamedByBoth) {
    ParameterCatalogue a, b;
    ListParameterCatalogue listsA, listsB;
    InterfacePresence presence;
    BuildParameterCatalogue(a, listsA, 64);
    BuildParameterCatalogue(b, listsB, 64);
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
