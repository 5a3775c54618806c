// The combo and switch value mappings at the edges of what a device may report.
#include "params/value_mapping.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Keys whose item is the device value shifted by a fixed amount.
const char* const kShiftedKeys[] = {"LORA typ", "ZigBee_RFchannel", "ActivationInterface",
                                    "Debugging  port", "LORA Rate"};

TEST(ValueMapping, ExtremeDeviceValuesSaturateInsteadOfOverflowing) {
    const ParameterCatalogue none;
    const std::vector<std::string> items = {"a", "b", "c"};
    for (const char* key : kShiftedKeys) {
        for (const char* value : {"-99999999999", "-2147483648", "99999999999", "2147483647"}) {
            const ComboChoice choice = ComboChoiceForValue(key, value, items, none);
            // Far outside the items whichever way: the combo shows nothing for it.
            if (choice.kind == ComboChoice::Select) {
                EXPECT_TRUE(choice.index < 0 || choice.index >= 3) << key << " " << value;
            }
        }
        // The ordinary values still map as before.
        const ComboChoice first = ComboChoiceForValue(key, key == std::string("ZigBee_RFchannel") ? "11" : "1", items, none);
        if (key != std::string("LORA Rate")) {
            EXPECT_EQ(first, ComboChoice::Item(0)) << key;
        }
    }
    EXPECT_EQ(ComboChoiceForValue("LORA typ", "-2147483648", items, none).index, INT_MIN);
    EXPECT_EQ(ComboChoiceForValue("ZigBee_RFchannel", "-99999999999", items, none).index, INT_MIN);
}

TEST(ValueMapping, SwitchRowsKeepTheBitsNoSwitchShows) {
    for (const SwitchRow& row : SwitchRows()) {
        bool off[6] = {};
        const int value = SwitchRowValue(row, off, INT_MAX);
        for (int bit = 0; bit < 6; ++bit)
            EXPECT_EQ((value >> bit) & 1, row.switches[bit][0] == '\0' ? 1 : 0) << row.key;
        EXPECT_EQ(value & ~63, 0xC0) << "bits 64 and 128 are kept, nothing above a byte";
        EXPECT_GE(SwitchRowValue(row, off, INT_MIN), 0) << row.key;
    }
}

} // namespace
