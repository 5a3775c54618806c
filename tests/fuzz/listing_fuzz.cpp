// Feeds arbitrary text to the listing parser: it must never crash, never keep a value that is too
// long or spans a line end, never take a value that the text does not hold after the label, and
// never touch the catalogue when the text has no anchor.
#include "params/listing_parser.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Model {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
};

const Model& BuiltModel() {
    static const Model built = [] {
        Model model;
        BuildParameterCatalogue(model.parameters, model.lists, 12);
        for (auto& [key, entry] : model.parameters)
            entry.value = "before";
        return model;
    }();
    return built;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Model model = BuiltModel();
    const char* text = reinterpret_cast<const char*>(data);
    const bool parsed = ParseListing(text, size, model.parameters, model.lists, model.presence);

    std::string readable(text, size);
    std::replace(readable.begin(), readable.end(), '\0', ' ');
    const size_t anchor = readable.find(kListingAnchor);
    Check(parsed == (anchor != std::string::npos));
    if (!parsed) {
        for (const auto& [key, entry] : model.parameters)
            Check(entry.value == "before");
        Check(model.presence.serialPort1 && model.presence.rs485 && model.presence.io[4]);
        return 0;
    }
    const std::string working = readable.substr(anchor);
    for (const auto& [key, entry] : model.parameters) {
        Check(entry.value.size() < kMaxParameterValue);
        Check(entry.value.find("\r\n") == std::string::npos);
        if (entry.value.empty())
            continue;
        // The value stands in the text right after its label (blanks between).
        bool found = false;
        for (size_t at = working.find(entry.label); at != std::string::npos && !found;
             at = working.find(entry.label, at + 1)) {
            size_t start = at + entry.label.size();
            while (start < working.size() && working[start] == ' ')
                ++start;
            found = working.compare(start, entry.value.size(), entry.value) == 0;
        }
        Check(found);
    }
    for (const auto& [label, value] : model.lists.at(kCustomListKey).items) {
        Check(value.size() <= kMaxListItemValue);
        Check(value.empty() || working.find(label) != std::string::npos);
    }
    return 0;
}
