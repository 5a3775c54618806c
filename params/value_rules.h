// Value rules: what a value may be before it is sent to the device, as data beside the
// catalogue. Written conservatively: a rule never refuses a value a device reports, only what a
// device cannot take (a port above 65535, an address with a blank, an APN longer than a modem
// takes, a sensor row the listing could not show again).
#pragma once

#include "params/parameter_catalogue.h"

#include <string>

// Why a value breaks its rule (None: it keeps it).
enum class RuleBreak {
    None,
    NotAPort,      // not a whole number from 0 to 65535
    NotAnAddress,  // neither a dotted IPv4 address (four numbers up to 255) nor a host name
    NotAPhone,     // not a phone number: digits, with an optional leading "+"
    TooLong,       // longer than the device takes
    BadCharacter,  // a control character (a line break, a tab)
};

// The kind of value a parameter holds, by its catalogue key: the table's column (a sensor row
// for the list key "CustomList", text for a key the table does not know).
ValueKind ValueKindOf(const std::string& key);

// The longest value of each kind the device takes.
constexpr size_t kMaxTextValue = 100;
constexpr size_t kMaxAddressValue = 63;
constexpr size_t kMaxApnValue = 63;
constexpr size_t kMaxPhoneValue = 20;

// Checks a value for the parameter `key` (a sensor row for the list key "CustomList").
RuleBreak CheckValue(const std::string& key, const std::string& value);

// The reason in words, for the log and the plan: the text of Language.ini section "ValueRule"
// (keys "NotAPort", "NotAnAddress", ...) when `skinText` gives one, else the English text.
const char* RuleBreakKey(RuleBreak why);
std::string RuleBreakText(RuleBreak why, const std::string& skinText);
