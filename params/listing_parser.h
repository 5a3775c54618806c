// Turning the device's configuration listing (its reply to "AT+SHOW") into catalogue values.
#pragma once

#include "params/parameter_catalogue.h"

#include <string>

// The label from which a listing is parsed; labels that occur only before it are not found.
constexpr const char* kListingAnchor = "Access Point Name:";

// A parameter value is taken only when shorter than this; a list item value only when at most
// kMaxListItemValue characters long.
constexpr size_t kMaxParameterValue = 1024;
constexpr size_t kMaxListItemValue = 100;

// Which optional interfaces the device reported in its last listing. All true until the first
// listing is parsed.
struct InterfacePresence {
    bool serialPort1 = true;                     // "A serial port"
    bool serialPort2 = true;                     // "A serial 2 port"
    bool rs485 = true;                           // "RS485 port"
    bool io[5] = {true, true, true, true, true}; // "IO1" to "IO5"
};

// Result of extracting the value after a label.
enum class ValueResult {
    Found,     // the label, a CR LF after it, the trimmed value stored in `value`
    NoLabel,   // the label does not occur
    NoLineEnd, // the label occurs but no CR LF follows it
};

// Finds the first occurrence of label in text and takes the value after it up to the next
// CR LF: blanks skipped at the start, blanks and CRs dropped at the end. An empty label
// matches at the start of the text.
ValueResult ExtractValue(const std::string& text, const std::string& label, std::string& value);

// Parses a listing. `reply` holds `count` bytes (zero bytes are read as blanks). The working
// text runs from the first "Access Point Name:" to the end of the reply, whatever its length.
// Sets the presence flags from the whole reply, replaces the value of every parameter (empty
// when the listing lacks it, its value has no line end or is kMaxParameterValue characters or
// longer) and runs ParseListItems. A reply without the anchor changes nothing at all and
// returns false; otherwise returns true.
bool ParseListing(const char* reply, size_t count, ParameterCatalogue& parameters,
                  ListParameterCatalogue& lists, InterfacePresence& presence);

// The list part of ParseListing: items numbered 0 to count - 1 of every list entry from the
// working text. An absent label, a label without a line end and a value over kMaxListItemValue
// characters all set the item empty.
void ParseListItems(const std::string& working, ListParameterCatalogue& lists);

// Sets the presence flags from the whole reply text.
void DetectInterfaces(const std::string& reply, InterfacePresence& presence);
