// Configuration files (".cfg"): the device's listing as received, stored as text. Writing turns
// every LF into CR LF (so the device's CR LF line ends are stored as CR CR LF); reading undoes
// that, stops at a 0x1A byte, and accepts files whose line ends an editor changed to CR LF, LF
// alone or CR alone by giving every line the device's CR LF again.
#pragma once

#include "params/parameter_catalogue.h"

#include <set>
#include <string>

// The most text a configuration file may hold after translation: the reply buffer's size.
constexpr size_t kMaxConfigFileText = 15999;

// The file bytes for a received listing: the text up to its first zero byte, LF as CR LF.
std::string ListingToFileBytes(const std::string& reply);

enum class ConfigFileError {
    None,
    TooLong,   // more than kMaxConfigFileText bytes of text
    NoListing, // no "Access Point Name:" in it
    Unterminated, // its last line has no line end: the file was cut short
    TooFewLabels, // fewer than half of the device's labels: not a whole configuration
};

// The listing text of a file's bytes; `text` is set only when the file is accepted.
ConfigFileError FileBytesToListing(const std::string& bytes, std::string& text);

// What a configuration text names: the catalogue keys and the list item labels ("GENSENSORINFO
// 3:") whose labels it holds with a value and a line end, out of all the labels there are.
struct FileLabels {
    std::set<std::string> keys;
    std::set<std::string> listItems;
    size_t found = 0;
    size_t total = 0;
};
FileLabels LabelsInListing(const std::string& listing, const ParameterCatalogue& parameters,
                           const ListParameterCatalogue& lists);

// A file accepted for loading onto the pages and into the device: FileBytesToListing, and at
// least half of the catalogue's labels in it. A file cut short or holding only a few lines
// would otherwise read as a configuration whose missing values are all empty. `text` and
// `labels` are set only when the file is accepted.
ConfigFileError ReadConfigFile(const std::string& bytes, const ParameterCatalogue& parameters,
                               const ListParameterCatalogue& lists, std::string& text,
                               FileLabels& labels);

// The listing text of a partial file (a template of the production line, a few lines written by
// hand): a file that does not name the listing's first label ("Access Point Name:") gets an
// empty one, and one that names it after other lines has it moved first, so that every line
// counts. `namesAnchor` tells whether the file named it. A byte-order mark is skipped.
ConfigFileError PartialFileToListing(const std::string& bytes, std::string& listing,
                                     bool& namesAnchor);

// Puts `value` under `label` (as the listing writes it, "\r\n" included or not) in a listing:
// replaces the value of the line the label starts, or adds the line after the first one.
void SetListingValue(std::string& listing, const std::string& label, const std::string& value);
