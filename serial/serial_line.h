// A serial line for programs without a window (the command-line tool): opened by name, written
// and read synchronously by the one thread that uses it. One interface, two drivers: the Win32
// communications API on Windows ("COM5") and termios on POSIX systems ("/dev/ttyUSB0", a pty).
#pragma once

#include <memory>
#include <string>
#include <vector>

// Line settings by name: the port's name as the system knows it, and its format.
struct SerialLineSettings {
    std::string port;
    int baudRate = 115200;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};

class ISerialLine {
public:
    virtual ~ISerialLine() = default;
    // Opens the port with the settings; false with the system's reason in `why`.
    virtual bool Open(const SerialLineSettings& settings, std::string& why) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes all the bytes and waits until they are handed to the line; false with the reason.
    virtual bool Write(const std::string& bytes, std::string& why) = 0;
    // What arrives within timeoutMs: returns as soon as some bytes are there, empty when none
    // came. `why` is set when the line failed (the adapter went away).
    virtual std::string Read(int timeoutMs, std::string& why) = 0;
    // Discards what was received and not read yet.
    virtual void DiscardInput() = 0;
};

// A line by the port's name: the system's serial ports ("COM5", "/dev/ttyUSB0"), and ports
// across the network: "tcp://host:port" (a raw TCP serial server) and "rfc2217://host:port"
// (a Telnet serial server whose line settings are set with RFC 2217).
std::unique_ptr<ISerialLine> MakeSerialLine();
// The serial-port driver of this system alone.
std::unique_ptr<ISerialLine> MakeSystemSerialLine();
// The network driver alone.
std::unique_ptr<ISerialLine> MakeNetworkSerialLine();
// Whether a port name is a network address ("tcp://", "rfc2217://").
bool IsNetworkPort(const std::string& port);
// The extra wait a port needs for each answer: a network port's round trips (milliseconds).
int PortLatencyMs(const std::string& port);

// A port the system has, as a user should see it.
struct SerialPortInfo {
    std::string name;         // what Open takes: "COM5", "/dev/ttyUSB0"
    std::string description;  // the system's friendly name ("USB Serial Port"), or empty
    bool inUse = false;       // another program holds it open (when the system can tell)
};

// The serial ports of this system, in the system's order. `where` is where the system lists
// them (Windows: a registry key under HKEY_LOCAL_MACHINE; empty: the system's own list).
std::vector<SerialPortInfo> ListSerialLines(const std::string& where = "");

// The adapter's own name in a description, without the port name the system adds to it
// ("USB Serial Port (COM5)" -> "USB Serial Port"): what stays when the adapter is renumbered.
std::string AdapterName(const std::string& description);

// "COM5 - USB Serial Port (in use)" and the like: a port as lists show it.
std::string DescribePort(const SerialPortInfo& port);
