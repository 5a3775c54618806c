// Configuration files (".cfg"): the device's listing as received, stored as text. Writing turns
// every LF into CR LF (so the device's CR LF line ends are stored as CR CR LF); reading undoes
// that, stops at a 0x1A byte, and accepts files whose line ends an editor changed to CR LF or
// LF alone by giving every line the device's CR LF again.
#pragma once

#include <string>

// The most text a configuration file may hold after translation: the reply buffer's size.
constexpr size_t kMaxConfigFileText = 15999;

// The file bytes for a received listing: the text up to its first zero byte, LF as CR LF.
std::string ListingToFileBytes(const std::string& reply);

enum class ConfigFileError {
    None,
    TooLong,   // more than kMaxConfigFileText bytes of text
    NoListing, // no "Access Point Name:" in it
};

// The listing text of a file's bytes; `text` is set only when the file is accepted.
ConfigFileError FileBytesToListing(const std::string& bytes, std::string& text);
