// The expectations file of the skin tests (one check a line: its name and tab-separated fields,
// "#" comments) and the control kinds it names, with the skin element names and toolkit class
// names a control of each kind may have. The skin check reads the pages' element names, the
// render test the classes of the built controls.
#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef ORVEL_EXPECTATIONS
#error "ORVEL_EXPECTATIONS must name the expectations file"
#endif

// `text` cut at every `separator`; a separator at the end leaves an empty last part.
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// One line of the expectations file: the check's name and its fields.
struct Expectation {
    std::string check;
    std::vector<std::string> fields;
    int line = 0;
};

inline std::vector<Expectation> ReadExpectations() {
    std::vector<Expectation> all;
    std::ifstream in(ORVEL_EXPECTATIONS, std::ios::binary);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> parts = Split(line, '\t');
        Expectation e;
        e.check = parts[0];
        e.fields.assign(parts.begin() + 1, parts.end());
        e.line = number;
        all.push_back(e);
    }
    return all;
}

// True when `name` is one of `names`.
inline bool IsOneOf(const std::string& name, const std::vector<std::string>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

struct ControlKindForms {
    std::vector<std::string> kinds;   // the kind and its other spellings
    std::vector<std::string> tags;    // skin element names
    std::vector<std::string> classes; // toolkit class names
};

inline const ControlKindForms* FindControlKind(const std::string& kind) {
    static const std::vector<ControlKindForms> kForms = {
        {{"Button"}, {"button"}, {"ButtonUI"}},
        {{"Option"}, {"option"}, {"OptionUI"}},
        {{"Combo", "Combobox"}, {"combo", "combobox"}, {"ComboUI", "ComboBoxUI"}},
        {{"Edit"}, {"edit"}, {"EditUI"}},
        {{"RichEdit"}, {"richedit"}, {"RichEdit"}},
        {{"Label"}, {"label", "text"}, {"LabelUI", "TextUI"}},
        {{"GroupBox"}, {"groupbox"}, {"GroupBoxUI"}},
        {{"TabLayout"}, {"tablayout", "animationtablayout"}, {"TabLayoutUI"}},
        {{"List"}, {"list", "listex"}, {"ListUI"}},
    };
    for (const ControlKindForms& forms : kForms)
        if (IsOneOf(kind, forms.kinds))
            return &forms;
    return nullptr;
}
