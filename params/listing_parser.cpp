#include "params/listing_parser.h"

#include <algorithm>
#include <climits>

namespace {

// True when the text before pos on its line holds nothing but blanks.
bool AtLineStart(const std::string& text, size_t pos) {
    while (pos > 0 && text[pos - 1] == ' ')
        --pos;
    return pos == 0 || text[pos - 1] == '\n';
}

// Where a label is found in the listing. Labels that begin with CR LF can only occur at the
// start of a line, because a value never holds a line end. A label without CR LF could also
// occur inside an earlier value (a free-text value such as a custom register packet may hold
// any text); an occurrence at the start of a line is therefore preferred, and only when there
// is none does the first occurrence anywhere count, which is where the device puts labels that
// do not begin a line.
size_t FindLabel(const std::string& text, const std::string& label) {
    const size_t first = text.find(label);
    if (first == std::string::npos || label.empty() || label[0] == '\r')
        return first;
    for (size_t pos = first; pos != std::string::npos; pos = text.find(label, pos + 1)) {
        if (AtLineStart(text, pos))
            return pos;
    }
    return first;
}

} // namespace

ValueResult ExtractValue(const std::string& text, const std::string& label, std::string& value) {
    const size_t pos = FindLabel(text, label);
    if (pos == std::string::npos)
        return ValueResult::NoLabel;
    const size_t start = pos + label.size();
    const size_t lineEnd = text.find("\r\n", start);
    if (lineEnd == std::string::npos)
        return ValueResult::NoLineEnd;
    size_t first = start;
    while (first < lineEnd && text[first] == ' ')
        ++first;
    size_t last = lineEnd;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\r'))
        --last;
    value.assign(text, first, last - first);
    return ValueResult::Found;
}

void DetectInterfaces(const std::string& reply, InterfacePresence& presence) {
    auto has = [&reply](const char* word) { return reply.find(word) != std::string::npos; };
    presence.serialPort1 = has("A serial port");
    presence.serialPort2 = has("A serial 2 port");
    presence.rs485 = has("RS485 port");
    const char* const io[5] = {"IO1", "IO2", "IO3", "IO4", "IO5"};
    for (int i = 0; i < 5; ++i)
        presence.io[i] = has(io[i]);
}

void ParseListItems(const std::string& working, ListParameterCatalogue& lists) {
    for (auto& [key, entry] : lists) {
        for (int i = 0; i < entry.count; ++i) {
            const std::string label = FormatListLabel(entry.labelFormat, i);
            std::string value;
            // A row the listing lacks, cuts short or holds longer than a row can be is not
            // known: it is empty, never the row of an earlier read (which belongs to whatever
            // device was read before).
            std::string& item = entry.items[label];
            if (ExtractValue(working, label, value) == ValueResult::Found &&
                value.size() <= kMaxListItemValue)
                item = std::move(value);
            else
                item.clear();
        }
    }
}

bool ParseListing(const char* reply, size_t count, ParameterCatalogue& parameters,
                  ListParameterCatalogue& lists, InterfacePresence& presence) {
    if (reply == nullptr)
        return false;
    // The reply is read as text: a zero byte stands for a blank, as in the reply buffer.
    std::string text(reply, count);
    std::replace(text.begin(), text.end(), '\0', ' ');

    const size_t anchor = text.find(kListingAnchor);
    if (anchor == std::string::npos)
        return false; // not a listing: the catalogue keeps what it had

    // Everything from the anchor to the end: a full listing may be far longer than 8 KB.
    const std::string working = text.substr(anchor);
    DetectInterfaces(text, presence);
    for (auto& [key, entry] : parameters) {
        entry.value.clear();
        std::string value;
        if (ExtractValue(working, entry.label, value) == ValueResult::Found &&
            value.size() < kMaxParameterValue)
            entry.value = std::move(value);
    }
    ParseListItems(working, lists);
    return true;
}
