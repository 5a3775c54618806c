// The configuration pages as the program drives them: showing a parsed configuration on the
// controls, the numbered layout rules that show and hide groups and set the parameters' in-use
// flags, the tab strip, the sensor rows, and collecting the changed values as set commands.
//
// Portable: it reaches the controls only through an IPageView and the rest of the program only
// through an IPageHost, so the main window supplies both and native tests supply in-memory ones.
// Everything here runs on the one thread that owns the parameter store (the window's).
#pragma once

#include "exchange/job.h"
#include "pages/page_view.h"
#include "pages/write_plan.h"
#include "params/config_file.h"
#include "params/parameter_store.h"
#include "params/value_mapping.h"

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What the pages need from the program around them.
class IPageHost {
public:
    virtual ~IPageHost() = default;
    // A text of the skin's Language.ini (empty when missing).
    virtual std::string Text(const char* section, const char* key) = 0;
    // Posts WM_LAYOUT_RULE: the rule runs later, after the current one, in post order.
    virtual void PostLayoutRule(int rule, int argument) = 0;
    // Queues a job for the worker thread.
    virtual void PushJob(const Job& job) = 0;
    // Appends a line to the operation log.
    virtual void Log(const std::string& text) = 0;
};

// Names of the controls the pages rely on.
constexpr const char* kSensorListName = "CustomList";
constexpr const char* kPageSwitchName = "switch";
constexpr const char* kTabStripName = "HorizontalLayoutUI6";

// The sub-controls of a sensor row, in the order of the row text (the channel label is shown
// only).
constexpr const char* kSensorChannelField = "SensorCfg_Channel";
constexpr int kSensorFieldCount = 10;
extern const char* const kSensorFields[kSensorFieldCount];
constexpr int kSensorDataNameField = 8; // index of "SensorCfg_DataName" in kSensorFields

// Layout rule numbers.
enum LayoutRule : int {
    RULE_WORK_MODE = 0,
    RULE_ACTIVATION = 1,
    RULE_DEBUG_LEVEL = 2,
    RULE_SERVER_COUNT = 3,
    RULE_LCP_ECHO = 4,
    RULE_EXFUN = 5,
    RULE_DTU_MANAGE = 6,
    RULE_IO1 = 7,
    RULE_IO2 = 8,
    RULE_IO3 = 9,
    RULE_IO_SELECTION = 10,
    RULE_IO1_CONTROL = 11,
    RULE_IO2_CONTROL = 12,
    RULE_IO3_CONTROL = 13,
    RULE_SMS_CONFIGURE = 14,
    RULE_DATA_FORMAT = 15,
    RULE_DATA_FORMAT_CHANNEL = 16,
    RULE_LORA_MODE = 17,
    RULE_IO2_MODE = 18,
    RULE_IO1_MODE = 19,
    RULE_IO4 = 20,
    RULE_IO5 = 21,
    RULE_LAST = 21,
};

// What the tab strip is asked to do: lay itself out afresh (and select the first enabled
// page), show the tabs further left or further right, or only show or hide its arrows for the
// strip's width now (after the window was resized).
enum class TabStripStep { Relayout, Left, Right, Fit };

// What a rule leaves for its caller to do once the rule has returned (a modal box inside a
// rule would let the next rules run nested under it).
struct RuleOutcome {
    // "Server Count" was "0" on a device that needs a server: show the "Notify"/"ServerCount"
    // box, then call ServerCountFallback (which selects item 1 and so runs the rule again).
    bool serverCountNotice = false;
};

// A configuration file parsed for loading: its values (a copy of the catalogue, never the
// device's known values) and the labels it holds.
struct FileConfiguration {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    FileLabels labels;
};

class CConfigPages {
public:
    CConfigPages(IPageView& view, CParameterStore& store, IPageHost& host);

    // Puts the catalogue's values into the controls, picks the radio module tab from the device
    // type, shows the groups the device has, fills the sensor rows and posts rules 1 and 17.
    // Ends a file load that was under way.
    void ApplyValuesToControls();

    // Loading a file: parses the file's listing into a copy of the catalogue and shows its
    // values the same way, while the catalogue keeps the device's. The file stays the pages'
    // reference until PlanFileDifferences or EndFileLoad; `labels` are the ones it holds.
    void ShowFileValues(const std::string& fileListing, FileLabels labels);
    // The device could not be read for the file: the pages keep showing it, nothing is written.
    void EndFileLoad() { file_.reset(); }
    bool IsLoadingFile() const { return file_.has_value(); }

    // Switches: on/off images of single bits of the transmit-channel values.
    bool IsSwitchOn(const std::string& name) const;
    void SetSwitch(const std::string& name, bool on);

    // Lays the tab strip out afresh and selects the first enabled tab, or steps it.
    void UpdateTabStrip(TabStripStep step);

    // The WM_LAYOUT_RULE handler: runs rule `rule` with its argument; above 21 nothing.
    RuleOutcome ApplyLayoutRule(int rule, int argument);
    void ServerCountFallback();
    // Called when no layout rule is waiting any more: after a configuration was shown, the
    // page as the rules left it is remembered for the write path.
    void OnRulesSettled();
    // Shows or hides a layout and sets the in-use flags of the parameters inside it.
    void SetLayoutVisible(const std::string& name, bool visible);

    // The sensor rows.
    void NumberSensorRows();
    void FillSensorList();
    // Shows a sensor row's value (the device's ten fields joined by ",") in row r.
    void FillSensorRow(int r, const std::string& value);
    void SetRowFieldValue(int row, const std::string& field, const std::string& text);
    std::string GetRowFieldValue(int row, const std::string& field) const;

    // What the log says when a write is asked for before the device was read.
    std::string ReadFirstNotice();
    bool QueueSetCommandIfChanged(const std::string& value, const std::string& key,
                                  const ParameterEntry& entry);
    // Whether a value keeps the rule of its parameter (params/value_rules.h); when it does not,
    // the log names the field, the value and the reason, and nothing is queued for it.
    bool KeepsItsRule(const std::string& key, const std::string& value, const std::string& label);
    // The write plan: a row for every command the write path would queue, the ones that break
    // their rule unticked, nothing logged and nothing queued. Empty before the device was read.
    std::vector<PlanRow> PlanChanges();
    // The device's own listing is in the catalogue: the plan of every value of the loaded file
    // that differs from it, for the labels the file holds only (a partial file changes only
    // what it names), with the file's values the pages could not take listed as not
    // applicable. Ends the file load.
    std::vector<PlanRow> PlanFileDifferences(const std::string& fileListing);

    // Marks every field whose page value differs from the device's (changed, or breaking its
    // rule, or failed at the last write: `failed` maps a plan row's control, or
    // "CustomList/<row>", to the reason) and sets the tabs' change counts. Returns the plan the
    // marks came from.
    std::vector<PlanRow> MarkChanges();
    void SetFailedFields(std::map<std::string, std::string> failed) { failed_ = std::move(failed); }
    // Changed fields by tab, as the last MarkChanges counted them.
    int ChangesOnTab(int tab) const;
    // Puts the device's value back into one field (its control name, a switch for its row, or
    // "CustomList/<row>" for a sensor row); false when the field is not known.
    bool RevertField(const std::string& control);
    // The control a mark stands on for a plan row (its field, a switch row's first switch, a
    // sensor row's channel label).
    static std::string FailedKey(const PlanRow& row);
    // The page's title as its tab shows it.
    std::string PageTitle(int tab) const;
    // Why a value breaks its rule, in the skin's words.
    std::string RuleReason(RuleBreak why) const;

    // `only`: the labels a loaded file holds (null: every row).
    int CollectSensorList(bool force, const FileLabels* only = nullptr);
    bool QueueListItemIfChanged(const std::string& fullText, ListParameterEntry& entry,
                                const std::string& label);

    // Whether the device's configuration was read since the port was opened (the write path
    // compares the pages with it). The main window sets it after a read and clears it when
    // the port opens or closes.
    void SetDeviceRead(bool read) { deviceRead_ = read; }
    bool IsDeviceRead() const { return deviceRead_; }

    const std::string& DeviceTypeText() const { return deviceType_; }
    const std::string& LoraVersionText() const { return loraVersion_; }

private:
    // The values the pages show: the loaded file's while one is being loaded, else the
    // device's known values.
    const ParameterCatalogue& ShownParameters() const {
        return file_ ? file_->parameters : store_.parameters;
    }
    const ListParameterCatalogue& ShownLists() const {
        return file_ ? file_->lists : store_.lists;
    }
    const InterfacePresence& ShownPresence() const {
        return file_ ? file_->presence : store_.presence;
    }
    void ShowValues();
    // Shows one catalogue entry's value on its controls.
    void ShowEntry(const std::string& key, const ParameterEntry& entry);
    int Collect(const FileLabels* only);
    std::vector<PlanRow> Plan(const FileLabels* only);
    // Names a plan row's field by the words its page shows for it.
    void NameByPage(PlanRow& row) const;
    std::string SensorRowName(int r) const;
    // The set command of sensor row `label` ("<row>,<fields>" as `fullText`; `row` the fields).
    static Job SensorRowJob(const ListParameterEntry& entry, const std::string& fullText,
                            const std::string& row, const std::string& label);
    // The controls that show a plan row (a field, a switch row's switches, a sensor row).
    std::vector<ControlRef> MarkedControls(const PlanRow& row) const;

    struct Write {
        std::string key;
        std::string value;
        bool operator==(const Write& o) const { return key == o.key && value == o.value; }
    };
    // The writes the page state of one catalogue entry derives, or nothing when the entry is
    // not written in its current state (skipped combos, missing controls, other kinds).
    std::vector<Write> DerivedWrites(const std::string& key, const ParameterEntry& entry) const;
    // Remembers, for every entry whose controls cannot show its known value, the writes the
    // page derives right after showing: the write path skips them while they stay so.
    void RememberUnshowableValues();
    const ComboTexts& Texts() const;
    // A write-path message of Language.ini, or its built-in English text.
    std::string TextOr(const char* key, const char* fallback) const;
    // The ten fields of sensor row r joined by ","; refused when a field holds a "," or a line
    // break.
    std::string SensorRowText(int r, bool& refused) const;
    bool SetTabEnabled(int tab, bool enabled);

    void RuleWorkMode();
    void RuleActivation();
    RuleOutcome RuleServerCount();
    void RuleOptionGroup(const char* combo, int shownFor, const char* layout, const char* box,
                         int heightShown, int heightHidden);
    void RuleIoChannel(int channel);
    void RuleIoSelection();
    enum class ComboRule { Missing, Hidden, Applied };
    // Shows or hides the channel's group box by a combo of the activation group.
    ComboRule ChannelByCombo(const std::string& combo, int channel, bool (*shows)(int item));
    void RuleIoControl(int channel);
    void IoTabCheck();
    void RuleIoMode(int channel);
    void RuleDataFormat(int channel);
    void RuleLoraMode();
    void SetHeight(const std::string& name, int height);
    // SetLayoutVisible for each layout, in the order given.
    void SetLayouts(std::initializer_list<std::pair<const char*, bool>> layouts);
    void ShowIoTab();

    IPageView& view_;
    CParameterStore& store_;
    IPageHost& host_;
    std::string deviceType_;
    std::string loraVersion_;
    bool deviceRead_ = false;
    std::optional<FileConfiguration> file_; // a file being loaded
    std::map<std::string, std::vector<Write>> unshowable_;
    std::map<int, std::string> unshowableRows_;
    mutable std::optional<ComboTexts> texts_;
    bool settling_ = false;             // a configuration was shown, its rules still run
    std::set<std::string> forcedKeys_;  // changed by the program itself, told to the user
    // The sensor data names as the device sent them (UTF-8) and as shown (ANSI), by row.
    std::map<int, std::pair<std::string, std::string>> shownDataNames_;
    // Planning: the rows being collected, the control and sensor row they come from.
    std::vector<PlanRow>* plan_ = nullptr;
    std::string planControl_;
    int planRow_ = -1;
    // Marks: the fields marked now, the failures of the last write, changes by tab.
    std::vector<ControlRef> marked_;
    std::map<std::string, std::string> failed_;
    std::array<int, kTabCount> tabChanges_{};
};
