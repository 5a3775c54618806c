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
    // Every line ends in CR LF as the device sent it, also when an editor left LF alone.
    std::string listing;
    listing.reserve(plain.size() + plain.size() / 16);
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == '\n' && (i == 0 || plain[i - 1] != '\r'))
            listing += '\r';
        listing += plain[i];
    }
    if (listing.size() > kMaxConfigFileText)
        return ConfigFileError::TooLong;
    if (listing.find(kListingAnchor) == std::string::npos)
        return ConfigFileError::NoListing;
    text = std::move(listing);
    return ConfigFileError::None;
}
