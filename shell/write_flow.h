// The one way values are written to a device: plan -> snapshot -> the ticked rows sent -> the
// device read again as a verifying job -> every row's outcome. The plan is made by the page
// logic (CPageSession), so that what is written is what the window would write; the flow decides
// nothing about windows or the console. dtucfg drives it synchronously over a device dialogue.
#pragma once

#include "base/json.h"
#include "exchange/device_dialogue.h"
#include "pages/write_plan.h"
#include "params/config_file.h"
#include "params/snapshots.h"
#include "shell/page_session.h"

#include <functional>
#include <string>
#include <vector>

// The values to write: a configuration file's listing (whole, or partial with the values a
// command line or a units file put on top) and the labels it names.
struct ConfigValues {
    std::string listing;
    FileLabels labels;
    bool namesAnchor = false; // it names "Access Point Name"
};

// Reads a configuration file for writing; a partial file is taken as it stands, a byte-order
// mark skipped. False with the reason (a file cut short, longer than a listing can be).
bool ReadConfigValues(const std::string& bytes, ConfigValues& values, std::string& why);
// Reads a JSON object of label -> value (labels as people write them); false with the reason.
bool JsonConfigValues(const std::string& bytes, ConfigValues& values, std::string& why);
// A values file: a .cfg (whole or partial) or a JSON object of label -> value.
bool ReadValuesFile(const std::string& bytes, ConfigValues& values, std::string& why);
// Puts `value` under `label` (as the listing writes it) and names the label.
void SetConfigValue(ConfigValues& values, const std::string& label, const std::string& value);
// The labels the values name whose value the listing does not hold (a value of its own, or
// none at all): what a write left undone. Values that change by themselves and values no
// command writes are left out.
std::vector<std::string> UnmetValues(const ConfigValues& values, const std::string& listing);

class CWriteFlow {
public:
    using Say = std::function<void(const std::string&)>;
    // `skinFolder`: the English skin whose pages decide what is written.
    CWriteFlow(std::string skinFolder, Say say)
        : skinFolder_(std::move(skinFolder)), say_(std::move(say)) {}

    // Plans the values against the device's listing: one row per command the pages derive,
    // those that break their rule unticked, and the values the pages could not take (not in use
    // with the other settings) as rows that are not applicable. With `restoring` (undo), a value
    // the file's own settings hide but the device's current settings show is written first,
    // before the settings that hide it.
    // False when the skin cannot be read or the device's text holds no listing.
    bool Plan(const std::string& device, ConfigValues values, bool restoring = false);
    // What the page logic said while planning (a refused value and the like).
    const std::vector<std::string>& Messages() const { return messages_; }

    std::vector<PlanRow>& Rows() { return rows_; }
    const std::vector<PlanRow>& Rows() const { return rows_; }
    // The rows that would be sent (applicable and ticked).
    size_t ToSend() const { return TickedRows(rows_); }
    // The labels of values that break their rule, and of values named but not applicable.
    std::vector<std::string> Invalid() const;
    std::vector<std::string> NotApplied() const;

    // Keeps the device's listing in `snapshots` (when given), sends the ticked rows and reads the
    // device again to verify them. False with the reason when it could not begin (the snapshot
    // could not be kept, the device is no longer in its setting mode): then nothing was sent.
    bool Execute(IDeviceDialogue& device, CSnapshotFolder* snapshots, std::string& why);

    // Told after each row sent (done, total) and when the verifying read begins.
    void SetProgress(std::function<void(size_t, size_t, bool)> progress) {
        progress_ = std::move(progress);
    }

    const std::string& Device() const { return device_; }
    const std::string& After() const { return after_; }
    const std::string& Snapshot() const { return snapshot_; }
    // A set command was sent and the device took it.
    bool Changed() const;
    // After Execute: the labels asked for that the device does not hold (UnmetValues against
    // the listing read after the write, or the one before when nothing was sent).
    std::vector<std::string> Unmet() const;
    // Every value asked for is in the device: every ticked row verified, nothing invalid, not
    // applied or unmet.
    bool AllVerified() const;

private:
    void SayLine(const std::string& text) {
        if (say_)
            say_(text);
    }

    // The plan of `values` over `device` on fresh pages, as the window would show it.
    bool PlanOnPages(const std::string& device, const ConfigValues& values,
                     std::vector<PlanRow>& rows);

    std::string skinFolder_;
    Say say_;
    std::function<void(size_t, size_t, bool)> progress_;
    ConfigValues values_;
    std::vector<std::string> messages_;
    std::vector<PlanRow> rows_;
    std::string device_;
    std::string after_;
    std::string snapshot_;
};

// A write's plan and outcome as data: "changed", "diff" (label -> before, after, for every row
// of the plan), "rows" (each with its command and outcome), "outcome", "failed" and "unmet".
// `dryRun`: nothing was sent, "changed" tells whether the real run would change anything.
CJson FlowResult(const CWriteFlow& flow, bool dryRun);
