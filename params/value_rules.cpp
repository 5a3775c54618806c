#include "params/value_rules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool HasControl(const std::string& value) {
    return std::any_of(value.begin(), value.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

// A dotted IPv4 address: four numbers from 0 to 255.
bool IsDottedQuad(const std::string& value) {
    const std::vector<std::string> parts = Split(value, '.');
    if (parts.size() != 4)
        return false;
    return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
        return AllDigits(part) && part.size() <= 3 && std::stoi(part) <= 255;
    });
}

// A host name: labels of letters, digits and "-", joined by dots, the last one not all digits.
bool IsHostName(const std::string& value) {
    const std::vector<std::string> labels = Split(value, '.');
    for (const std::string& label : labels) {
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
    }
    return !AllDigits(labels.back());
}

} // namespace

ValueKind ValueKindOf(const std::string& key) {
    if (key == "CustomList")
        return ValueKind::SensorRow;
    static const std::map<std::string, ValueKind> kKinds = [] {
        std::map<std::string, ValueKind> kinds;
        for (const ParameterRow& row : ParameterTable())
            if (row.value != ValueKind::Text)
                kinds.emplace(row.key, row.value);
        return kinds;
    }();
    const auto found = kKinds.find(key);
    return found == kKinds.end() ? ValueKind::Text : found->second;
}

RuleBreak CheckValue(const std::string& key, const std::string& value) {
    if (HasControl(value))
        return RuleBreak::BadCharacter;
    switch (ValueKindOf(key)) {
    case ValueKind::Port:
        // 0 or nothing is what devices report for a port not in use.
        if (value.empty())
            return RuleBreak::None;
        if (!AllDigits(value) || value.size() > 5 || std::stol(value) > 65535)
            return RuleBreak::NotAPort;
        return RuleBreak::None;
    case ValueKind::Address:
        // An address not in use may be empty.
        if (value.empty())
            return RuleBreak::None;
        if (value.size() > kMaxAddressValue)
            return RuleBreak::TooLong;
        if (!IsDottedQuad(value) && !IsHostName(value))
            return RuleBreak::NotAnAddress;
        return RuleBreak::None;
    case ValueKind::Phone: {
        if (value.size() > kMaxPhoneValue)
            return RuleBreak::TooLong;
        // Digits with an optional leading "+", grouped by blanks, dashes or parentheses as
        // people write them ("+86 135 0000 0001", "138-0013-8000"): devices take and list these.
        const std::string rest = !value.empty() && value[0] == '+' ? value.substr(1) : value;
        std::string digits;
        for (char c : rest)
            if (c != ' ' && c != '-' && c != '(' && c != ')')
                digits += c;
        if (!value.empty() && (digits.empty() || !AllDigits(digits)))
            return RuleBreak::NotAPhone;
        return RuleBreak::None;
    }
    case ValueKind::Apn:
        return value.size() > kMaxApnValue ? RuleBreak::TooLong : RuleBreak::None;
    case ValueKind::SensorRow:
        // The row is read back from the listing only up to this length.
        return value.size() > 100 ? RuleBreak::TooLong : RuleBreak::None;
    case ValueKind::Text:
        return value.size() > kMaxTextValue ? RuleBreak::TooLong : RuleBreak::None;
    }
    return RuleBreak::None;
}

const char* RuleBreakKey(RuleBreak why) {
    switch (why) {
    case RuleBreak::NotAPort:
        return "NotAPort";
    case RuleBreak::NotAnAddress:
        return "NotAnAddress";
    case RuleBreak::NotAPhone:
        return "NotAPhone";
    case RuleBreak::TooLong:
        return "TooLong";
    case RuleBreak::BadCharacter:
        return "BadCharacter";
    case RuleBreak::None:
        break;
    }
    return "";
}

std::string RuleBreakText(RuleBreak why, const std::string& skinText) {
    if (!skinText.empty())
        return skinText;
    switch (why) {
    case RuleBreak::NotAPort:
        return "not a port number (0 to 65535)";
    case RuleBreak::NotAnAddress:
        return "not an IP address (four numbers up to 255) or a host name";
    case RuleBreak::NotAPhone:
        return "not a phone number (digits, an optional leading +, blanks or dashes between them)";
    case RuleBreak::TooLong:
        return "longer than the device takes";
    case RuleBreak::BadCharacter:
        return "holds a line break or another control character";
    case RuleBreak::None:
        break;
    }
    return "";
}
