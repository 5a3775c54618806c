#include "shell/port_link.h"

#include "exchange/dialogue_policy.h"

#include <algorithm>
#include <chrono>

// ---- One port --------------------------------------------------------------------------------

CPortLink::CPortLink(const PortOptions& options, std::string port, bool namePort,
                     std::function<void(const std::string&)> say,
                     std::function<bool()> stopping)
    : options_(options), say_(std::move(say)), stopping_(std::move(stopping)), port_(std::move(port)),
      namePort_(namePort), baud_(options.baud), line_(MakeSerialLine()) {}

void CPortLink::Say(const std::string& text) const {
    if (say_)
        say_(namePort_ ? port_ + ": " + text : text);
}

SerialLineSettings CPortLink::Settings() const {
    SerialLineSettings settings;
    settings.port = port_;
    settings.baudRate = baud_;
    if (options_.format.size() == 3) {
        settings.dataBits = options_.format[0] - '0';
        settings.parity = options_.format[1];
        settings.stopBits = options_.format[2] - '0';
    }
    return settings;
}

bool CPortLink::OpenAt(int baud, std::string& why) {
    baud_ = baud;
    CloseLine();
    if (!line_->Open(Settings(), why))
        return false;
    session_ = std::make_unique<CDeviceSession>(
        *line_, baud_, [this](const std::string& text) { Say(text); });
    session_->SetExtraWaitMs(PortLatencyMs(port_));
    return true;
}

bool CPortLink::FindBaudRate(int waitMs, std::string& why) {
    const auto start = std::chrono::steady_clock::now();
    auto timeLeft = [&] {
        return waitMs < 0 || std::chrono::steady_clock::now() - start <
                                 std::chrono::milliseconds(waitMs);
    };
    Say("listening for the device's power-up prompt to find its baud rate (power it on now)");
    const std::vector<int> rates = AutoBaudOrder(0, StandardBaudRates());
    std::string lastFailure;
    while (timeLeft() && !Stopping()) {
        bool opened = false;
        for (int rate : rates) {
            std::string failure;
            if (!OpenAt(rate, failure)) {
                lastFailure = failure;
                continue; // a rate this port or system does not offer
            }
            opened = true;
            if (session_->AwaitPrompt(static_cast<int>(kAutoBaudSliceMs))) {
                Say("baud rate found: " + std::to_string(rate));
                return true;
            }
            CloseLine();
            if (!timeLeft() || Stopping())
                break;
        }
        if (!opened) {
            why = port_ + " cannot be opened: " + lastFailure;
            return false;
        }
    }
    why = "no baud rate found: the device showed no power-up prompt at any rate within " +
          std::to_string(waitMs / 1000) +
          " s (nothing was sent). Power the device on while dtucfg listens, or give --baud.";
    return false;
}

int CPortLink::Connect(int promptWaitMs) {
    std::string why;
    if (options_.baudAuto) {
        // Listening lasts as long as a unit may take to be connected and powered.
        const int listenMs = options_.waitSeconds >= 0 ? options_.waitSeconds * 1000
                                                       : kUnitPowerUpMs;
        if (!FindBaudRate(listenMs, why)) {
            Say(why);
            return kNoPort;
        }
    } else if (!OpenAt(options_.baud, why)) {
        Say(port_ + " cannot be opened: " + why);
        return kNoPort;
    }
    if (!session_->EnterSettingMode(promptWaitMs, why)) {
        Say(why);
        return kNoPort;
    }
    return -1;
}

bool CPortLink::AwaitUnit(int waitMs, std::string& why, const std::function<bool()>& giveUp) {
    why.clear();
    if (options_.baudAuto) {
        CloseLine();
        if (!FindBaudRate(waitMs, why))
            return false;
    } else {
        if (!line_->IsOpen() && !OpenAt(options_.baud, why)) {
            why = port_ + " cannot be opened: " + why;
            return false;
        }
        session_.reset(); // its engine stops reading first
        line_->DiscardInput();
        session_ = std::make_unique<CDeviceSession>(
            *line_, baud_, [this](const std::string& text) { Say(text); });
        session_->SetExtraWaitMs(PortLatencyMs(port_));
        const auto start = std::chrono::steady_clock::now();
        bool prompted = false;
        while (!prompted && !Stopping() && !(giveUp && giveUp())) {
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count();
            if (waitMs >= 0 && waited >= waitMs)
                break;
            const int slice = waitMs < 0 ? 500 : static_cast<int>(std::min<long long>(500, waitMs - waited));
            prompted = session_->AwaitPrompt(slice);
            std::string lost;
            if (!prompted && !session_->EnsureLineAlive(lost)) {
                why = lost;
                return false;
            }
        }
        if (!prompted) {
            why = Stopping() || (giveUp && giveUp()) ? "stopped before a unit was connected"
                                                          : "no power-up prompt";
            return false;
        }
    }
    return session_->EnterSettingMode(0, why);
}

std::optional<std::string> CPortLink::ReadDevice(int& code) {
    Say("reading the configuration");
    std::string why;
    std::optional<std::string> listing = session_->ReadListing(why);
    if (!listing) {
        Say("the configuration was not read: " + why);
        code = kNoPort;
    }
    return listing;
}

std::string CPortLink::Version() {
    Job ver;
    ver.type = JOB_VERSION;
    ver.command = "At+VER\r\n";
    std::string why;
    const std::optional<std::string> reply = session_->Run(ver, why);
    if (!reply)
        return std::string();
    const size_t at = reply->find("Version:");
    if (at == std::string::npos)
        return std::string();
    std::string version = reply->substr(at + 8, reply->find("\r\n", at) - at - 8);
    while (!version.empty() && (version.back() == ' ' || version.back() == '\r'))
        version.pop_back();
    while (!version.empty() && version.front() == ' ')
        version.erase(0, 1);
    return version;
}

void CPortLink::Leave() {
    if (session_ && line_->IsOpen())
        session_->Leave();
}

void CPortLink::Close() {
    CloseLine();
}

void CPortLink::CloseLine() {
    // The session's engine reads the line: it ends before the line closes.
    session_.reset();
    line_->Close();
}
