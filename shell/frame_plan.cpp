// The main window's write plan: what "Write device", "Load file...", "Undo last write" and
// "Compare file..." show before anything is sent, the snapshot kept before each write, the
// outcome of every row once the device has been read again, and the change marks.
#include "shell/frame_wnd.h"

#include "base/decimal.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/wide.h"
#include "exchange/device_operations.h"
#include "params/config_file.h"
#include "params/snapshots.h"
#include "shell/config_file_dialogs.h"
#include "ui/UIControl.h"

#include <algorithm>
#include <ctime>

namespace {

std::string g_backupFolder; // tests: where snapshots go instead of beside the program

std::string PlanText(const char* key, const char* fallback) {
    return LookupTextOr("WritePlan", key, fallback);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void COrvelFrameWnd::SetBackupFolder(const std::string& folder) {
    g_backupFolder = folder;
}

std::string COrvelFrameWnd::BackupFolder() const {
    return g_backupFolder.empty() ? GetLocalDataFolder() + "backups" : g_backupFolder;
}

PlanTexts COrvelFrameWnd::OutcomeTexts() const {
    PlanTexts texts;
    texts.verified = PlanText("Verified", "verified");
    texts.refused = PlanText("Refused", "refused");
    texts.notAnswered = PlanText("NotAnswered", "not answered");
    texts.mismatch = PlanText("Mismatch", "mismatch");
    texts.notVerified = PlanText("NotVerified", "not verified");
    texts.notSent = PlanText("NotSent", "not sent");
    texts.written = PlanText("Summary", "written and verified");
    return texts;
}

// ---- Marks -------------------------------------------------------------------------------------

void COrvelFrameWnd::ScheduleMarks() {
    if (m_hWnd)
        ::SetTimer(m_hWnd, kMarksTimerId, kMarksDelayMs, nullptr);
}

void COrvelFrameWnd::RefreshMarks() {
    if (m_hWnd)
        ::KillTimer(m_hWnd, kMarksTimerId);
    pages_.MarkChanges();
}

void COrvelFrameWnd::RevertAll() {
    if (!pages_.IsDeviceRead())
        return;
    {
        pages_.SetFailedFields({});
        pages_.ApplyValuesToControls();
    }
    // The rules that showing posts run next; the marks follow once they have.
    ScheduleMarks();
}

// ---- The plan ----------------------------------------------------------------------------------

void COrvelFrameWnd::ShowWritePlan() {
    if (planWindow_ != nullptr)
        return;
    if (!pages_.IsDeviceRead()) {
        AppendLog(pages_.ReadFirstNotice());
        return;
    }
    std::vector<PlanRow> rows;
    {
        rows = pages_.PlanChanges();
    }
    if (rows.empty()) {
        AppendLog(PlanText("NothingToWrite",
                           "Nothing to write: the pages show the device's values.") +
                  "\r\n");
        return;
    }
    OpenPlan(std::move(rows), PlanSource::Pages);
}

void COrvelFrameWnd::OpenPlan(std::vector<PlanRow> rows, PlanSource source) {
    plan_ = std::move(rows);
    planSource_ = source;
    PlanWindowTexts texts;
    switch (source) {
    case PlanSource::Pages:
        texts.title = PlanText("Title", "Write plan: the changed values");
        break;
    case PlanSource::File:
        texts.title = PlanText("FileTitle", "Write plan: the file's differences from the device");
        break;
    case PlanSource::Undo:
        texts.title = PlanText("UndoTitle", "Undo the last write: back to") + " " + undoSnapshot_;
        break;
    }
    texts.count = PlanText("Count", "%1 of %2 rows will be sent");
    texts.close = PlanText("Close", "Close");
    std::vector<PlanWindowRow> shown;
    for (const PlanRow& row : plan_) {
        PlanWindowRow line;
        line.page = pages_.PageTitle(row.tab);
        line.label = FieldName(row);
        // Values as the device has them: UTF-8 sensor names in the window's code page.
        line.deviceValue = row.deviceValue;
        line.newValue = row.newValue;
        line.tickable = row.applicable;
        line.ticked = row.ticked;
        if (row.rule != RuleBreak::None) {
            line.verdict = pages_.RuleReason(row.rule);
            line.warning = true;
        } else if (!row.applicable) {
            line.verdict = PlanText("NotApplied", "not applied: not in use with the device's "
                                                  "other settings, or a value its page cannot show");
            line.warning = true;
        } else {
            line.verdict = PlanText("Ok", "OK");
        }
        shown.push_back(line);
    }
    planWindow_ = CPlanWnd::Open(
        m_hWnd, texts, std::move(shown),
        [this](const std::vector<bool>& ticks) { OnPlanWrite(ticks); },
        [this](bool written) { OnPlanClosed(written); });
    if (planWindow_ == nullptr)
        AppendLog(PlanText("NoWindow", "The plan window could not be shown (WritePlan.xml): "
                                       "nothing was written.") +
                  "\r\n");
}

void COrvelFrameWnd::OnPlanClosed(bool written) {
    planWindow_ = nullptr;
    if (written)
        return;
    AppendLog(PlanText("Cancelled", "The plan was closed: nothing was written.") + "\r\n");
    // A file's or a snapshot's values that were not written leave the pages: they would
    // otherwise stay marked and go out with the next Write.
    if (planSource_ == PlanSource::File || planSource_ == PlanSource::Undo)
        RevertAll();
}

void COrvelFrameWnd::OnPlanWrite(const std::vector<bool>& ticks) {
    for (size_t i = 0; i < plan_.size() && i < ticks.size(); ++i)
        plan_[i].ticked = ticks[i] && plan_[i].applicable;
    // While the plan was up the port may have gone, or the device may have left its setting
    // mode: a running device would forward every command to its server as data.
    if (!link_.IsOpen() || !link_.IsSettingMode()) {
        const std::string why =
            !link_.IsOpen()
                ? PlanText("PortClosed", "The port is closed: nothing was sent.")
                : PlanText("NotInSettingMode", "The device is not in its setting mode: nothing "
                                               "was sent. Press Login (or power the device "
                                               "on again) and write again.");
        AppendLog(why + "\r\n");
        if (planWindow_)
            planWindow_->ShowSummary(why);
        return;
    }
    if (!KeepSnapshot()) {
        AppendLog(PlanText("NotWritten", "Nothing was written.") + "\r\n");
        if (planWindow_)
            planWindow_->ShowSummary(PlanText("NotWritten", "Nothing was written."));
        return;
    }
    const std::vector<Job> jobs = TickedJobs(plan_);
    if (jobs.empty())
        return;
    for (const Job& job : jobs)
        link_.PushJob(job);
    // Then the device is read again to see what it took.
    verifying_ = true;
    Job read;
    OperationJob("Load", read);
    read.type = JOB_VERIFY;
    link_.PushJob(read);
}

void COrvelFrameWnd::OnWriteAnswer(const LinkResult& result) {
    // What the device took is recorded here, on the window's thread, where the catalogue lives.
    if (result.answer == LinkResult::Answer::Acknowledged)
        store_.RecordWrittenValue(result.job.key, result.job.value, result.job.kind,
                                  result.job.item);
    PlanRow* row = RowOfJob(plan_, result.job);
    if (row == nullptr)
        return;
    const PlanTexts texts = OutcomeTexts();
    std::string shown;
    switch (result.answer) {
    case LinkResult::Answer::Acknowledged:
        row->outcome = PlanOutcome::Written;
        shown = PlanText("Written", "written, verifying...");
        break;
    case LinkResult::Answer::Refused:
        row->outcome = PlanOutcome::Refused;
        shown = OutcomeText(row->outcome, texts);
        break;
    case LinkResult::Answer::None:
        row->outcome = PlanOutcome::NotAnswered;
        shown = OutcomeText(row->outcome, texts);
        break;
    }
    if (planWindow_)
        planWindow_->ShowOutcome(static_cast<size_t>(row - plan_.data()), shown,
                                 row->outcome == PlanOutcome::Written ? CPlanWnd::Tone::Quiet
                                                                      : CPlanWnd::Tone::Failed);
}

void COrvelFrameWnd::FinishVerification(const std::string& listing, bool notSent) {
    verifying_ = false;
    VerifyPlan(plan_, listing);
    // Undo finds this write again by the ID it gave the device.
    if (!listing.empty() && !lastSnapshot_.empty())
        CSnapshotFolder(BackupFolder()).RecordIdAfter(lastSnapshot_, DeviceIdOf(listing));
    const PlanTexts texts = OutcomeTexts();
    std::map<std::string, std::string> failed;
    for (PlanRow& row : plan_) {
        // A ticked row that got no answer at all (the queue was emptied) was not answered.
        if (row.ticked && row.applicable && row.outcome == PlanOutcome::Planned && !notSent)
            row.outcome = PlanOutcome::NotAnswered;
        if (row.outcome == PlanOutcome::Refused || row.outcome == PlanOutcome::NotAnswered ||
            row.outcome == PlanOutcome::Mismatch || row.outcome == PlanOutcome::NotVerified)
            failed[CConfigPages::FailedKey(row)] =
                FieldName(row) + ": " + OutcomeText(row.outcome, texts);
    }
    {
        pages_.SetFailedFields(failed);
        pages_.MarkChanges();
    }
    const std::string summary = PlanSummary(plan_, texts);
    AppendLog(summary + "\r\n");
    if (planWindow_) {
        for (size_t i = 0; i < plan_.size(); ++i) {
            const PlanRow& row = plan_[i];
            if (!row.applicable)
                continue;
            // Unticked rows say that they were not sent.
            const CPlanWnd::Tone tone = !row.ticked ? CPlanWnd::Tone::Quiet
                                        : row.outcome == PlanOutcome::Verified
                                            ? CPlanWnd::Tone::Good
                                            : CPlanWnd::Tone::Failed;
            planWindow_->ShowOutcome(i, OutcomeText(row.outcome, texts), tone);
        }
        planWindow_->ShowSummary(summary);
    }
}

bool COrvelFrameWnd::KeepSnapshot() {
    lastSnapshot_.clear();
    if (deviceListing_.empty())
        return true;
    CSnapshotFolder snapshots(BackupFolder());
    std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_s(&local, &now);
    std::string why;
    if (!snapshots.Keep(deviceListing_, local, lastSnapshot_, why)) {
        // Without a snapshot the write could not be undone: it is not made.
        AppendLog(PlanText("SnapshotError", "The configuration before the write could not be "
                                            "kept (Undo last write will not have it):") +
                  " " + BackupFolder() + " (" + why + ")\r\n");
        lastSnapshot_.clear();
        return false;
    }
    AppendLog(PlanText("Snapshot", "The configuration before the write is kept as") + " " +
              snapshots.PathOf(lastSnapshot_) + "\r\n");
    return true;
}

// ---- Files through the plan --------------------------------------------------------------------

bool COrvelFrameWnd::ReadAcceptedFile(const std::string& path, std::string& listing,
                                      FileLabels& labels) {
    // A file that cannot be read, is longer than a listing can be, was cut short or names too
    // few of the device's labels changes nothing: its missing values would otherwise be written
    // to the device as empty.
    std::string bytes;
    bool accepted = ReadFileBytes(path, 4 * kMaxConfigFileText, bytes);
    {
        accepted = accepted && ReadConfigFile(bytes, store_.parameters, store_.lists, listing,
                                              labels) == ConfigFileError::None;
    }
    if (!accepted)
        AppendLog(LookupText("onLoadFrommFile", "ReadError", "\r\n"));
    return accepted;
}

bool COrvelFrameWnd::LoadFileForPlan(const std::string& path, PlanSource source) {
    std::string listing;
    FileLabels labels;
    if (!ReadAcceptedFile(path, listing, labels))
        return false;
    {
        // The file's values go into a copy; the catalogue keeps what the device last reported.
        fileListing_ = listing;
        pages_.ShowFileValues(listing, std::move(labels));
    }
    planSource_ = source;
    AppendLog(LookupTextOr("onLoadFrommFile", "Loaded",
                           "The pages show the file; the device is read to compare it:") +
              " " + path + "\r\n");
    link_.PushJob(LoadFileJob());
    return true;
}

void COrvelFrameWnd::UndoLastWrite() {
    if (!pages_.IsDeviceRead() || deviceListing_.empty()) {
        AppendLog(pages_.ReadFirstNotice());
        return;
    }
    CSnapshotFolder::Found found;
    const bool have = CSnapshotFolder(BackupFolder()).Latest(DeviceIdOf(deviceListing_), found);
    for (const std::string& skipped : found.skipped)
        AppendLog(PlanText("SnapshotCut", "A snapshot cut short was passed over:") + " " +
                  skipped + "\r\n");
    if (!have) {
        AppendLog(PlanText("NoSnapshot", "No configuration of this device kept before a write "
                                         "was found in") +
                  " " + BackupFolder() + "\r\n");
        return;
    }
    // Which configuration the undo goes back to: the device's ID then and when it was kept.
    const std::string id = DeviceIdOf(found.listing);
    undoSnapshot_ = (id.empty() ? found.name : id) + ", " + SnapshotTimeText(found.name);
    AppendLog(PlanText("Undoing", "Undoing the last write: back to") + " " + undoSnapshot_ +
              " (" + found.name + ")\r\n");
    LoadFileForPlan(CSnapshotFolder(BackupFolder()).PathOf(found.name), PlanSource::Undo);
}

void COrvelFrameWnd::CompareWithFile() {
    // A file against the device as read, or, before a read, one file against another.
    const bool twoFiles = !pages_.IsDeviceRead() || deviceListing_.empty();
    std::string first = deviceListing_;
    std::string firstName;
    if (twoFiles) {
        AppendLog(PlanText("CompareTwoFiles", "The device is not read: choose two .cfg files to "
                                              "compare with each other.") +
                  "\r\n");
        std::string firstPath;
        FileLabels firstLabels;
        if (!ChooseConfigFile(m_hWnd, false, language_, savePath_, firstPath) ||
            !ReadAcceptedFile(firstPath, first, firstLabels))
            return;
        firstName = FileNameOf(firstPath);
    }
    std::string path;
    if (!ChooseConfigFile(m_hWnd, false, language_, savePath_, path))
        return;
    std::string listing;
    FileLabels labels;
    if (!ReadAcceptedFile(path, listing, labels))
        return;
    const std::vector<Difference> differences = CompareListings(first, listing);
    if (differences.empty()) {
        AppendLog(PlanText("CompareSame", "The file holds the device's values: no differences.") +
                  " " + path + "\r\n");
        return;
    }
    PlanWindowTexts texts;
    texts.compare = true;
    texts.title = PlanText("CompareTitle", "Compare:") + " " + FileNameOf(path);
    texts.close = PlanText("Close", "Close");
    texts.firstHeader = twoFiles ? firstName : PlanText("DeviceHeader", "Device value");
    texts.secondHeader = twoFiles ? FileNameOf(path) : PlanText("FileHeader", "File value");
    texts.hint = PlanText("CompareHint", "Values that change by themselves (signal, version, "
                                         "clock) are left out. Nothing is written.");
    // Page by page in the strip's order, each page's fields in the catalogue's order (a
    // sensor list's rows by number), as a user walks the pages.
    struct Placed {
        int tab;
        size_t order;
        PlanWindowRow row;
    };
    std::vector<Placed> placed;
    for (const Difference& difference : differences) {
        Placed item{kNoTab, ParameterTable().size(), {}};
        if (const ParameterEntry* entry = FindParameter(store_.parameters, difference.key)) {
            item.tab = entry->tab;
            for (size_t i = 0; i < ParameterTable().size(); ++i)
                if (difference.key == ParameterTable()[i].key)
                    item.order = i;
        } else if (const ListParameterEntry* list = FindListParameter(store_.lists,
                                                                      difference.key)) {
            item.tab = list->tab;
            const size_t digits = difference.label.find_first_of("0123456789");
            if (digits != std::string::npos)
                item.order += static_cast<size_t>(ParseDecimal(difference.label.substr(digits)));
        }
        PlanWindowRow& row = item.row;
        row.page = pages_.PageTitle(item.tab);
        const std::string field = view_.FieldLabel(difference.key);
        row.label = field.empty() ? difference.label : field;
        row.deviceValue = difference.first;
        row.newValue = difference.second;
        row.tickable = false;
        placed.push_back(std::move(item));
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.tab != b.tab ? a.tab < b.tab : a.order < b.order;
    });
    std::vector<PlanWindowRow> rows;
    for (Placed& item : placed)
        rows.push_back(std::move(item.row));
    texts.count = std::to_string(rows.size()) + " " + PlanText("Differences", "difference(s)");
    AppendLog((twoFiles ? PlanText("ComparedFiles", "Compared the files:") + " " + firstName + ", "
                        : PlanText("Compared", "Compared with the device:") + " ") +
              path + ", " +
              std::to_string(rows.size()) + " " + PlanText("Differences", "difference(s)") +
              "\r\n");
    planSource_ = PlanSource::Pages;
    planWindow_ = CPlanWnd::Open(m_hWnd, texts, std::move(rows), nullptr,
                                 [this](bool) { planWindow_ = nullptr; });
}

bool COrvelFrameWnd::OfferRevert(LPARAM lParam) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    CControlUI* control = pm_.FindControl(pt);
    if (control == nullptr)
        return false;
    const std::string name = control->GetName();
    if (name.empty() || view_.GetMark(name) == FieldMark::None)
        return false;
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr)
        return false;
    constexpr UINT kRevert = 1;
    ::AppendMenuW(menu, MF_STRING, kRevert,
                  WideOf(PlanText("Revert", "&Revert to the device's value")).c_str());
    ::ClientToScreen(m_hWnd, &pt);
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, m_hWnd, nullptr));
    ::DestroyMenu(menu);
    if (chosen == kRevert) {
        pages_.RevertField(name);
    }
    ScheduleMarks();
    return true;
}
