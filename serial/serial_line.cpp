#include "serial/serial_line.h"

#include "base/line_settings.h"

std::string AdapterName(const std::string& description) {
    std::string name = description;
    const size_t open = name.rfind(" (");
    if (open != std::string::npos && name.back() == ')')
        name.erase(open);
    return name;
}

std::string DescribePort(const SerialPortInfo& port) {
    std::string text = port.name;
    // A friendly name often repeats the port ("USB Serial Port (COM5)"): shown once.
    std::string description = port.description;
    const std::string repeated = " (" + port.name + ")";
    const size_t at = description.find(repeated);
    if (at != std::string::npos)
        description.erase(at, repeated.size());
    if (!description.empty())
        text += " - " + description;
    if (port.inUse)
        text += " (in use)";
    return text;
}

bool IsNetworkPort(const std::string& port) {
    return IsNetworkPortName(port);
}

int PortLatencyMs(const std::string& port) {
    return IsNetworkPort(port) ? 500 : 0;
}

namespace {

// Opens the network or the system's driver by the port's name.
class CAnySerialLine final : public ISerialLine {
public:
    bool Open(const SerialLineSettings& settings, std::string& why) override {
        const bool network = IsNetworkPort(settings.port);
        if (!line_ || network != network_) {
            if (line_)
                line_->Close();
            line_ = network ? MakeNetworkSerialLine() : MakeSystemSerialLine();
            network_ = network;
        }
        return line_->Open(settings, why);
    }
    void Close() override {
        if (line_)
            line_->Close();
    }
    bool IsOpen() const override { return line_ && line_->IsOpen(); }
    bool Write(const std::string& bytes, std::string& why) override {
        if (!line_) {
            why = "the port is not open";
            return false;
        }
        return line_->Write(bytes, why);
    }
    std::string Read(int timeoutMs, std::string& why) override {
        if (!line_) {
            why = "the port is not open";
            return std::string();
        }
        return line_->Read(timeoutMs, why);
    }
    void DiscardInput() override {
        if (line_)
            line_->DiscardInput();
    }

private:
    std::unique_ptr<ISerialLine> line_;
    bool network_ = false;
};

} // namespace

std::unique_ptr<ISerialLine> MakeSerialLine() {
    return std::make_unique<CAnySerialLine>();
}
