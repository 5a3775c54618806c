// The parameter catalogue: every device parameter the tool knows, keyed by the name of the
// page control that shows it, with the AT command word that writes it, the label under which
// the device reports it in its "AT+SHOW" listing, its control kind and its tab page.
#pragma once

#include <array>
#include <map>
#include <string>

// The control kinds of catalogue entries, as the parameter table names them: the value of an
// "Edit" entry is the text of an edit control, a "Combobox" entry's is a combo selection, a
// "Line" entry's a row of switches (or a text shown elsewhere), a "List" entry's the rows of a
// list control. The table names the kinds in words; the catalogue holds them as EntryKind,
// recognised from the words here only.
enum class EntryKind { None, Edit, Combobox, Line, List };
EntryKind KindOf(const std::string& kind);

// One plain parameter. `value` is the last value known to be in the device.
struct ParameterEntry {
    std::string command; // AT command word without "=", empty when never written on its own
    std::string value;   // last known device value, as text
    std::string label;   // text before the value in the listing ("\r\n" included where used)
    bool inUse = false;  // the parameter's control is part of the current layout
    EntryKind kind = EntryKind::None;
    int tab = 0; // index into the tab table, kNoTab for none
};

// One list parameter ("CustomList", the sensor rows): a numbered list of values.
struct ListParameterEntry {
    std::string command;                      // "AT+GENSENSORINFO"
    std::string labelFormat;                  // "GENSENSORINFO %d:"
    std::map<std::string, std::string> items; // formatted label -> item value
    bool inUse = false;
    EntryKind kind = EntryKind::List;
    int count = 0; // number of rows of the list control when the catalogue was built
    int tab = 0;
};

// std::string compares through char_traits<char>, which orders as unsigned bytes: iteration
// runs in ascending byte-wise key order, shorter key first on a common prefix.
using ParameterCatalogue = std::map<std::string, ParameterEntry>;
using ListParameterCatalogue = std::map<std::string, ListParameterEntry>;

// Tab page indexes used by the catalogue.
enum : int {
    TAB_WORK_MODE = 0,
    TAB_SERVER = 1,
    TAB_SERIAL = 2,
    TAB_IO = 3,
    TAB_WIRELESS = 4,
    TAB_GLOBAL = 5,
    TAB_EQUIPMENT = 6,
    TAB_LORA = 7,
    TAB_ZIGBEE = 8,
    TAB_GPS = 9,
    TAB_MODBUS = 10,
    TAB_OPERATION = 11,
    kTabCount = 12,
    kNoTab = 100, // the parameter has no page; never used as an index
};

struct TabRecord {
    std::string name;
    bool enabled = true;
};
using TabTable = std::array<TabRecord, kTabCount>;

// The name of the tab button for index 0..11 ("WorkModeTab" ... "OperationTab"); "" otherwise.
const char* TabName(int tab);
// The tab's option (the button the user clicks): its place's name without "Tab" ("WorkMode");
// "" otherwise.
std::string TabOptionName(int tab);
// Sets every record's name and enables it (window initialisation).
void InitTabTable(TabTable& tabs);

// One row of the built-in catalogue table, in build order.
// What a parameter's value is, for checking it and for reading it out of a file's text.
enum class ValueKind { Text, Port, Address, Phone, Apn, SensorRow };

struct ParameterRow {
    const char* key;
    const char* command; // "" for none
    const char* label;   // "" for none
    const char* kind;    // "" for none
    int tab;
    ValueKind value = ValueKind::Text;
};
constexpr size_t kParameterCount = 217;
const std::array<ParameterRow, kParameterCount>& ParameterTable();

// The rows of the Modbus page's sensor list ("GENSENSORINFO 1:" ... "GENSENSORINFO 64:").
constexpr int kSensorRows = 64;

// The list parameter of the Modbus page.
constexpr const char* kCustomListKey = "CustomList";
constexpr const char* kCustomListCommand = "AT+GENSENSORINFO";
constexpr const char* kCustomListLabelFormat = "GENSENSORINFO %d:";

// Gets or inserts the entry for key, sets its tab, command, kind and label and marks it in use;
// its value is kept.
void AddParameter(ParameterCatalogue& catalogue, int tab, EntryKind kind, const std::string& key,
                  const std::string& label, const std::string& command);

// Creates the list entry (in use, with `count` empty items labelled from the format with the
// numbers 1 to count) unless the key already exists, in which case nothing changes.
void AddListParameter(ListParameterCatalogue& catalogue, int tab, EntryKind kind,
                      const std::string& key, const std::string& labelFormat,
                      const std::string& command, int count);

// A listing label as people write it ("\r\nServer's Port:" -> "Server's Port"): no leading
// line end, no trailing colon or blanks.
std::string PlainLabel(std::string label);

// The list item label for number i ("GENSENSORINFO 3:"); a format with anything but one %d
// is used as it is, followed by the number, so no format can read beyond its arguments.
std::string FormatListLabel(const std::string& labelFormat, int i);

// Lookups. Find* never inserts and returns nullptr for an absent key; Get* inserts an empty
// entry (empty strings, not in use, tab 0) for an absent key.
ParameterEntry* FindParameter(ParameterCatalogue& catalogue, const std::string& key);
const ParameterEntry* FindParameter(const ParameterCatalogue& catalogue, const std::string& key);
ParameterEntry& GetParameter(ParameterCatalogue& catalogue, const std::string& key);
ListParameterEntry* FindListParameter(ListParameterCatalogue& catalogue, const std::string& key);
const ListParameterEntry* FindListParameter(const ListParameterCatalogue& catalogue,
                                            const std::string& key);
ListParameterEntry& GetListParameter(ListParameterCatalogue& catalogue, const std::string& key);

// Fills both catalogues: the 217 table rows in table order ("LORA ver" then set not in use) and,
// when sensorRows is 0 or more, the "CustomList" entry with that many items. A negative
// sensorRows means the pages have no "CustomList" control: no list entry is created.
void BuildParameterCatalogue(ParameterCatalogue& parameters, ListParameterCatalogue& lists,
                             int sensorRows);

// Records a value the device acknowledged ("OK\r\n" to a write job): for a List kind the item
// `item` of the list entry `key`, otherwise the value of the parameter `key`; absent keys and
// items are inserted.
void RecordWrittenValue(ParameterCatalogue& parameters, ListParameterCatalogue& lists,
                        const std::string& key, const std::string& value, EntryKind kind,
                        const std::string& item);

// The listing label of what people call `name`: a catalogue key (the field's name on the pages,
// "Modem'sID number"), or a label as the listing writes it with or without its colon ("Server's
// Port"), or a sensor row's label ("GENSENSORINFO 3"). "" when nothing is called so.
std::string LabelOfName(const ParameterCatalogue& parameters, const ListParameterCatalogue& lists,
                        const std::string& name);
// The catalogue key of a listing label (the list's key for a sensor row's label), or "".
std::string KeyOfLabel(const ParameterCatalogue& parameters, const ListParameterCatalogue& lists,
                       const std::string& label);
// Whether the device only reports the value of the label and no command writes it
// ("Device Type").
bool IsReadOnlyLabel(const ParameterCatalogue& parameters, const std::string& label);
