#include "listing_fixture.h"

#include <fstream>
#include <sstream>

std::string LoadFullListing() {
    std::ifstream in(ORVEL_LISTING_FIXTURE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::string> ReadListingLines(const std::string& listing) {
    std::map<std::string, std::string> lines;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find("\r\n", start);
        if (end == std::string::npos)
            break;
        const std::string line = listing.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            value.erase(value.find_last_not_of(' ') + 1);
            lines[line.substr(0, colon + 1)] = value;
        }
        start = end + 2;
    }
    return lines;
}
