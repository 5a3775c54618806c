// The simulated device's configuration and its answers to the setting-mode commands. No I/O
// here: dtusim.cpp drives it over a serial line.
#pragma once

#include <map>
#include <string>
#include <vector>

enum class DeviceKind { Plain, Lora, Zigbee, Gps };

// The interfaces a model has; the listing mentions only these.
struct DeviceInterfaces {
    bool serial1 = true;
    bool serial2 = true;
    bool rs485 = true;
    bool io[5] = {true, true, true, true, true};
};

// What the device does with one command line.
struct DeviceAnswer {
    std::string text;          // the reply bytes
    bool leaveSetting = false; // the device leaves its setting mode after answering
    bool isSignal = false;     // the command was "At+CSQ" (a fault may refuse it)
};

class CDeviceModel {
public:
    CDeviceModel(DeviceKind kind, DeviceInterfaces interfaces, int sensorRows);

    // The configuration file (one "label<TAB>value" line per parameter): Load keeps the
    // defaults for what the file lacks and for values the device would not take (a file
    // written by an older simulator); Save writes everything. Both report success.
    bool Load(const std::string& path);
    bool Save(const std::string& path) const;
    void RestoreDefaults();

    // Answers one command line received in the setting mode (without its line end).
    DeviceAnswer Answer(const std::string& line);

    // The whole listing, from its first line to the final "OK".
    std::string Listing() const;
    // The start-up prompt, the command list, the device log file.
    static std::string Prompt();
    static std::string CommandList();
    std::string LogFile() const;

    // The words the device takes and reports for a parameter with a closed set of values, in
    // the order the page's combo offers them; empty for text fields, numbers and bit masks.
    static std::vector<std::string> Vocabulary(const std::string& key);
    // Whether the device takes this value for the parameter of that catalogue key (parameters
    // that share a listing line take the same values).
    bool Accepts(const std::string& key, const std::string& value) const;

    // The value shown under a listing label (without its leading CR LF); "" when unknown.
    std::string ValueOf(const std::string& label) const;
    bool changed = false; // an accepted write or a reset since the last Save

private:
    struct Line {
        std::string label; // without the leading CR LF
        std::string kind;
        std::string key; // catalogue key whose values the line takes (see the constructor)
        std::string value;
    };
    bool SetParameter(const std::string& word, const std::string& value);
    bool SetSensorRow(const std::string& value);
    bool Mentions(const std::string& label) const;

    DeviceKind kind_;
    DeviceInterfaces interfaces_;
    int sensorRows_;
    std::vector<Line> lines_;                              // listing order
    std::map<std::string, std::vector<size_t>> byCommand_; // upper-case command word -> lines
    std::vector<std::string> sensors_;
    std::string clock_ = "2026/01/01,00:00:00";
};
