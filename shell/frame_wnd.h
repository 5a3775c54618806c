// The main window: the toolkit window built from "skin.xml" with its twelve pages, and the
// home of the program's state (the device link with its port, queue, reply buffer and worker
// thread; the parameter catalogues, the tab table and the presence flags). It routes every
// window message to the part of the program that handles it, dispatches the notifications of
// its controls, keeps the operation log and controls the serial port.
#pragma once

#include "exchange/device_link.h"
#include "pages/config_pages.h"
#include "pages/toolkit_page_view.h"
#include "params/parameter_store.h"
#include "serial/serial_line.h"
#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <string>

class CControlUI;
class CRichEditUI;

class COrvelFrameWnd : public CWindowWnd, public INotifyUI, public IPageHost {
public:
    // The log view's text limit in characters.
    static constexpr int kLogLimit = 300000;
    // The start-up timer: help text and version labels, once, 100 ms after the window is built.
    static constexpr UINT_PTR kStartupTimerId = 102;
    // Finding the baud rate: each rate is listened to this long for the power-up prompt, for
    // this long in all.
    static constexpr UINT_PTR kAutoBaudTimerId = 103;
    static constexpr UINT kAutoBaudSliceMs = 700;
    static constexpr ULONGLONG kAutoBaudLimitMs = 30000;
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
    void OnPortGone(int portNumber);
    // The page-tab strip: lays it out and selects the first enabled page, or steps it.
    void UpdateTabStrip(TabStripStep step);

    // Configuration files: the dialogs, then the save or load job.
    void SaveConfigurationFile();
    void LoadConfigurationFile();

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
    std::string Utf8ToAnsi(const std::string& text) override;
    std::string AnsiToUtf8(const std::string& text) override;

    CConfigPages& Pages() { return pages_; }
    const std::string& SavePath() const { return savePath_; }
    CPaintManagerUI& PaintManager() { return pm_; }
    CDeviceLink& Link() { return link_; }
    CParameterStore& Store() { return store_; }
    CControlUI* FindControl(const std::string& name) const;
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
    LRESULT OnCreate();
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnStartupTimer();
    void OnControlState(WPARAM wParam, LPARAM lParam);
    LRESULT OnLayoutRule(WPARAM wParam, LPARAM lParam);
    void OnClick(TNotifyUI& msg);
    void OnItemSelect(TNotifyUI& msg);
    void OnPageSelect(TNotifyUI& msg);
    void OnWindowInit();
    void QueueOperation(const std::string& name);
    void ShowMessageBox(const std::string& text, const char* caption);
    bool Confirm(const std::string& text, const char* caption);
    // Reads the port list again, keeping the chosen port when it is still there.
    void RescanSerialPorts();
    void ShowConfiguration();
    // Selects the port, baud rate and format config.ini remembers, when the port is there.
    void SelectRememberedPort();
    // "Auto" baud rate: opens the port at each rate in turn, listening for the power-up prompt
    // and sending nothing, until one hears it (it is then chosen) or the time is up.
    void StartAutoBaud(LineSettings settings);
    void OnAutoBaudTimer();
    void OnPortOpened(const std::string& baudText);
    void CollectChanges();

    CParameterStore store_;
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
};
