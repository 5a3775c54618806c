#include "params/config_file.h"

#include "params/listing_parser.h"

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

ConfigFileError FileBytesToListing(const std::string& bytes, std::string& text) {
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
