// The plan window: the rows of a write plan (or of a comparison) drawn by the toolkit from
// "WritePlan.xml", one "WritePlanRow.xml" row each, with a tick box per row, a count, "Write"
// and "Cancel". It is not modal in the sense of its own message loop: the owner is disabled
// while it is up, and what the user chose comes back through the callbacks. After "Write" it
// stays open and shows each row's outcome as the answers come in.
#pragma once

#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <functional>
#include <string>
#include <vector>

class CControlUI;

struct PlanWindowRow {
    std::string page, label, deviceValue, newValue;
    std::string verdict;   // the rule's word, "not applied: ...", or empty for a plain row
    bool tickable = true;  // false: the row is listed, never sent
    bool ticked = true;
    bool warning = false;  // the verdict is shown as a warning
};

// The texts of the window that depend on what it shows (Language.ini "WritePlan").
struct PlanWindowTexts {
    std::string title;
    std::string count;      // "%1 of %2 rows will be sent"
    bool compare = false;   // a comparison: no tick boxes, no "Write", "Close" for "Cancel"
    std::string close;      // the "Cancel" button's text once written, and in a comparison
    std::string firstHeader, secondHeader; // the value columns' headers when not empty
    std::string hint;       // the line above the rows when not empty
};

class CPlanWnd : public CWindowWnd, public INotifyUI {
public:
    // `write`: the user pressed "Write" with these ticks (one per row). `closed`: the window is
    // gone (Cancel, Close, Escape, or the window's close button), whether written or not.
    using WriteCallback = std::function<void(const std::vector<bool>& ticks)>;
    using ClosedCallback = std::function<void(bool written)>;

    // Opens the window centred over `owner` and disables the owner until it closes. The
    // object deletes itself when its window is destroyed. Null when it could not be built.
    static CPlanWnd* Open(HWND owner, const PlanWindowTexts& texts,
                          std::vector<PlanWindowRow> rows, WriteCallback write,
                          ClosedCallback closed);

    // After "Write": one row's outcome (good, failed, or quiet for a row not sent), and the
    // summary in place of the count.
    enum class Tone { Good, Failed, Quiet };
    void ShowOutcome(size_t row, const std::string& text, Tone tone);
    void ShowSummary(const std::string& text);
    // Closes the window (as Cancel when nothing was written).
    void CloseWindow();

    CPaintManagerUI& PaintManager() { return pm_; }
    CControlUI* FindControl(const std::string& name) const { return pm_.FindControl(name); }
    // The row's sub-control (RowTick, RowField, ...), or null.
    CControlUI* RowControl(size_t row, const std::string& name);
    size_t RowCount() const { return rows_.size(); }
    bool Written() const { return written_; }

    // Tests: called with each plan window once it is shown.
    using ShownHook = void (*)(CPlanWnd& window);
    static void SetShownHook(ShownHook hook);

    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override { return "OrvelPlan"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CPlanWnd(const PlanWindowTexts& texts, std::vector<PlanWindowRow> rows, WriteCallback write,
             ClosedCallback closed);
    LRESULT OnCreate();
    void FillRows();
    void UpdateCount();
    void OnWrite();

    CPaintManagerUI pm_;
    PlanWindowTexts texts_;
    std::vector<PlanWindowRow> rows_;
    WriteCallback write_;
    ClosedCallback closed_;
    HWND owner_ = nullptr;
    bool written_ = false;
    bool closedCalled_ = false;
};
