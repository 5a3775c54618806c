// The station window: the production line of several ports for a line operator. The template,
// the units file, the report, the ports (ticked from the system's list, or typed across the
// network), an optional match column and the operator's name; Start / Stop; one card per port
// (CStationBoard decides what it shows); the counts and the last units. The line runs in a
// thread of its own (CProductionLine, one device dialogue per port, the same as dtucfg apply);
// its progress comes back as posted messages. One station window at a time, beside the main
// window.
#pragma once

#include "shell/production_line.h"
#include "shell/station_board.h"
#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

class CStationWnd : public CWindowWnd, public INotifyUI {
public:
    // Opens the station (or brings the open one to the front). `backups`: the snapshot folder.
    static CStationWnd* Open(HWND owner, const std::string& backups);
    static CStationWnd* Current();

    // Starts the line with what the window holds; false (said in the status line) when
    // something is missing or a file is refused.
    bool Start();
    // Asks the line to end after the units in progress.
    void Stop();
    bool Running() const { return worker_.joinable(); }

    CPaintManagerUI& PaintManager() { return pm_; }
    CControlUI* FindControl(const std::string& name) const { return pm_.FindControl(name); }
    const CStationBoard& Board() const { return board_; }
    // The card of a port's sub-control (CardResult, ...), or null.
    CControlUI* CardControl(size_t card, const std::string& name);
    void CloseWindow();

    void Notify(TNotifyUI& msg) override;

    // What the line tells, from the ports' threads: posted to the window.
    void Said(const std::string& text);
    void Progress(const UnitProgress& progress);
    void Finished(const CJson& result);

protected:
    const char* GetWindowClassName() const override { return "OrvelStation"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    struct Event;
    explicit CStationWnd(std::string backups) : backups_(std::move(backups)) {}
    LRESULT OnCreate();
    void FillPorts();
    void MakeCards(const std::vector<std::string>& ports);
    void ShowBoard();
    void ShowStatus(const std::string& text, bool problem = false);
    void Browse(const char* edit, bool units, bool save);
    std::string FieldText(const char* name) const;
    void OnLineEvent(Event* event);
    void OnDone();
    void Post(Event* event);

    CPaintManagerUI pm_;
    CStationBoard board_;
    std::string backups_;
    std::unique_ptr<CProductionLine> line_;
    std::thread worker_;
    LineSummary summary_;
    bool closing_ = false;
};
