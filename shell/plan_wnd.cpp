#include "shell/plan_wnd.h"
#include <cstdio>

#include "base/text.h"
#include "shell/toolkit_window.h"
#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIControls.h"
#include "ui/UIDlgBuilder.h"

namespace {

CPlanWnd::ShownHook g_shownHook = nullptr;

// "%1 of %2 ..." with the numbers put in.
std::string CountText(const std::string& text, size_t ticked, size_t total) {
    return FillNumbers(text.empty() ? "%1 of %2 rows will be sent" : text,
                       {std::to_string(ticked), std::to_string(total)});
}

constexpr DWORD kWarningColour = 0xFFB42318;
constexpr DWORD kGoodColour = 0xFF15803D;
constexpr DWORD kQuietColour = 0xFF6B7686;

} // namespace

CPlanWnd::CPlanWnd(const PlanWindowTexts& texts, std::vector<PlanWindowRow> rows,
                   WriteCallback write, ClosedCallback closed)
    : texts_(texts), rows_(std::move(rows)), write_(std::move(write)),
      closed_(std::move(closed)) {}

void CPlanWnd::SetShownHook(ShownHook hook) {
    g_shownHook = hook;
}

CPlanWnd* CPlanWnd::Open(HWND owner, const PlanWindowTexts& texts,
                         std::vector<PlanWindowRow> rows, WriteCallback write,
                         ClosedCallback closed) {
    auto* window = new CPlanWnd(texts, std::move(rows), std::move(write), std::move(closed));
    window->owner_ = owner;
    if (!window->Create(owner, texts.title.c_str(), WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                        0, 0, 0, 960, 560)) {
        delete window; // nothing was created, so no final message will delete it
        return nullptr;
    }
    ShowSkinWindow(*window, window->pm_, owner);
    if (g_shownHook)
        g_shownHook(*window);
    return window;
}

LRESULT CPlanWnd::OnCreate() {
    pm_.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = builder.Create("WritePlan.xml", nullptr, nullptr, &pm_, nullptr);
    if (root == nullptr || !pm_.AttachDialog(root)) {
        delete root;
        return -1;
    }
    pm_.AddNotifier(this);
    if (CControlUI* title = pm_.FindControl("PlanTitle"))
        title->SetText(texts_.title);
    if (!texts_.hint.empty())
        if (CControlUI* hint = pm_.FindControl("PlanHint"))
            hint->SetText(texts_.hint);
    if (!texts_.firstHeader.empty())
        if (CControlUI* header = pm_.FindControl("PlanDeviceHeader"))
            header->SetText(texts_.firstHeader);
    if (!texts_.secondHeader.empty())
        if (CControlUI* header = pm_.FindControl("PlanNewHeader"))
            header->SetText(texts_.secondHeader);
    if (texts_.compare) {
        // No tick boxes and no verdicts: their columns go, headers and rows alike.
        for (const char* name : {"PlanWrite", "PlanTickHeader", "PlanVerdictHeader"})
            if (CControlUI* control = pm_.FindControl(name))
                control->SetVisible(false);
        if (CControlUI* cancel = pm_.FindControl("PlanCancel"))
            cancel->SetText(texts_.close);
    }
    FillRows();
    UpdateCount();
    // The keyboard starts on "Write" (Enter writes), or on "Close" in a comparison.
    CControlUI* start = pm_.FindControl(texts_.compare ? "PlanCancel" : "PlanWrite");
    if (start != nullptr && start->IsEnabled())
        pm_.SetFocusNeeded(start);
    return 0;
}

void CPlanWnd::FillRows() {
    auto* list = ControlAs<CContainerUI>(pm_.FindControl("PlanRows"));
    if (list == nullptr)
        return;
    CDialogBuilder builder;
    for (size_t i = 0; i < rows_.size(); ++i) {
        CControlUI* row = i == 0 ? builder.Create("WritePlanRow.xml", nullptr, nullptr, &pm_, nullptr)
                                 : builder.Create(nullptr, &pm_, nullptr);
        if (row == nullptr || !list->Add(row)) {
            delete row;
            return;
        }
        const PlanWindowRow& plan = rows_[i];
        auto set = [&](const char* name, const std::string& text) {
            if (CControlUI* cell = pm_.FindSubControlByName(row, name)) {
                cell->SetText(text);
                cell->SetToolTip(text); // the whole value, when the cell cuts it short
            }
        };
        set("RowPage", plan.page);
        set("RowField", plan.label);
        set("RowDevice", plan.deviceValue);
        set("RowNew", plan.newValue);
        set("RowVerdict", plan.verdict);
        if (CControlUI* verdict = pm_.FindSubControlByName(row, "RowVerdict"))
            if (auto* label = ControlAs<CLabelUI>(verdict))
                label->SetTextColor(plan.warning ? kWarningColour : kQuietColour);
        if (auto* tick = ControlAs<CCheckBoxUI>(pm_.FindSubControlByName(row, "RowTick"))) {
            tick->Selected(plan.tickable && plan.ticked, false);
            tick->SetEnabled(plan.tickable && !texts_.compare);
            tick->SetVisible(!texts_.compare);
            tick->SetUserData(std::to_string(i));
            // A screen reader hears which row the tick sends.
            tick->SetAccName(tick->GetToolTip() + ": " + plan.page + " - " + plan.label);
        }
    }
}

CControlUI* CPlanWnd::RowControl(size_t row, const std::string& name) {
    auto* list = ControlAs<CContainerUI>(pm_.FindControl("PlanRows"));
    if (list == nullptr || row >= static_cast<size_t>(list->GetCount()))
        return nullptr;
    return pm_.FindSubControlByName(list->GetItemAt(static_cast<int>(row)), name);
}

void CPlanWnd::UpdateCount() {
    if (texts_.compare) {
        // How many fields differ, as the caller words it.
        if (CControlUI* count = pm_.FindControl("PlanCount"))
            count->SetText(texts_.count);
        return;
    }
    size_t ticked = 0;
    for (const PlanWindowRow& row : rows_)
        ticked += row.tickable && row.ticked;
    if (CControlUI* count = pm_.FindControl("PlanCount"))
        count->SetText(CountText(texts_.count, ticked, rows_.size()));
    if (CControlUI* write = pm_.FindControl("PlanWrite"))
        write->SetEnabled(ticked > 0 && !written_);
}

void CPlanWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender == nullptr)
        return;
    const std::string name = msg.pSender->GetName();
    if (msg.sType == "click") {
        if (name == "PlanWrite")
            OnWrite();
        else if (name == "PlanCancel" || name == "PlanClose")
            // Posted: the window (and its paint manager) must outlive the click being handled.
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    } else if (msg.sType == "selectchanged" && name == "RowTick") {
        const size_t row = static_cast<size_t>(std::atoi(msg.pSender->GetUserData().c_str()));
        if (row < rows_.size()) {
            auto* tick = ControlAs<COptionUI>(msg.pSender);
            rows_[row].ticked = tick && tick->IsSelected();
            UpdateCount();
        }
    }
}

void CPlanWnd::OnWrite() {
    if (written_)
        return;
    written_ = true;
    std::vector<bool> ticks;
    for (size_t i = 0; i < rows_.size(); ++i) {
        ticks.push_back(rows_[i].tickable && rows_[i].ticked);
        if (CControlUI* tick = RowControl(i, "RowTick"))
            tick->SetEnabled(false);
    }
    if (CControlUI* write = pm_.FindControl("PlanWrite"))
        write->SetEnabled(false);
    if (CControlUI* cancel = pm_.FindControl("PlanCancel"))
        cancel->SetText(texts_.close);
    if (write_)
        write_(ticks);
}

void CPlanWnd::ShowOutcome(size_t row, const std::string& text, Tone tone) {
    if (CControlUI* verdict = RowControl(row, "RowVerdict")) {
        verdict->SetText(text);
        verdict->SetToolTip(text);
        if (auto* label = ControlAs<CLabelUI>(verdict))
            label->SetTextColor(tone == Tone::Good     ? kGoodColour
                                : tone == Tone::Failed ? kWarningColour
                                                       : kQuietColour);
    }
}

void CPlanWnd::ShowSummary(const std::string& text) {
    if (CControlUI* count = pm_.FindControl("PlanCount")) {
        count->SetText(text);
        count->SetToolTip(text);
    }
}

void CPlanWnd::CloseWindow() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

LRESULT CPlanWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (uMsg) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        CloseWindow();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            CloseWindow();
            return 0;
        }
        // Enter writes (Space ticks the focused row), unless the keyboard's focus is on one of
        // the window's buttons, which takes it itself.
        if (wParam == VK_RETURN && !texts_.compare && !written_) {
            const std::string focused = pm_.GetFocus() ? pm_.GetFocus()->GetName() : std::string();
            if (focused != "PlanCancel" && focused != "PlanClose" && focused != "PlanWrite") {
                OnWrite();
                return 0;
            }
        }
        break;
    default:
        break;
    }
    if (SkinWindowMessage(pm_, m_hWnd, owner_, false, uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CPlanWnd::OnFinalMessage(HWND /*hWnd*/) {
    if (!closedCalled_) {
        closedCalled_ = true;
        if (closed_)
            closed_(written_);
    }
    delete this;
}
