#include "shell/station_wnd.h"

#include "base/file_dialog.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/wide.h"
#include "serial/serial_line.h"
#include "shell/config_file_dialogs.h"
#include "shell/toolkit_window.h"
#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIControls.h"
#include "ui/UIDlgBuilder.h"

namespace {

CStationWnd* g_station = nullptr;

constexpr DWORD kStepIdle = 0xFFE3E8EF, kStepDone = 0xFF2563EB, kStepGood = 0xFF15803D,
                kStepBad = 0xFFB42318;
constexpr DWORD kResultGood = 0xFF15803D, kResultBad = 0xFFB42318, kResultQuiet = 0xFF6B7686;

std::string StationText(const char* key, const char* fallback) {
    return LookupTextOr("Station", key, fallback);
}

StationTexts SkinTexts() {
    StationTexts texts;
    texts.waiting = StationText("Waiting", texts.waiting.c_str());
    texts.reading = StationText("Reading", texts.reading.c_str());
    texts.writing = StationText("Writing", texts.writing.c_str());
    texts.verifying = StationText("Verifying", texts.verifying.c_str());
    texts.verified = StationText("Verified", texts.verified.c_str());
    texts.failed = StationText("Failed", texts.failed.c_str());
    texts.unknown = StationText("Unknown", texts.unknown.c_str());
    texts.wouldChange = StationText("WouldChange", texts.wouldChange.c_str());
    texts.unchanged = StationText("Unchanged", texts.unchanged.c_str());
    texts.counts = StationText("Counts", texts.counts.c_str());
    texts.idle = StationText("Idle", texts.idle.c_str());
    for (const ReasonPattern& pattern : ReasonPatterns())
        texts.reasons[pattern.key] = LookupText("StationReason", pattern.key);
    return texts;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text + ",") {
        if (c == ',' || c == ';' || c == ' ') {
            if (!item.empty())
                items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    return items;
}

} // namespace

// What a port's thread tells the window.
struct CStationWnd::Event {
    enum class Kind { Said, Progress, Finished } kind = Kind::Said;
    std::string text;
    UnitProgress progress;
    CJson result;
};

CStationWnd* CStationWnd::Current() {
    return g_station;
}

CStationWnd* CStationWnd::Open(HWND owner, const std::string& backups) {
    if (g_station && ::IsWindow(*g_station)) {
        ::ShowWindow(*g_station, SW_RESTORE);
        ::SetForegroundWindow(*g_station);
        return g_station;
    }
    auto* window = new CStationWnd(backups);
    window->board_ = CStationBoard(SkinTexts());
    if (!window->Create(owner, StationText("Title", "Production station").c_str(),
                        WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_MINIMIZEBOX, 0, 0, 0,
                        1040, 680)) {
        delete window;
        return nullptr;
    }
    // Not modal: the main window stays in use beside the station.
    ShowSkinWindow(*window, window->pm_, nullptr);
    g_station = window;
    return window;
}

LRESULT CStationWnd::OnCreate() {
    pm_.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = builder.Create("Station.xml", nullptr, nullptr, &pm_, nullptr);
    if (root == nullptr || !pm_.AttachDialog(root)) {
        delete root;
        return -1;
    }
    pm_.AddNotifier(this);
    if (CControlUI* title = pm_.FindControl("StationTitle"))
        title->SetText(StationText("Title", "Production station"));
    if (CControlUI* stop = pm_.FindControl("StationStop"))
        stop->SetEnabled(false);
    FillPorts();
    ShowBoard();
    if (CControlUI* start = pm_.FindControl("StationTemplate"))
        pm_.SetFocusNeeded(start);
    return 0;
}

void CStationWnd::FillPorts() {
    auto* ports = ControlAs<CContainerUI>(pm_.FindControl("StationPorts"));
    if (ports == nullptr)
        return;
    ports->RemoveAll();
    CDialogBuilder builder;
    bool first = true;
    for (const SerialPortInfo& port : ListSerialLines()) {
        CControlUI* box = first ? builder.Create("StationPort.xml", nullptr, nullptr, &pm_, nullptr)
                                : builder.Create(nullptr, &pm_, nullptr);
        first = false;
        if (box == nullptr || !ports->Add(box)) {
            delete box;
            return;
        }
        box->SetText(DescribePort(port));
        box->SetToolTip(DescribePort(port));
        box->SetUserData(port.name);
        box->SetAccName(DescribePort(port));
    }
}

std::string CStationWnd::FieldText(const char* name) const {
    CControlUI* control = pm_.FindControl(name);
    if (control == nullptr)
        return std::string();
    std::string text = control->GetText();
    while (!text.empty() && (text.back() == ' ' || text.back() == '"'))
        text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '"'))
        text.erase(0, 1);
    return text;
}

void CStationWnd::ShowStatus(const std::string& text, bool problem) {
    if (auto* status = ControlAs<CLabelUI>(pm_.FindControl("StationStatus"))) {
        status->SetText(text);
        status->SetToolTip(text);
        status->SetTextColor(problem ? kResultBad : kResultQuiet);
    }
}

void CStationWnd::MakeCards(const std::vector<std::string>& ports) {
    auto* cards = ControlAs<CContainerUI>(pm_.FindControl("StationCards"));
    if (cards == nullptr)
        return;
    cards->RemoveAll();
    CDialogBuilder builder;
    for (size_t i = 0; i < ports.size(); ++i) {
        CControlUI* card = i == 0 ? builder.Create("StationCard.xml", nullptr, nullptr, &pm_, nullptr)
                                  : builder.Create(nullptr, &pm_, nullptr);
        if (card == nullptr || !cards->Add(card)) {
            delete card;
            return;
        }
        card->SetAccName(ports[i]);
    }
}

CControlUI* CStationWnd::CardControl(size_t card, const std::string& name) {
    auto* cards = ControlAs<CContainerUI>(pm_.FindControl("StationCards"));
    if (cards == nullptr || card >= static_cast<size_t>(cards->GetCount()))
        return nullptr;
    return pm_.FindSubControlByName(cards->GetItemAt(static_cast<int>(card)), name);
}

void CStationWnd::ShowBoard() {
    const std::vector<StationCard>& cards = board_.Cards();
    for (size_t i = 0; i < cards.size(); ++i) {
        const StationCard& card = cards[i];
        auto set = [&](const char* name, const std::string& text) {
            if (CControlUI* control = CardControl(i, name)) {
                control->SetText(text);
                control->SetToolTip(text);
            }
        };
        set("CardPort", card.port);
        set("CardUnit", card.identity);
        set("CardStage", card.stage);
        set("CardResult", card.result);
        set("CardReason", card.reason);
        if (auto* result = ControlAs<CLabelUI>(CardControl(i, "CardResult")))
            result->SetTextColor(card.tone == StationCard::Tone::Good  ? kResultGood
                                 : card.tone == StationCard::Tone::Bad ? kResultBad
                                                                       : kResultQuiet);
        for (int step = 1; step <= 4; ++step) {
            CControlUI* bar = CardControl(i, "CardStep" + std::to_string(step));
            if (bar == nullptr)
                continue;
            DWORD colour = kStepIdle;
            if (card.step == 5)
                colour = card.tone == StationCard::Tone::Bad ? kStepBad : kStepGood;
            else if (card.step > step)
                colour = kStepDone;
            else if (card.step == step && step > 1)
                colour = kStepDone;
            bar->SetBkColor(colour);
        }
    }
    if (CControlUI* counts = pm_.FindControl("StationCounts"))
        counts->SetText(cards.empty() ? std::string() : board_.CountsText());
    if (auto* recent = ControlAs<CContainerUI>(pm_.FindControl("StationRecent"))) {
        recent->RemoveAll();
        for (const std::string& row : board_.Recent()) {
            auto* label = new CLabelUI;
            label->SetText(row);
            label->SetToolTip(row);
            label->SetFixedHeight(18);
            label->SetFont(3);
            if (!recent->Add(label))
                delete label;
        }
    }
}

bool CStationWnd::Start() {
    if (Running())
        return false;
    LineOptions options;
    if (auto* ports = ControlAs<CContainerUI>(pm_.FindControl("StationPorts")))
        for (int i = 0; i < ports->GetCount(); ++i)
            if (auto* tick = ControlAs<COptionUI>(ports->GetItemAt(i)); tick && tick->IsSelected())
                options.ports.push_back(tick->GetUserData());
    for (const std::string& port : SplitList(FieldText("StationNetPorts"))) {
        options.ports.push_back(port);
        // Offered in the main window's port chooser from now on.
        if (IsNetworkPort(port))
            RememberNetworkPort(port);
    }
    const std::string templatePath = FieldText("StationTemplate");
    const std::string unitsPath = FieldText("StationUnits");
    options.report = FieldText("StationReport");
    options.match = FieldText("StationMatch");
    options.operatorName = FieldText("StationOperator");
    if (templatePath.empty() || unitsPath.empty() || options.report.empty()) {
        ShowStatus(StationText("NeedFiles", "Choose the template, the units file and the report."), true);
        return false;
    }
    if (options.ports.empty()) {
        ShowStatus(StationText("NeedPorts", "Tick at least one port (or type a network port)."), true);
        return false;
    }
    // The pages that decide what is written are the English skin's, whatever the window shows.
    std::string skins = GetSkinFolder();
    while (!skins.empty() && (skins.back() == '\\' || skins.back() == '/'))
        skins.pop_back();
    skins = skins.substr(0, skins.find_last_of("\\/") + 1);
    options.skin = skins + "ConifgENRes";
    options.backups = backups_;
    LineListener listener;
    listener.said = [this](const std::string& text) { Said(text); };
    listener.progress = [this](const UnitProgress& progress) { Progress(progress); };
    listener.finished = [this](const CJson& result) { Finished(result); };
    line_ = std::make_unique<CProductionLine>(options, std::move(listener));
    std::string why;
    if (!line_->Prepare(templatePath, unitsPath, why)) {
        line_.reset();
        ShowStatus(why, true);
        return false;
    }
    board_ = CStationBoard(SkinTexts());
    board_.SetPorts(options.ports);
    board_.SetRows(line_->Remaining());
    MakeCards(options.ports);
    ShowBoard();
    ShowStatus(StationText("Running", "Running: connect and power the units, one on each port."));
    for (const char* name : {"StationStart", "StationTemplate", "StationUnits", "StationReport",
                             "StationMatch", "StationOperator", "StationNetPorts",
                             "StationTemplateBrowse", "StationUnitsBrowse", "StationReportBrowse",
                             "StationPorts"})
        if (CControlUI* control = pm_.FindControl(name))
            control->SetEnabled(false);
    if (CControlUI* stop = pm_.FindControl("StationStop")) {
        stop->SetEnabled(true);
        pm_.SetFocusNeeded(stop);
    }
    HWND window = m_hWnd;
    CProductionLine* line = line_.get();
    worker_ = std::thread([this, window, line] {
        summary_ = line->Run();
        ::PostMessageW(window, WM_STATION_DONE, 0, 0);
    });
    return true;
}

void CStationWnd::Stop() {
    if (line_)
        line_->Stop();
    ShowStatus(StationText("Stopping", "Stopping: the units in progress are finished first."));
}

void CStationWnd::OnDone() {
    if (worker_.joinable())
        worker_.join();
    line_.reset();
    if (closing_) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    for (const char* name : {"StationStart", "StationTemplate", "StationUnits", "StationReport",
                             "StationMatch", "StationOperator", "StationNetPorts",
                             "StationTemplateBrowse", "StationUnitsBrowse", "StationReportBrowse",
                             "StationPorts"})
        if (CControlUI* control = pm_.FindControl(name))
            control->SetEnabled(true);
    if (CControlUI* stop = pm_.FindControl("StationStop"))
        stop->SetEnabled(false);
    std::string text = StationText("Ended", "Ended.") + " " + board_.CountsText();
    if (summary_.reportBroken)
        text += " " + StationText("ReportBroken", "The report could not be written: the line stopped.");
    ShowStatus(text, summary_.reportBroken);
}

void CStationWnd::Post(Event* event) {
    if (!m_hWnd || !::PostMessageW(m_hWnd, WM_STATION_EVENT, 0, reinterpret_cast<LPARAM>(event)))
        delete event;
}

void CStationWnd::Said(const std::string& text) {
    auto* event = new Event;
    event->kind = Event::Kind::Said;
    event->text = text;
    Post(event);
}

void CStationWnd::Progress(const UnitProgress& progress) {
    auto* event = new Event;
    event->kind = Event::Kind::Progress;
    event->progress = progress;
    Post(event);
}

void CStationWnd::Finished(const CJson& result) {
    auto* event = new Event;
    event->kind = Event::Kind::Finished;
    event->result = result;
    Post(event);
}

void CStationWnd::OnLineEvent(Event* event) {
    std::unique_ptr<Event> owned(event);
    switch (event->kind) {
    case Event::Kind::Said:
        // The line's progress lines are the console's; the cards say it in the skin's words.
        return;
    case Event::Kind::Progress:
        board_.OnProgress(event->progress);
        break;
    case Event::Kind::Finished:
        board_.OnFinished(event->result);
        break;
    }
    ShowBoard();
}

void CStationWnd::Browse(const char* edit, bool units, bool save) {
    std::wstring file(32768, L'\0');
    const std::wstring filter = units ? L"CSV (*.csv)\0*.csv\0*.*\0*.*\0\0"
                                      : L"*.cfg; *.json\0*.cfg;*.json\0*.*\0*.*\0\0";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFilter = filter.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLESIZING |
                (save ? OFN_HIDEREADONLY : OFN_FILEMUSTEXIST);
    if (save)
        ofn.lpstrDefExt = L"csv";
    if (!RunFileDialog(ofn, save))
        return;
    if (CControlUI* control = pm_.FindControl(edit))
        control->SetText(Utf8Of(std::wstring(file.c_str())));
}

void CStationWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender == nullptr || msg.sType != "click")
        return;
    const std::string name = msg.pSender->GetName();
    if (name == "StationStart")
        Start();
    else if (name == "StationStop")
        Stop();
    else if (name == "StationClose")
        // Posted: the window (and its paint manager) must outlive the click being handled.
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    else if (name == "StationTemplateBrowse")
        Browse("StationTemplate", false, false);
    else if (name == "StationUnitsBrowse")
        Browse("StationUnits", true, false);
    else if (name == "StationReportBrowse")
        Browse("StationReport", true, true);
}

void CStationWnd::CloseWindow() {
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    if (Running()) {
        // The units in progress are finished and reported before the window goes.
        closing_ = true;
        Stop();
        return;
    }
    ::DestroyWindow(m_hWnd);
}

LRESULT CStationWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (uMsg) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        CloseWindow();
        return 0;
    case WM_STATION_EVENT:
        OnLineEvent(reinterpret_cast<Event*>(lParam));
        return 0;
    case WM_STATION_DONE:
        OnDone();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && !Running()) {
            CloseWindow();
            return 0;
        }
        break;
    default:
        break;
    }
    if (SkinWindowMessage(pm_, m_hWnd, nullptr, true, uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CStationWnd::OnFinalMessage(HWND /*hWnd*/) {
    if (line_)
        line_->Stop();
    if (worker_.joinable())
        worker_.join();
    // Events still queued for the window were dropped with it.
    if (g_station == this)
        g_station = nullptr;
    delete this;
}
