#include "params/config_file.h"

#include "params/listing_parser.h"

#include "base/text.h"

std::string ListingToFileBytes(const std::string& reply) {
    std::string bytes;
    const size_t end = reply.find('\0');
    const size_t length = end == std::string::npos ? reply.size() : end;
    bytes.reserve(length + length / 16);
    for (size_t i = 0; i < length; ++i) {
        if (reply[i] == '\n')
            bytes += '\r';
        bytes += reply[i];
    }
    return bytes;
}

ConfigFileError FileBytesToListing(const std::string& fileBytes, std::string& text) {
    // A byte-order mark an editor put before the text is no part of the listing.
    const std::string bytes = WithoutBom(fileBytes);
    // Undo the writing translation: CR LF reads as LF, a lone CR stays, 0x1A ends the text.
    std::string plain;
    plain.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\x1A')
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue; // the LF that follows is kept
        plain += c;
    }
    // A file without any LF had its line ends changed to CR alone (an old Mac editor): every
    // CR ends a line. In any other file a lone CR is the device's own byte and stays.
    const bool crOnly = plain.find('\n') == std::string::npos;
    // Every line ends in CR LF as the device sent it, also when an editor left LF alone.
    std::string listing;
    listing.reserve(plain.size() + plain.size() / 16);
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == '\n' && (i == 0 || plain[i - 1] != '\r'))
            listing += '\r';
        listing += plain[i];
        if (crOnly && plain[i] == '\r')
            listing += '\n';
    }
    if (listing.size() > kMaxConfigFileText)
        return ConfigFileError::TooLong;
    if (listing.find(kListingAnchor) == std::string::npos)
        return ConfigFileError::NoListing;
    // The device ends its listing with "OK" and a line end: a file that stops inside a line was
    // cut short, and its last value may be cut too.
    if (listing.back() != '\n')
        return ConfigFileError::Unterminated;
    text = std::move(listing);
    return ConfigFileError::None;
}

FileLabels LabelsInListing(const std::string& listing, const ParameterCatalogue& parameters,
                           const ListParameterCatalogue& lists) {
    FileLabels labels;
    const size_t anchor = listing.find(kListingAnchor);
    if (anchor == std::string::npos)
        return labels;
    const std::string working = listing.substr(anchor);
    std::string value;
    for (const auto& [key, entry] : parameters) {
        if (entry.label.empty())
            continue;
        ++labels.total;
        if (ExtractValue(working, entry.label, value) == ValueResult::Found) {
            labels.keys.insert(key);
            ++labels.found;
        }
    }
    for (const auto& [key, entry] : lists) {
        for (int i = 0; i < entry.count; ++i) {
            const std::string label = FormatListLabel(entry.labelFormat, i);
            ++labels.total;
            if (ExtractValue(working, label, value) == ValueResult::Found) {
                labels.listItems.insert(label);
                ++labels.found;
            }
        }
    }
    return labels;
}

ConfigFileError ReadConfigFile(const std::string& bytes, const ParameterCatalogue& parameters,
                               const ListParameterCatalogue& lists, std::string& text,
                               FileLabels& labels) {
    std::string listing;
    const ConfigFileError error = FileBytesToListing(bytes, listing);
    if (error != ConfigFileError::None)
        return error;
    FileLabels found = LabelsInListing(listing, parameters, lists);
    if (found.found * 2 < found.total)
        return ConfigFileError::TooFewLabels;
    text = std::move(listing);
    labels = std::move(found);
    return ConfigFileError::None;
}

ConfigFileError PartialFileToListing(const std::string& fileBytes, std::string& listing,
                                     bool& namesAnchor) {
    std::string bytes = WithoutBom(fileBytes);
    // A partial file may lack the listing's first label (it is read after one), or hold it
    // after other lines, which would then not count: its line is read first.
    const size_t anchor = bytes.find(kListingAnchor);
    namesAnchor = anchor != std::string::npos;
    if (!namesAnchor) {
        bytes = std::string(kListingAnchor) + "\r\r\n" + bytes;
    } else if (bytes.find_first_not_of("\r\n ", 0) < anchor &&
               (anchor == 0 || bytes[anchor - 1] == '\n')) {
        size_t end = bytes.find('\n', anchor);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string line = bytes.substr(anchor, end - anchor);
        bytes.erase(anchor, end - anchor);
        bytes.insert(0, line);
    }
    return FileBytesToListing(bytes, listing);
}

void SetListingValue(std::string& listing, const std::string& label, const std::string& value) {
    const std::string bare = label.rfind("\r\n", 0) == 0 ? label.substr(2) : label;
    const size_t anchor = listing.find(kListingAnchor);
    const size_t from = anchor == std::string::npos ? 0 : anchor;
    // The label where a line starts (a label that ends another would otherwise match inside it).
    size_t at = listing.find(bare, from);
    while (at != std::string::npos && at > 0 && listing[at - 1] != '\n' && at != from)
        at = listing.find(bare, at + 1);
    if (at != std::string::npos) {
        const size_t start = at + bare.size();
        const size_t end = listing.find("\r\n", start);
        listing.replace(start, (end == std::string::npos ? listing.size() : end) - start, value);
        return;
    }
    const size_t lineEnd = listing.find("\r\n", from);
    const size_t insertAt = lineEnd == std::string::npos ? listing.size() : lineEnd + 2;
    listing.insert(insertAt, bare + value + "\r\n");
}
