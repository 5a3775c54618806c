// The main window: the toolkit window built from "skin.xml" with its twelve pages, and the
// home of the program's state (the device link with its port, queue, reply buffer and worker
// thread; the parameter catalogues, the tab table and the presence flags). It routes every
// window message to the part of the program that handles it, dispatches the notifications of
// its controls, keeps the operation log and controls the serial port.
#pragma once

#include "base/line_settings.h"
#include "exchange/device_link.h"
#include "pages/config_pages.h"
#include "pages/toolkit_page_view.h"
#include "params/parameter_store.h"
#include "serial/serial_line.h"
#include "shell/link_window.h"
#include "shell/plan_wnd.h"
#include "shell/network_port_wnd.h"
#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <map>
#include <string>

class CControlUI;
class CRichEditUI;

class COrvelFrameWnd : public CWindowWnd, public INotifyUI, public IPageHost {
public:
    // The log view's text limit in characters.
    static constexpr int kLogLimit = 300000;
    // The start-up timer: help text and version labels, once, 100 ms after the window is built.
    static constexpr UINT_PTR kStartupTimerId = 102;
    // The change marks are brought up to date this long after the last edit.
    static constexpr UINT_PTR kMarksTimerId = 104;
    static constexpr UINT kMarksDelayMs = 120;
    // The tab strip is fitted to the window's width this long after a resize.
    static constexpr UINT_PTR kTabFitTimerId = 105;
    static constexpr UINT kTabFitDelayMs = 60;
    // The pages not shown at start are built in the idle time after the first paint.
    static constexpr UINT_PTR kPagesTimerId = 106;
    // "Network port..." passed over in the open port list is looked at again this often until
    // the list is closed.
    static constexpr UINT_PTR kNetworkChoiceTimerId = 107;
    static constexpr UINT kNetworkChoiceDelayMs = 100;
    // Finding the baud rate: each rate is listened to this long for the power-up prompt, for
    // this long in all.
    static constexpr UINT_PTR kAutoBaudTimerId = 103;
    static constexpr UINT kAutoBaudSlice = kAutoBaudSliceMs;
    static constexpr ULONGLONG kAutoBaudLimitMs = kUnitPowerUpMs;
    static constexpr UINT kStartupTimerMs = 100;
    // The window's icon resource.
    static constexpr UINT kIconResource = 108;

    // Builds the state; no native window, events or thread yet.
    COrvelFrameWnd();
    // Stops the worker (without a time limit), closes the port, destroys the native window if
    // it is still there, then releases the controls, the queue and the catalogues.
    ~COrvelFrameWnd() override;

    void SetLanguage(int language) { language_ = language; }
    int GetLanguage() const { return language_; }

    // Starts the worker thread; false when the system refuses it.
    bool StartWorker();

    // The operation log: window thread only. Takes the texts other threads posted and that are
    // still queued first, then this one; empties the view when they would bring it to its limit,
    // appends them in one update at the end and scrolls to the bottom.
    void AppendLog(const std::string& text);
    // The most posted log text gathered into one update.
    static constexpr size_t kLogBatchBytes = 64 * 1024;

    // INotifyUI: the notification dispatcher.
    void Notify(TNotifyUI& msg) override;

    // Enables or disables the named control; nothing when it is missing.
    void SetControlEnabled(const std::string& name, bool enable);
    // The setting-mode flag and the device state label.
    void SetDeviceState(bool on);

    // Refills "SerialPort" from the system's serial ports; false when there are none (the combo
    // is then left as it is) or the combo is missing.
    bool ScanSerialPorts();
    // The "Open" button: opens the chosen port, or closes the open one.
    void TogglePort();
    // The "Language" combo chose another language: store it in config.ini, hide the window,
    // start the program again and end this process. When config.ini cannot be written or the
    // program cannot be started, the window stays and says why.
    void SwitchLanguage();
    // Tests: the executable the switch starts and the config.ini it writes.
    static void SetRestartTarget(const std::string& program, const std::string& config);
    // Closes the open port and returns the window to the disconnected state with one log line.
    void ClosePort(const std::string& logLine);
    // The open port's device has gone: back to the disconnected state.
    void OnPortGone();
    // The page-tab strip: lays it out and selects the first enabled page, or steps it.
    void UpdateTabStrip(TabStripStep step);
    // The strip as wide as the skin says, or as the window leaves room for; its arrows then
    // show only when the tabs do not fit.
    void FitTabStrip();
    // Ctrl+Tab and its kin: the next (or previous) page whose tab is in use.
    void SelectNextPage(bool forward);
    // The Alt+letter keys of the main buttons, from Language.ini.
    void InstallMnemonics();
    // What screen readers hear: the default actions' words from Language.ini, and every field
    // named by its label on the page.
    void InstallAccessibility();

    // Configuration files: the dialogs, then the save or load job.
    void SaveConfigurationFile();
    void LoadConfigurationFile();

    // The write plan. "Write device": the plan of the pages' changes (nothing is sent before
    // "Write" in the plan window); after the batch the device is read again and every row
    // verified. "Undo last write": the newest snapshot of this device through the same plan.
    // "Compare file...": a file against the device's configuration, nothing written.
    void ShowWritePlan();
    void UndoLastWrite();
    void CompareWithFile();
    // "Revert all": the pages show the device's values again.
    void RevertAll();
    // The change marks and the tabs' counts, now / shortly after the last edit.
    void RefreshMarks();
    void ScheduleMarks();
    CPlanWnd* PlanWindow() const { return planWindow_; }
    // The window asking for a network port, while it is up.
    CNetworkPortWnd* NetworkPortWindow() const { return networkPortWindow_; }
    const std::vector<PlanRow>& CurrentPlan() const { return plan_; }
    // A plan's batch was sent and the read that verifies it has not come yet.
    bool IsVerifying() const { return verifying_; }
    // The folder of the snapshots kept before each write ("backups" beside the program).
    std::string BackupFolder() const;
    static void SetBackupFolder(const std::string& folder);
    // The log's time stamps (off by default) and saving the log to a file.
    void SetLogTimeStamps(bool on);
    bool LogTimeStamps() const { return logTimeStamps_; }
    bool SaveLog(const std::string& path);

    // WM_LINK_RESULT: a job's answer from the worker, on the window thread.
    void OnLinkResult(const LinkResult& result);
    // Reads the device's own listing into the catalogue: the one place where what is known of
    // the device changes from a listing. False when the text holds no listing.
    bool ReadDeviceListing(const std::string& reply);
    // JOB_SAVE_FILE: writes the received listing to the chosen file.
    void WriteListingFile(const std::string& reply);
    // JOB_LOAD_FILE: the file's differences when the device was read, else why nothing is.
    void OnDeviceListingForFile(bool read);
    void ShowNetMode(const std::string& mode);

    // IPageHost: what the configuration pages need of the window.
    std::string Text(const char* section, const char* key) override;
    void PostLayoutRule(int rule, int argument) override;
    void PushJob(const Job& job) override;
    void Log(const std::string& text) override;

    CConfigPages& Pages() { return pages_; }
    CToolkitPageView& View() { return view_; }
    const std::string& SavePath() const { return savePath_; }
    CPaintManagerUI& PaintManager() { return pm_; }
    CDeviceLink& Link() { return link_; }
    CParameterStore& Store() { return store_; }
    CControlUI* FindControl(const std::string& name) const;
    // Every page is built and the catalogue with it (shortly after the first paint).
    bool PagesComplete() const { return pagesComplete_; }
    // True once the native window has been destroyed (from outside or at shut-down).
    bool IsWindowGone() const { return windowGone_; }

    // Message boxes of the window (the blank in a server address, a skin without a log view).
    // Tests replace the modal box; the hook gets the text and the caption.
    using MessageBoxHook = void (*)(const char* text, const char* caption);
    static void SetMessageBoxHook(MessageBoxHook hook);
    // Yes/no questions (default "No"); tests answer them through the hook.
    using ConfirmHook = bool (*)(const char* text, const char* caption);
    static void SetConfirmHook(ConfirmHook hook);
    // The registry key (under HKEY_LOCAL_MACHINE) listing the serial ports. Tests point it
    // elsewhere to see a machine without ports.
    static void SetSerialPortKey(const std::string& key);
    // Tests replace the system's port list (friendly names and ports in use, which Wine does not
    // report); null: the system's own.
    using PortListHook = std::vector<SerialPortInfo> (*)();
    static void SetPortListHook(PortListHook hook);

protected:
    const char* GetWindowClassName() const override { return "Orvel"; }
    const char* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // The native window is gone: the program ends (the object itself is released once, by
    // its owner, after the message loop).
    void OnFinalMessage(HWND hWnd) override;

    virtual void InitWindow();
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

private:
    // The posted log texts still queued, oldest first (up to kLogBatchBytes).
    std::string TakePostedLogTexts();
    // Puts text at the end of the log view in one update.
    void ShowInLog(std::string text);
    LRESULT OnCreate();
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnStartupTimer();
    // After the first paint, in idle time: COM for this thread, then the pages not built yet,
    // one per tick, then CompletePages.
    void OnPagesTimer();
    // Builds up to `limit` of the pages not built yet; returns how many are left unbuilt.
    int BuildLaterPages(int limit);
    // Every page not built yet gives the controls it brings their states when it is built.
    void WatchLaterPages();
    // Builds the page the window shows at start.
    void BuildShownPage();
    // Every page built, the sensor rows numbered and the catalogue built with one list item
    // per row; true when this call completed them (false: they were complete already). Asked
    // for by any use of a control not yet built and by anything the user does after the first
    // paint.
    bool CompletePages();
    void OnControlState(WPARAM wParam, LPARAM lParam);
    LRESULT OnLayoutRule(WPARAM wParam, LPARAM lParam);
    void OnClick(TNotifyUI& msg);
    void OnItemSelect(TNotifyUI& msg);
    void OnPageSelect(TNotifyUI& msg);
    void QueueOperation(const std::string& name);
    void ShowMessageBox(const std::string& text, const char* caption);
    bool Confirm(const std::string& text, const char* caption);
    // Reads the port list again, keeping the chosen port when it is still there.
    void RescanSerialPorts();
    void ShowConfiguration();
    // Selects the port, baud rate and format config.ini remembers, when the port is there.
    void SelectRememberedPort();
    // "Network port..." picked in the port chooser: asks for the address, then lists and
    // chooses it (or goes back to the port chosen before).
    void ChooseNetworkPort();
    // Selects the chooser's item of that port; false when it is not listed.
    bool SelectPort(const std::string& name);
    // "Auto" baud rate: opens the port at each rate in turn, listening for the power-up prompt
    // and sending nothing, until one hears it (it is then chosen) or the time is up.
    void StartAutoBaud(LineSettings settings);
    void OnAutoBaudTimer();
    void OnPortOpened(const std::string& baudText);
    // Where a plan comes from: the pages' changes, a loaded file, or a snapshot (undo).
    enum class PlanSource { Pages, File, Undo };
    void OpenPlan(std::vector<PlanRow> rows, PlanSource source);
    void OnPlanWrite(const std::vector<bool>& ticks);
    void OnPlanClosed(bool written);
    void OnWriteAnswer(const LinkResult& result);
    // The listing read after a write batch (empty: none came): every row gets its outcome.
    // `notSent`: the batch ended before its rows went out (the port closed, the device left its
    // setting mode): rows without an answer were not sent.
    void FinishVerification(const std::string& listing, bool notSent = false);
    // Keeps the device's listing as read in the backups folder, before a write.
    // False (said in the log) when it could not be kept: then nothing is written.
    bool KeepSnapshot();
    PlanTexts OutcomeTexts() const;
    // Reads a .cfg file onto the pages and asks the device for its listing, whose differences
    // then make the plan. False (with a log line) when the file is refused.
    bool LoadFileForPlan(const std::string& path, PlanSource source);
    // Reads a .cfg file and checks it as a whole; false (with the log's line) when refused.
    bool ReadAcceptedFile(const std::string& path, std::string& listing, FileLabels& labels);
    // The log's context menu: "Save log...", "Time stamps".
    void OnLogMenu(int id);
    void InstallLogMenu();
    // A right click on a marked field: a menu that puts the device's value back. False when
    // the click was not on a marked field.
    bool OfferRevert(LPARAM lParam);
    void ChooseAndSaveLog();
    // The log text with a time stamp at the start of every line that begins in it.
    std::string Stamped(const std::string& text);

    CParameterStore store_;
    CLinkToWindow linkWindow_; // the engine's reports, as this window's messages
    CDeviceLink link_;
    CPaintManagerUI pm_;
    CToolkitPageView view_;
    CConfigPages pages_;
    int language_ = 0;
    std::string savePath_;
    std::vector<SerialPortInfo> ports_; // the ports the chooser lists, in its order
    // Finding the baud rate: the settings, the rate tried (index into the chooser's items),
    // the rates left and when the search began.
    LineSettings autoSettings_;
    std::vector<int> autoRates_;
    size_t autoNext_ = 0;
    ULONGLONG autoStart_ = 0;
    CControlUI* closeButton_ = nullptr;
    CControlUI* maxButton_ = nullptr;
    CControlUI* restoreButton_ = nullptr;
    CControlUI* minButton_ = nullptr;
    CRichEditUI* logView_ = nullptr;
    bool windowGone_ = false;
    // The write plan and its window (which deletes itself), where the plan came from, and
    // whether its batch is being written and waits for the verifying read.
    CPlanWnd* planWindow_ = nullptr;
    CNetworkPortWnd* networkPortWindow_ = nullptr;
    int portChoice_ = 0; // the port chooser's item before "Network port..." was picked
    std::vector<PlanRow> plan_;
    PlanSource planSource_ = PlanSource::Pages;
    std::string lastSnapshot_; // the snapshot kept before the write in progress
    bool logEndsInCr_ = false; // the log's last text ended in CR (its LF may come next)

public:
    // One file for support: versions, system and locale, ports, the last plan with its
    // outcomes, the device's listing and the log, passwords and phone numbers masked.
    std::string DiagnosticsText();
    bool SaveDiagnostics(const std::string& path);
    void ChooseAndSaveDiagnostics();
    // Faults on purpose (ORVEL_CRASH_TEST), so that support can see a crash leave its report.
    static void ForcedFault();
    // Shows the user's data folder (the log's menu); tests set the hook to open nothing.
    void OpenDataFolder();
    static inline bool openFolderHook_ = false;

private:
    bool verifying_ = false;
    // The device's listing as last read, and the listing of the file being loaded.
    std::string deviceListing_;
    std::string fileListing_;
    bool logTimeStamps_ = false;
    std::string undoSnapshot_; // "<device ID>, <time kept>" of the snapshot an undo goes back to
    int skinStripWidth_ = 0; // the tab strip's width as the skin gives it, at the window's DPI
    bool logAtLineStart_ = true;
    bool firstPaintDone_ = false;
    bool pagesComplete_ = false;
    std::map<std::string, bool> enabledLater_; // the state each named control was last given
};
