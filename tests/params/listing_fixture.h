// The realistic full listing kept beside the tests, and a line-by-line reading of it that does
// not share the parser's search.
#pragma once

#include <map>
#include <string>

// The bytes of full_listing.txt (empty when it cannot be read).
std::string LoadFullListing();

// Value after each label that begins a line of the listing: label (without the leading CR LF)
// -> value with blanks trimmed on both sides.
std::map<std::string, std::string> ReadListingLines(const std::string& listing);
