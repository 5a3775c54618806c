// Feeds arbitrary file bytes to the configuration file reader, then parses what it accepts: it
// must never crash, accept only texts within the reply buffer's size that hold the listing's
// anchor, give every line a CR LF end, and read back exactly what it would write.
#include "params/config_file.h"
#include "params/listing_parser.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text;
    const ConfigFileError error = FileBytesToListing(bytes, text);
    if (error != ConfigFileError::None) {
        Check(text.empty());
        return 0;
    }
    Check(text.find(kListingAnchor) != std::string::npos);
    Check(text.find('\x1A') == std::string::npos);
    Check(!text.empty() && text.back() == '\n'); // a file cut inside a line is refused
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            Check(i > 0 && text[i - 1] == '\r');
    // Saved and read again, a text without zero bytes comes back unchanged.
    if (text.find('\0') == std::string::npos) {
        std::string again;
        Check(FileBytesToListing(ListingToFileBytes(text), again) == ConfigFileError::None);
        Check(again == text);
    }
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    BuildParameterCatalogue(parameters, lists, 4);
    Check(ParseListing(text.data(), text.size(), parameters, lists, presence));
    return 0;
}
