// Feeds arbitrary device values and selections to the combo and switch mappings of every key the
// catalogue has: no overflow (UBSan), no crash, and a selection the write direction gives back a
// value for never holds a line break.
#include "params/value_mapping.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ParameterCatalogue catalogue;
    static ListParameterCatalogue lists;
    static std::vector<std::string> keys;
    if (keys.empty()) {
        BuildParameterCatalogue(catalogue, lists, 2);
        for (const auto& [key, entry] : catalogue)
            keys.push_back(key);
    }
    if (size < 5)
        return 0;
    const std::string& key = keys[data[0] % keys.size()];
    int selected = 0;
    std::memcpy(&selected, data + 1, sizeof(selected));
    const std::string value(reinterpret_cast<const char*>(data + 5), size - 5);
    const std::vector<std::string> items = {"PROT", "TRNS", value, "9600", ""};
    ComboChoiceForValue(key, value, items, catalogue);
    catalogue[key].value = value; // "I/O selection" looks at the other entries' values
    ComboTexts texts;
    texts.customProtocol = "Custom";
    const std::optional<std::string> written = ComboValueForWrite(key, selected, value, texts);
    if (written && value.find_first_of("\r\n") == std::string::npos)
        Check(written->find_first_of("\r\n") == std::string::npos);
    IoSelectionTarget(selected);
    for (const SwitchRow& row : SwitchRows()) {
        bool on[6];
        for (int bit = 0; bit < 6; ++bit)
            on[bit] = (selected >> bit) & 1;
        const int written = SwitchRowValue(row, on, selected);
        Check(written >= 0 && written <= 255);
    }
    return 0;
}
