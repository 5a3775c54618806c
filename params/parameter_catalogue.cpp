#include "params/parameter_catalogue.h"

namespace {

const char* const kTabNames[kTabCount] = {
    "WorkModeTab", "ServerTab", "SerialTab", "IOTab",  "WirelessTab", "GlobalTab",
    "EquimentTab", "LoraTab",   "ZigbeeTab", "GPSTab", "ModbusTab",   "OperationTab",
};

} // namespace

const char* TabName(int tab) {
    if (tab < 0 || tab >= kTabCount)
        return "";
    return kTabNames[tab];
}

std::string TabOptionName(int tab) {
    const std::string place = TabName(tab);
    return place.size() > 3 ? place.substr(0, place.size() - 3) : std::string();
}

void InitTabTable(TabTable& tabs) {
    for (int i = 0; i < kTabCount; ++i) {
        tabs[i].name = kTabNames[i];
        tabs[i].enabled = true;
    }
}

void AddParameter(ParameterCatalogue& catalogue, int tab, EntryKind kind,
                  const std::string& key, const std::string& label, const std::string& command) {
    ParameterEntry& entry = catalogue[key];
    entry.tab = tab;
    entry.command = command;
    entry.kind = kind;
    entry.label = label;
    entry.inUse = true;
}

std::string PlainLabel(std::string label) {
    if (label.rfind("\r\n", 0) == 0)
        label.erase(0, 2);
    while (!label.empty() && (label.back() == ':' || label.back() == ' '))
        label.pop_back();
    return label;
}

std::string FormatListLabel(const std::string& labelFormat, int i) {
    const std::string number = std::to_string(i);
    const size_t percent = labelFormat.find('%');
    const bool oneNumber = percent != std::string::npos &&
                           labelFormat.compare(percent, 2, "%d") == 0 &&
                           labelFormat.find('%', percent + 1) == std::string::npos;
    if (!oneNumber)
        return labelFormat + number;
    return labelFormat.substr(0, percent) + number + labelFormat.substr(percent + 2);
}

void AddListParameter(ListParameterCatalogue& catalogue, int tab, EntryKind kind,
                      const std::string& key, const std::string& labelFormat,
                      const std::string& command, int count) {
    if (catalogue.count(key) != 0)
        return;
    ListParameterEntry& entry = catalogue[key];
    entry.command = command;
    entry.labelFormat = labelFormat;
    entry.inUse = true;
    entry.kind = kind;
    entry.count = count;
    entry.tab = tab;
    for (int i = 1; i <= count; ++i)
        entry.items[FormatListLabel(labelFormat, i)] = std::string();
}

ParameterEntry* FindParameter(ParameterCatalogue& catalogue, const std::string& key) {
    auto it = catalogue.find(key);
    return it == catalogue.end() ? nullptr : &it->second;
}

const ParameterEntry* FindParameter(const ParameterCatalogue& catalogue, const std::string& key) {
    auto it = catalogue.find(key);
    return it == catalogue.end() ? nullptr : &it->second;
}

ParameterEntry& GetParameter(ParameterCatalogue& catalogue, const std::string& key) {
    return catalogue[key];
}

ListParameterEntry* FindListParameter(ListParameterCatalogue& catalogue, const std::string& key) {
    auto it = catalogue.find(key);
    return it == catalogue.end() ? nullptr : &it->second;
}

const ListParameterEntry* FindListParameter(const ListParameterCatalogue& catalogue,
                                            const std::string& key) {
    auto it = catalogue.find(key);
    return it == catalogue.end() ? nullptr : &it->second;
}

ListParameterEntry& GetListParameter(ListParameterCatalogue& catalogue, const std::string& key) {
    return catalogue[key];
}

void BuildParameterCatalogue(ParameterCatalogue& parameters, ListParameterCatalogue& lists,
                             int sensorRows) {
    bool first = true;
    for (const ParameterRow& row : ParameterTable()) {
        AddParameter(parameters, row.tab, KindOf(row.kind), row.key, row.label, row.command);
        if (first) {
            // The LoRa module's version is shown as text, never edited or written.
            parameters[row.key].inUse = false;
            first = false;
        }
    }
    if (sensorRows >= 0)
        AddListParameter(lists, TAB_MODBUS, EntryKind::List, kCustomListKey, kCustomListLabelFormat,
                         kCustomListCommand, sensorRows);
}

EntryKind KindOf(const std::string& kind) {
    struct Name {
        const char* text;
        EntryKind kind;
    };
    static const Name kNames[] = {{"Edit", EntryKind::Edit},
                                  {"Combobox", EntryKind::Combobox},
                                  {"Line", EntryKind::Line},
                                  {"List", EntryKind::List}};
    for (const Name& name : kNames)
        if (kind == name.text)
            return name.kind;
    return EntryKind::None;
}

void RecordWrittenValue(ParameterCatalogue& parameters, ListParameterCatalogue& lists,
                        const std::string& key, const std::string& value, EntryKind kind,
                        const std::string& item) {
    if (kind == EntryKind::List)
        lists[key].items[item] = value;
    else
        parameters[key].value = value;
}

std::string LabelOfName(const ParameterCatalogue& parameters, const ListParameterCatalogue& lists,
                        const std::string& name) {
    // The name of the field on the pages ("Modem'sID number") names it too.
    if (const ParameterEntry* entry = FindParameter(parameters, name))
        if (!entry->label.empty())
            return entry->label;
    const std::string wanted = PlainLabel(name);
    if (wanted.empty())
        return std::string();
    for (const auto& [key, entry] : parameters)
        if (!entry.label.empty() && PlainLabel(entry.label) == wanted)
            return entry.label;
    for (const auto& [key, list] : lists)
        for (int i = 0; i < list.count; ++i) {
            const std::string label = FormatListLabel(list.labelFormat, i);
            if (PlainLabel(label) == wanted)
                return label;
        }
    return std::string();
}

std::string KeyOfLabel(const ParameterCatalogue& parameters, const ListParameterCatalogue& lists,
                       const std::string& label) {
    for (const auto& [key, entry] : parameters)
        if (entry.label == label)
            return key;
    for (const auto& [key, list] : lists)
        for (int i = 0; i < list.count; ++i)
            if (FormatListLabel(list.labelFormat, i) == label)
                return key;
    return std::string();
}

bool IsReadOnlyLabel(const ParameterCatalogue& parameters, const std::string& label) {
    for (const auto& [key, entry] : parameters)
        if (entry.label == label)
            return entry.command.empty();
    return false;
}
