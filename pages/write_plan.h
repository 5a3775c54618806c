// The write plan: every command a write would send, shown to the user before anything leaves,
// each with the device's value, the new value and the verdict of its value rule. Only the rows
// the user leaves ticked are sent, in the plan's order. After the batch the device is read
// again and every row gets its outcome; one summary line tells the user what the device took.
#pragma once

#include "exchange/job.h"
#include "params/config_file.h"
#include "params/parameter_store.h"
#include "params/value_rules.h"

#include <string>
#include <vector>

enum class PlanOutcome {
    Planned,     // not sent yet (or not ticked)
    Written,     // acknowledged, not yet compared with a fresh listing
    Verified,    // the device now reports the new value
    Refused,     // the device answered "ERROR"
    NotAnswered, // no answer in time, or the command could not be sent
    Mismatch,    // acknowledged, but the device reports another value
    NotVerified, // acknowledged, but the device could not be read again
};

// Whether an outcome is a failure (refused, not answered, mismatch, not verified).
bool IsFailed(PlanOutcome outcome);

struct PlanRow {
    Job job;                 // the command; job.label names the field for the log
    std::string control;     // the control (or the switch row's key) the value comes from
    int tab = -1;            // the page that shows the field
    int sensorRow = -1;      // sensor rows: the row's index
    std::string label;       // the field as the listing names it, without the colon
    std::string field;       // the field as its page names it ("" when the page does not)
    std::string deviceValue; // what the device last reported
    std::string newValue;    // what would be sent
    RuleBreak rule = RuleBreak::None;
    bool applicable = true;  // false: a file's value the pages could not take; never sent
    bool ticked = true;      // sent when ticked (rows that break their rule start unticked)
    PlanOutcome outcome = PlanOutcome::Planned;
};

// The name a user knows the row's field by: the page's words, else the listing's.
inline const std::string& FieldName(const PlanRow& row) {
    return row.field.empty() ? row.label : row.field;
}

// A row for a set command the pages derived, with the device's value from the store.
PlanRow PlanRowFor(const Job& job, const std::string& control, const CParameterStore& store);

// The jobs of the ticked, applicable rows, in plan order.
std::vector<Job> TickedJobs(const std::vector<PlanRow>& rows);
// Ticked rows that break their rule (the user ticked them on purpose).
size_t TickedRows(const std::vector<PlanRow>& rows);

// The row a write job came from: the first ticked row with the job's key and item that has
// no outcome yet. Null when none.
PlanRow* RowOfJob(std::vector<PlanRow>& rows, const Job& job);

// Compares the written rows with a listing read after the batch: each becomes Verified or
// Mismatch (values compared as the listing shows them, without surrounding blanks); with no
// listing (empty text), or one that does not hold the row's label, NotVerified. A row that got
// no answer but whose new value the listing reports counts as Verified.
void VerifyPlan(std::vector<PlanRow>& rows, const std::string& listing);

// The values a loaded file holds for labels it names that differ from the device and that no
// row of the plan sends (a field not in use with the other settings, or one its page cannot
// show): listed as not applied, with the rule's verdict.
std::vector<PlanRow> NotAppliedRows(const std::string& fileListing, const FileLabels& labels,
                                    const CParameterStore& device,
                                    const std::vector<PlanRow>& plan);

// Words for the outcomes and the summary, from the skin's "WritePlan" section (the caller
// fills them; empty ones fall back to English).
struct PlanTexts {
    std::string verified, refused, notAnswered, mismatch, notVerified, notSent;
    std::string written; // "written and verified"
};
std::string OutcomeText(PlanOutcome outcome, const PlanTexts& texts);
// "12 written and verified, 1 refused: Server's Port" over the ticked rows.
std::string PlanSummary(const std::vector<PlanRow>& rows, const PlanTexts& texts);
