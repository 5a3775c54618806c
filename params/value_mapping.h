// How device values and page combos correspond: which item a combo shows for a value read from
// the device, and which value a combo's selection writes back. The two directions are inverses
// except where noted on the keys themselves (a value the combo cannot show, "I/O selection").
// Also the transmit-channel switches: which bit of the shared value each switch shows.
#pragma once

#include "params/parameter_catalogue.h"

#include <optional>
#include <string>
#include <vector>

// What a combo does with a value read from the device.
struct ComboChoice {
    enum Kind { Keep, Select, Clear };
    Kind kind = Keep;
    int index = 0; // for Select: the item counted from 0 (may lie past the last item)

    static ComboChoice KeepSelection() { return {}; }
    static ComboChoice Item(int i) { return {Select, i}; }
    static ComboChoice None() { return {Clear, -1}; }
    bool operator==(const ComboChoice& o) const {
        return kind == o.kind && (kind != Select || index == o.index);
    }
};

// The combo selection for the value of `key`. itemTexts are the combo's item texts (used by the
// keys that match by text); catalogue gives the other entries that "I/O selection" looks at.
ComboChoice ComboChoiceForValue(const std::string& key, const std::string& value,
                                const std::vector<std::string>& itemTexts,
                                const ParameterCatalogue& catalogue);

// The page texts the write direction compares with: the custom protocol's item text and the
// five DIO work-mode item texts, as the skin's Language.ini names them.
struct ComboTexts {
    std::string customProtocol; // "Protocolmodel"/"Text"
    std::string dioWorkmode[5]; // "DIO workmode"/"Text1".."Text5"
};

// The value a combo writes for `key` with the selected index (-1 for none) and the selected
// item's text; nullopt when the combo's state writes nothing. "I/O selection" always gives
// nullopt: it writes to the DIO work-mode entries instead (see IoSelectionTarget).
std::optional<std::string> ComboValueForWrite(const std::string& key, int selected,
                                              const std::string& text, const ComboTexts& texts);

// "I/O selection": the DIO work-mode entry that its selection names ("DIO1 workmode",
// "DIO2 workmode", "DIO4 workmode" for 0..2, the channel n + 1 entry for n >= 3), or "" for -1.
std::string IoSelectionTarget(int selected);

// "I/O1 control" .. "I/O3 control": the DIO work-mode entry that also gets "5" when the
// control's selection is not 6; "" for any other key.
std::string IoControlWorkmodeKey(const std::string& key);

// The transmit-channel switch rows: the entry, then the switch names for the bits 1, 2, 4, 8,
// 16 and 32 ("" where the page shows no switch for that bit), and whether the bits no switch
// shows are kept from the entry's current value when writing.
struct SwitchRow {
    const char* key;
    const char* switches[6];
};
const std::vector<SwitchRow>& SwitchRows();

// The value a switch row writes: the bits of the switches that are on, plus the bits of the
// current value that no switch of the row shows (so a value the page cannot show survives).
int SwitchRowValue(const SwitchRow& row, const bool on[6], int currentValue);
