// The main window's serial port: the port chooser (the system's ports, the one remembered),
// opening and closing the port through the device engine, finding the baud rate by listening,
// and a port that vanished.
#include "shell/frame_wnd.h"

#include "base/decimal.h"
#include "base/messages.h"
#include "base/settings.h"
#include "exchange/dialogue_policy.h"
#include "serial/port_list.h"
#include "serial/serial_line.h"
#include "ui/UIControls.h"

namespace {

std::string g_serialPortKey = kSerialPortRegistryKey;
COrvelFrameWnd::PortListHook g_portListHook = nullptr;

// The user data of the port chooser's last item, "Network port...".
constexpr const char* kNetworkItem = "network";

CComboUI* AsCombo(CControlUI* control) {
    return ControlAs<CComboUI>(control);
}

// The serial line a connection bar's settings name.
SerialLineSettings LineOf(const LineSettings& settings) {
    SerialLineSettings line;
    line.port = settings.portName.empty() ? "COM" + std::to_string(settings.portNumber)
                                          : settings.portName;
    line.baudRate = settings.baudRate;
    line.parity = settings.parity;
    line.dataBits = settings.dataBits;
    line.stopBits = settings.stopBits;
    return line;
}

} // namespace

void COrvelFrameWnd::SetSerialPortKey(const std::string& key) {
    g_serialPortKey = key;
}

void COrvelFrameWnd::SetPortListHook(PortListHook hook) {
    g_portListHook = hook;
}

void COrvelFrameWnd::RescanSerialPorts() {
    CComboUI* ports = AsCombo(pm_.FindControl("SerialPort"));
    if (ports == nullptr)
        return;
    const std::string chosen = PortNameOf(ports->GetText());
    if (!ScanSerialPorts())
        return;
    int select = 0;
    for (int i = 0; i < ports->GetCount(); ++i)
        if (ports->GetItemAt(i)->GetUserData() != kNetworkItem &&
            PortNameOf(ports->GetItemAt(i)->GetText()) == chosen)
            select = i;
    ports->SelectItem(select, false);
    portChoice_ = select;
}

bool COrvelFrameWnd::ScanSerialPorts() {
    CComboUI* ports = AsCombo(pm_.FindControl("SerialPort"));
    std::vector<SerialPortInfo> found =
        g_portListHook ? g_portListHook() : ListSerialLines(g_serialPortKey);
    // The network ports used before (here or in the station) follow the system's.
    for (const std::string& address : LoadNetworkPorts()) {
        SerialPortInfo network;
        network.name = address;
        found.push_back(network);
    }
    if (found.empty() || ports == nullptr)
        return false;
    ports_ = std::move(found);
    ports->RemoveAll();
    // Each port as the system names it ("COM5 - USB Serial Port"), marked when another program
    // holds it.
    for (const SerialPortInfo& port : ports_) {
        SerialPortInfo shown = port;
        shown.inUse = false;
        std::string text = DescribePort(shown);
        if (port.inUse)
            text += " " + LookupTextOr("ScanSerialPorts", "InUse", "(in use)");
        auto* item = new CListLabelElementUI;
        item->SetText(text.c_str());
        if (!ports->Add(item))
            delete item;
    }
    // Last, the way to a network port not used before.
    auto* network = new CListLabelElementUI;
    network->SetText(LookupTextOr("ScanSerialPorts", "NetworkItem", "Network port..."));
    network->SetUserData(kNetworkItem);
    if (!ports->Add(network))
        delete network;
    return true;
}

bool COrvelFrameWnd::SelectPort(const std::string& name) {
    CComboUI* ports = AsCombo(pm_.FindControl("SerialPort"));
    if (ports == nullptr)
        return false;
    for (int i = 0; i < ports->GetCount(); ++i)
        if (ports->GetItemAt(i)->GetUserData() != kNetworkItem &&
            PortNameOf(ports->GetItemAt(i)->GetText()) == name) {
            ports->SelectItem(i, false);
            portChoice_ = i;
            return true;
        }
    return false;
}

void COrvelFrameWnd::ChooseNetworkPort() {
    ::KillTimer(m_hWnd, kNetworkChoiceTimerId);
    if (networkPortWindow_ != nullptr)
        return;
    // Keys moving through the open list pass over "Network port...": it counts once the list
    // is closed on it, not while the user is on the way to a port further up.
    if (CComboUI* ports = AsCombo(pm_.FindControl("SerialPort"))) {
        if (ports->IsDroppedDown()) {
            ::SetTimer(m_hWnd, kNetworkChoiceTimerId, kNetworkChoiceDelayMs, nullptr);
            return;
        }
        const int chosen = ports->GetCurSel();
        if (chosen < 0 || ports->GetItemAt(chosen)->GetUserData() != kNetworkItem)
            return;
    }
    const std::vector<std::string> known = LoadNetworkPorts();
    networkPortWindow_ = CNetworkPortWnd::Open(
        m_hWnd, known.empty() ? std::string("tcp://") : known.front(),
        [this](const std::string& typed) {
            // Blanks around what was typed or pasted are no part of the address.
            const size_t first = typed.find_first_not_of(" \t");
            const std::string address =
                first == std::string::npos
                    ? std::string()
                    : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
            if (!IsWholeNetworkPort(address))
                return LookupTextOr("NetworkPort", "Refused",
                                    "Write the serial server's address as tcp://host:port or "
                                    "rfc2217://host:port.");
            RememberNetworkPort(address);
            ScanSerialPorts();
            SelectPort(address);
            return std::string();
        },
        [this](bool taken) {
            networkPortWindow_ = nullptr;
            if (taken)
                return;
            // Nothing chosen: the port chosen before stays.
            if (CComboUI* ports = AsCombo(pm_.FindControl("SerialPort")))
                if (portChoice_ >= 0 && portChoice_ < ports->GetCount())
                    ports->SelectItem(portChoice_, false);
        });
}

void COrvelFrameWnd::SelectRememberedPort() {
    const RememberedPort remembered = LoadRememberedPort();
    CComboUI* ports = AsCombo(pm_.FindControl("SerialPort"));
    if (ports == nullptr || ports->GetCount() == 0)
        return;
    // The port opened last; else the adapter it was, come back under another number.
    int select = -1;
    for (size_t i = 0; i < ports_.size() && select < 0; ++i)
        if (!remembered.name.empty() && ports_[i].name == remembered.name)
            select = static_cast<int>(i);
    for (size_t i = 0; i < ports_.size() && select < 0; ++i)
        if (!remembered.description.empty() &&
            AdapterName(ports_[i].description) == remembered.description)
            select = static_cast<int>(i);
    ports->SelectItem(select < 0 ? 0 : select, false);
    portChoice_ = select < 0 ? 0 : select;
    auto chooseText = [this](const char* name, const std::string& text) {
        CComboUI* combo = AsCombo(pm_.FindControl(name));
        if (combo == nullptr || text.empty())
            return;
        for (int i = 0; i < combo->GetCount(); ++i)
            if (combo->GetItemAt(i)->GetText() == text)
                combo->SelectItem(i, false);
    };
    chooseText("BaudRate1", remembered.baud);
    chooseText("Checkcode", remembered.format);
}

void COrvelFrameWnd::OnPortGone() {
    if (!link_.IsOpen())
        return;
    // As if "Close" had been pressed, with one line that names the port; what was read stays.
    ClosePort(link_.PortName() + " " +
              LookupTextOr("OnStartCom", "Disconnected", "was disconnected.") + "\r\n");
}

void COrvelFrameWnd::ClosePort(const std::string& logLine) {
    link_.CloseDevicePort();
    if (verifying_)
        FinishVerification(std::string(), true); // the rest of the batch will not go out
    pages_.EndFileLoad();
    pages_.SetDeviceRead(false);
    if (CControlUI* open = pm_.FindControl("Open"))
        open->SetText(LookupText("OnStartCom", "Open", ""));
    AppendLog(logLine);
    ::PostMessageA(m_hWnd, WM_CONTROL_STATE, 0, STATE_PORT_CLOSED);
}

void COrvelFrameWnd::TogglePort() {
    if (!autoRates_.empty()) {
        // "Close" while the rate is being found: the search ends.
        autoRates_.clear();
        ::KillTimer(m_hWnd, kAutoBaudTimerId);
        ClosePort(LookupText("OnStartCom", "CloseNotice", "\r\n"));
        return;
    }
    if (link_.IsOpen()) {
        ClosePort(LookupText("OnStartCom", "CloseNotice", "\r\n"));
        return;
    }
    CControlUI* port = pm_.FindControl("SerialPort");
    CControlUI* baud = pm_.FindControl("BaudRate1");
    CControlUI* code = pm_.FindControl("Checkcode");
    if (port == nullptr || baud == nullptr || code == nullptr)
        return;
    LineSettings settings;
    CComboUI* baudCombo = AsCombo(baud);
    if (baudCombo != nullptr && baudCombo->GetCurSel() >= 0 &&
        baudCombo->GetItemAt(baudCombo->GetCurSel())->GetUserData() == "auto") {
        if (ReadLineSettings(port->GetText(), "1", code->GetText(), settings) ==
            LineSettingsError::None)
            StartAutoBaud(settings);
        return;
    }
    switch (ReadLineSettings(port->GetText(), baud->GetText(), code->GetText(), settings)) {
    case LineSettingsError::BadBaud:
        AppendLog(LookupTextOr("OnStartCom", "BaudError",
                         "The baud rate is not a positive number. Choose a baud rate and open "
                         "the port again.",
                         "\r\n"));
        return;
    case LineSettingsError::BadPort:
        AppendLog(LookupText("OnStartCom", "OpenError", "\r\n"));
        return;
    case LineSettingsError::None:
        break;
    }
    if (!link_.OpenDevicePort(LineOf(settings))) {
        AppendLog(LookupText("OnStartCom", "OpenError", "") + " " + link_.LastOpenError() +
                  "\r\n");
        return;
    }
    OnPortOpened(baud->GetText());
    AppendLog(LookupText("OnStartCom", "OpenNotice", "\r\n"));
}

void COrvelFrameWnd::OnPortOpened(const std::string& baudText) {
    pages_.SetDeviceRead(false);
    // The next start selects this port, rate and format again (or the adapter, renumbered).
    RememberedPort remembered;
    if (CControlUI* port = pm_.FindControl("SerialPort"))
        remembered.name = PortNameOf(port->GetText());
    remembered.baud = baudText;
    if (CControlUI* code = pm_.FindControl("Checkcode"))
        remembered.format = code->GetText();
    for (const SerialPortInfo& known : ports_)
        if (known.name == remembered.name)
            remembered.description = AdapterName(known.description);
    RememberPort(remembered);
    if (IsNetworkPort(remembered.name))
        RememberNetworkPort(remembered.name);
    if (CControlUI* open = pm_.FindControl("Open"))
        open->SetText(LookupText("OnStartCom", "Close", ""));
    ::PostMessageA(m_hWnd, WM_CONTROL_STATE, 1, STATE_PORT_OPENED);
}

void COrvelFrameWnd::StartAutoBaud(LineSettings settings) {
    // The last rate used first, then the chooser's rates in its order, fastest common first.
    std::vector<int> offered;
    if (CComboUI* baud = AsCombo(pm_.FindControl("BaudRate1")))
        for (int i = 0; i < baud->GetCount(); ++i) {
            int rate = 0;
            if (ReadPositiveNumber(baud->GetItemAt(i)->GetText(), rate))
                offered.push_back(rate);
        }
    autoRates_ = AutoBaudOrder(ParseDecimal(LoadRememberedPort().baud), offered);
    autoSettings_ = settings;
    autoNext_ = 0;
    autoStart_ = ::GetTickCount64();
    AppendLog(LookupTextOr("OnStartCom", "AutoBaud",
                           "Finding the baud rate: listening for the device's power-up prompt "
                           "(power it on now); nothing is sent meanwhile.",
                           "\r\n"));
    if (CControlUI* open = pm_.FindControl("Open"))
        open->SetText(LookupText("OnStartCom", "Close", ""));
    OnAutoBaudTimer();
}

void COrvelFrameWnd::OnAutoBaudTimer() {
    ::KillTimer(m_hWnd, kAutoBaudTimerId);
    if (autoRates_.empty())
        return;
    if (link_.IsOpen() && link_.PromptSeen()) {
        // This rate heard the prompt: it is the device's. The chooser shows it.
        const int rate = autoSettings_.baudRate;
        autoRates_.clear();
        if (CComboUI* baud = AsCombo(pm_.FindControl("BaudRate1")))
            for (int i = 0; i < baud->GetCount(); ++i)
                if (baud->GetItemAt(i)->GetText() == std::to_string(rate))
                    baud->SelectItem(i, false);
        AppendLog(LookupTextOr("OnStartCom", "AutoBaudFound", "Baud rate found:") + " " +
                  std::to_string(rate) + "\r\n");
        OnPortOpened(std::to_string(rate));
        return;
    }
    if (link_.IsOpen())
        link_.CloseDevicePort();
    if (::GetTickCount64() - autoStart_ >= kAutoBaudLimitMs) {
        autoRates_.clear();
        ClosePort(LookupTextOr("OnStartCom", "AutoBaudNone",
                               "No baud rate found: the device showed no power-up prompt at any "
                               "rate (nothing was sent). Power it on while the port is opened "
                               "with Auto, or choose its rate.",
                               "\r\n"));
        return;
    }
    // The next rate, round and round until the time is up.
    autoSettings_.baudRate = autoRates_[autoNext_++ % autoRates_.size()];
    link_.OpenDevicePortListening(LineOf(autoSettings_));
    ::SetTimer(m_hWnd, kAutoBaudTimerId, kAutoBaudSlice, nullptr);
}
