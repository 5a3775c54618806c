// dtucfg: the configuration tool on the command line, for workbenches with many units. It reads
// a device's configuration into a .cfg file, shows what writing a file would change, and writes
// it with every value verified by reading the device again. What it writes is decided by the
// window's own page logic (CPageSession on the English skin), so the window and dtucfg send the
// same commands for the same device and file.
#include "exchange/device_session.h"
#include "params/config_file.h"
#include "params/listing_parser.h"
#include "params/snapshots.h"
#include "params/value_rules.h"
#include "serial/serial_line.h"
#include "shell/page_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <memory>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kUsage[] =
    "Usage: dtucfg COMMAND [options]\n"
    "Configures DTU devices over a serial port, from the command line.\n"
    "\n"
    "Commands:\n"
    "  ports                      list the serial ports (name, the system's name, in use)\n"
    "  read  --port P [--out FILE.cfg]\n"
    "                             enter the setting mode, read the configuration and save it\n"
    "                             in the .cfg format (without --out: only the summary)\n"
    "  diff  --port P --cfg FILE [--set \"Label=value\"]...\n"
    "                             what a write would send: one line per command, nothing sent\n"
    "  write --port P --cfg FILE [--set \"Label=value\"]... [--yes]\n"
    "                             write the values in which the device differs from the file\n"
    "                             (only the labels the file holds), then read the device again\n"
    "                             and verify every value; asks first unless --yes\n"
    "  compare --cfg FILE (--port P | --cfg FILE2)\n"
    "                             the parameters in which a file differs from the device (or\n"
    "                             from another file), leaving out what changes by itself;\n"
    "                             nothing is written\n"
    "  undo  --port P [--yes]     write back the device's configuration as it was before the\n"
    "                             last write (the newest snapshot of its ID in --backups)\n"
    "  apply --port P --cfg TEMPLATE --units UNITS.csv --report REPORT.csv [--resume]\n"
    "                             the production line: for each row of UNITS.csv wait for the\n"
    "                             next device's power-up prompt, write the template plus the\n"
    "                             row's values, verify them, append a row to REPORT.csv\n"
    "\n"
    "Options:\n"
    "  --port P        the serial port: COM5 on Windows, /dev/ttyUSB0 (or a pty) on Linux\n"
    "  --baud B        baud rate (default 115200), or \"auto\": listen for the device's\n"
    "                  power-up prompt at each rate in turn (115200, 9600, then the others)\n"
    "                  until --wait runs out (give it time: --wait 20), sending nothing while\n"
    "                  guessing\n"
    "  --format F      data bits, parity, stop bits (default 8N1)\n"
    "  --wait S        seconds to wait for the device's power-up prompt before sending +++\n"
    "                  to a running device (default 3)\n"
    "  --skin DIR      the English skin folder whose pages decide what is written (default:\n"
    "                  skin/ConifgENRes beside the program)\n"
    "  --set L=V       change the value of label L (as the listing names it, e.g.\n"
    "                  \"Server's Port=9001\") on top of the file; may be repeated\n"
    "  --yes           write without asking\n"
    "  --units FILE    apply: a header row of labels (\"Modem's ID number\", \"Server's Port\")\n"
    "                  and a \"unit\" column naming each unit; one row per unit\n"
    "  --report FILE   apply: the report, one row per unit (time, unit, version, ID before and\n"
    "                  after, the labels written, the outcome and its reason)\n"
    "  --resume        apply: skip the units the report already holds as verified\n"
    "  --backups DIR   where write, apply and undo keep the device's configuration as read\n"
    "                  before each write (default: backups beside the program); the newest\n"
    "                  50 of each device are kept\n"
    "\n"
    "Progress and each command's outcome go to stderr; results go to stdout as tab-separated\n"
    "lines: label, device value, new value, and for write the outcome (verified, refused,\n"
    "not answered, mismatch: the device reports another value).\n"
    "\n"
    "Exit codes: 0 everything verified (or nothing to do); 1 some value failed; 2 bad\n"
    "arguments or files; 3 the port is not available or the device did not answer.\n";

enum Exit { kOk = 0, kFailed = 1, kBadArguments = 2, kNoPort = 3 };

struct Options {
    std::string command;
    std::string port;
    int baud = 115200;
    bool baudAuto = false;
    std::string format = "8N1";
    int waitSeconds = 3;
    std::string out;
    std::string cfg;
    std::string cfg2;
    std::string backups;
    std::string skin;
    std::vector<std::string> sets;
    bool yes = false;
    std::string units;
    std::string report;
    bool resume = false;
};

void Say(const std::string& text) {
    std::fprintf(stderr, "dtucfg: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string ProgramFolder(const char* argv0) {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    const size_t slash = text.find_last_of("\\/");
#else
    std::string text = argv0 ? argv0 : "";
    const size_t slash = text.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

bool FileExists(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The label text of a catalogue entry or sensor row that people name as `name` (its label as
// the listing writes it, or the name of its field), or "".
std::string FindLabel(CPageSession& pages, const std::string& name) {
    // The name of the field on the pages ("Modem'sID number") names it too.
    if (const ParameterEntry* entry = FindParameter(pages.Store().parameters, name))
        if (!entry->label.empty())
            return entry->label;
    const std::string wanted = PlainLabel(name);
    for (const auto& [key, entry] : pages.Store().parameters)
        if (!entry.label.empty() && PlainLabel(entry.label) == wanted)
            return entry.label;
    for (const auto& [key, list] : pages.Store().lists)
        for (int i = 0; i < list.count; ++i) {
            const std::string label = FormatListLabel(list.labelFormat, i);
            if (PlainLabel(label) == wanted)
                return label;
        }
    return std::string();
}

// Puts `value` under `label` in a listing text: replaces the value where the label stands,
// adds the line after the anchor line otherwise.
void SetValue(std::string& listing, const std::string& label, const std::string& value) {
    const std::string bare = label.rfind("\r\n", 0) == 0 ? label.substr(2) : label;
    const size_t anchor = listing.find(kListingAnchor);
    size_t at = listing.find(label, anchor == std::string::npos ? 0 : anchor);
    if (at != std::string::npos) {
        const size_t start = at + label.size();
        const size_t end = listing.find("\r\n", start);
        listing.replace(start, (end == std::string::npos ? listing.size() : end) - start, value);
        return;
    }
    const size_t lineEnd = listing.find("\r\n", anchor == std::string::npos ? 0 : anchor);
    const size_t insertAt = lineEnd == std::string::npos ? listing.size() : lineEnd + 2;
    listing.insert(insertAt, bare + value + "\r\n");
}

// Reads CSV text (fields separated by ",", quoted with '"' where they hold a comma or a quote,
// '""' for a quote); a field holding a line break is refused, naming its line and column.
bool ReadCsv(const std::string& text, std::vector<std::vector<std::string>>& rows,
             std::string& where) {
    rows.clear();
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, inQuotes = false;
    size_t line = 1;
    auto endField = [&] {
        row.push_back(quoted ? field : [](std::string f) {
            while (!f.empty() && f.back() == ' ')
                f.pop_back();
            while (!f.empty() && f.front() == ' ')
                f.erase(0, 1);
            return f;
        }(field));
        field.clear();
        quoted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else if (c == '\r' || c == '\n') {
                where = "line " + std::to_string(line) + ", column " +
                        std::to_string(row.size() + 1) + ": a value holds a line break";
                return false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"' && field.find_first_not_of(' ') == std::string::npos) {
            field.clear();
            inQuotes = quoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endField();
            if (!(row.size() == 1 && row[0].empty()))
                rows.push_back(row);
            row.clear();
            ++line;
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        where = "line " + std::to_string(line) + ": a quote is not closed";
        return false;
    }
    if (!field.empty() || !row.empty()) {
        endField();
        rows.push_back(row);
    }
    return true;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

class CTool {
public:
    explicit CTool(Options options, const char* argv0)
        : options_(std::move(options)), argv0_(argv0) {}

    int Run() {
        if (options_.command == "ports")
            return Ports();
        if (options_.command == "compare" && !options_.cfg2.empty())
            return Compare();
        if (options_.port.empty()) {
            Say("--port is needed (see --help)");
            return kBadArguments;
        }
        if (options_.command == "read")
            return Read();
        if (options_.command == "diff" || options_.command == "write")
            return DiffOrWrite(options_.command == "write");
        if (options_.command == "apply")
            return Apply();
        if (options_.command == "compare")
            return Compare();
        if (options_.command == "undo")
            return Undo();
        Say("unknown command \"" + options_.command + "\" (see --help)");
        return kBadArguments;
    }

private:
    int Ports() {
        for (const SerialPortInfo& port : ListSerialLines())
            std::printf("%s\t%s\t%s\n", port.name.c_str(), port.description.c_str(),
                        port.inUse ? "in use" : "free");
        return kOk;
    }

    bool LoadPages() {
        std::string folder = options_.skin;
        if (folder.empty()) {
            folder = ProgramFolder(argv0_) + "/skin/ConifgENRes";
#ifdef ORVEL_SOURCE_SKIN
            if (!FileExists(folder + "/skin.xml"))
                folder = ORVEL_SOURCE_SKIN;
#endif
        }
        if (!pages_->Load(folder)) {
            Say("the skin folder " + folder + " cannot be read (see --skin)");
            return false;
        }
        return true;
    }

    // Finds the baud rate by listening for the device's power-up prompt at each rate in turn:
    // nothing is sent while guessing (a running unit would forward it to its server). Leaves
    // the port open at the rate found, with the prompt seen. The exit code on failure, else -1.
    int FindBaudRate(SerialLineSettings settings) {
        static const int kRates[] = {115200, 9600, 57600, 38400, 19200, 14400, 4800,
                                     2400,   1200, 230400, 460800, 921600};
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::seconds(options_.waitSeconds);
        Say("listening for the device's power-up prompt to find its baud rate (power it on now)");
        while (std::chrono::steady_clock::now() < deadline) {
            for (int rate : kRates) {
                settings.baudRate = rate;
                std::string why;
                if (!line_->Open(settings, why))
                    continue; // a rate this port or system does not offer
                session_.emplace(*line_, rate, [](const std::string& text) { Say(text); });
                if (session_->AwaitPrompt(700)) {
                    options_.baud = rate;
                    Say("baud rate found: " + std::to_string(rate));
                    return -1;
                }
                line_->Close();
                if (std::chrono::steady_clock::now() >= deadline)
                    break;
            }
        }
        Say("no baud rate found: the device showed no power-up prompt at any rate within " +
            std::to_string(options_.waitSeconds) +
            " s (nothing was sent). Power the device on while dtucfg listens, or give --baud.");
        return kNoPort;
    }

    // Opens the port and enters the setting mode; the exit code on failure, else -1.
    int Connect() {
        SerialLineSettings settings;
        settings.port = options_.port;
        settings.baudRate = options_.baud;
        if (options_.format.size() == 3) {
            settings.dataBits = options_.format[0] - '0';
            settings.parity = options_.format[1];
            settings.stopBits = options_.format[2] - '0';
        }
        std::string why;
        if (options_.baudAuto) {
            if (!line_->Open(settings, why)) {
                Say(options_.port + " cannot be opened: " + why);
                return kNoPort;
            }
            line_->Close();
            if (const int failed = FindBaudRate(settings); failed >= 0)
                return failed;
        } else {
            if (!line_->Open(settings, why)) {
                Say(options_.port + " cannot be opened: " + why);
                return kNoPort;
            }
            session_.emplace(*line_, options_.baud, [](const std::string& text) { Say(text); });
        }
        if (!session_->EnterSettingMode(options_.waitSeconds * 1000, why)) {
            Say(why);
            return kNoPort;
        }
        return -1;
    }

    std::optional<std::string> ReadDevice() {
        Say("reading the configuration");
        std::string why;
        std::optional<std::string> listing = session_->ReadListing(why);
        if (!listing)
            Say("the configuration was not read: " + why);
        return listing;
    }

    int Read() {
        if (const int failed = Connect(); failed >= 0)
            return failed;
        const std::optional<std::string> listing = ReadDevice();
        if (!listing)
            return kFailed;
        if (!options_.out.empty()) {
            if (!WriteFile(options_.out, ListingToFileBytes(*listing))) {
                Say(options_.out + " cannot be written");
                return kBadArguments;
            }
            Say("saved to " + options_.out);
        }
        std::string id;
        ExtractValue(*listing, "\r\nModem's ID number:", id);
        std::printf("read\t%s\t%zu bytes\t%s\n", options_.port.c_str(), listing->size(),
                    id.c_str());
        session_->Leave();
        return kOk;
    }

    // Reads a .cfg file (whole or partial) and puts the --set values (label, value) on top.
    // The exit code on failure, else -1.
    int LoadFile(const std::string& path,
                 const std::vector<std::pair<std::string, std::string>>& sets,
                 std::string& fileListing, FileLabels& labels, bool& hasAnchor) {
        std::string bytes;
        if (!ReadFile(path, bytes)) {
            Say(path + " cannot be read");
            return kBadArguments;
        }
        // A partial file may lack the listing's first label (it is read after one), or hold it
        // after other lines, which would then not count: its line is read first.
        const size_t anchor = bytes.find(kListingAnchor);
        hasAnchor = anchor != std::string::npos;
        if (!hasAnchor) {
            bytes = std::string(kListingAnchor) + "\r\r\n" + bytes;
        } else if (bytes.find_first_not_of("\r\n ", 0) < anchor &&
                   (anchor == 0 || bytes[anchor - 1] == '\n')) {
            size_t end = bytes.find('\n', anchor);
            end = end == std::string::npos ? bytes.size() : end + 1;
            const std::string line = bytes.substr(anchor, end - anchor);
            bytes.erase(anchor, end - anchor);
            bytes.insert(0, line);
        }
        switch (FileBytesToListing(bytes, fileListing)) {
        case ConfigFileError::None:
            break;
        case ConfigFileError::TooLong:
            Say(path + " is longer than a device's configuration can be");
            return kBadArguments;
        case ConfigFileError::Unterminated:
            Say(path + " was cut short: its last line has no line end");
            return kBadArguments;
        default:
            Say(path + " holds no configuration");
            return kBadArguments;
        }
        for (const auto& [label, value] : sets)
            SetValue(fileListing, label, value);
        labels = LabelsInListing(fileListing, pages_->Store().parameters, pages_->Store().lists);
        if (!hasAnchor)
            labels.keys.erase("Access Point Name");
        return -1;
    }

    // The --set options as (label, value); the exit code on failure, else -1.
    int ReadSets(std::vector<std::pair<std::string, std::string>>& sets) {
        for (const std::string& set : options_.sets) {
            const size_t eq = set.find('=');
            const std::string label =
                eq == std::string::npos ? "" : FindLabel(*pages_, set.substr(0, eq));
            if (label.empty()) {
                Say("--set \"" + set + "\": no such label");
                return kBadArguments;
            }
            const std::string value = set.substr(eq + 1);
            if (value.find_first_of("\r\n") != std::string::npos) {
                Say("--set \"" + set + "\": a value cannot hold a line break");
                return kBadArguments;
            }
            sets.emplace_back(label, value);
        }
        return -1;
    }

    // The commands writing the file would send to the device whose listing is given.
    std::vector<PlanRow> Plan(const std::string& device, std::string fileListing,
                              const FileLabels& labels, bool hasAnchor) {
        // A file that does not name the device's anchor value keeps the device's.
        if (!hasAnchor) {
            std::string apn;
            ExtractValue(device, kListingAnchor, apn);
            SetValue(fileListing, kListingAnchor, apn);
        }
        pages_->ShowDevice(device);
        std::vector<PlanRow> plan;
        for (PlanRow& row : pages_->FilePlan(fileListing, labels)) {
            if (row.applicable && row.rule == RuleBreak::None) {
                plan.push_back(std::move(row));
                continue;
            }
            if (row.rule != RuleBreak::None) {
                // Refused before it leaves: the device cannot take it.
                ++invalid_;
                std::printf("%s\t%s\t%s\tinvalid: %s\n", row.label.c_str(),
                            row.deviceValue.c_str(), row.newValue.c_str(),
                            RuleBreakText(row.rule, "").c_str());
                continue;
            }
            std::printf("%s\t%s\t%s\tnot applied\n", row.label.c_str(), row.deviceValue.c_str(),
                        row.newValue.c_str());
            Say("not applied: " + row.label + " (not in use with the device's other settings, or "
                "a value its page cannot show)");
        }
        for (const std::string& message : pages_->Messages())
            Say(message.substr(0, message.find_last_not_of("\r\n") + 1));
        return plan;
    }

    // Sends the plan and verifies every value against the listing read again. The outcomes
    // (verified, refused, not answered, mismatch, not verified) by row, and that listing.
    std::vector<std::string> Execute(std::vector<PlanRow> plan, std::optional<std::string>& after) {
        for (PlanRow& row : plan) {
            std::string why;
            const std::optional<std::string> reply = session_->Run(row.job, why);
            if (!reply) {
                row.outcome = PlanOutcome::NotAnswered;
                Say(row.label + ": " + why);
            } else if (ReplyRefused(*reply)) {
                row.outcome = PlanOutcome::Refused;
                Say(row.label + ": the device refused " + row.newValue);
            } else {
                row.outcome = PlanOutcome::Written;
            }
        }
        after = ReadDevice();
        VerifyPlan(plan, after ? *after : std::string());
        std::vector<std::string> outcomes;
        for (const PlanRow& row : plan) {
            if (row.outcome == PlanOutcome::Mismatch)
                Say(row.label + ": the device took the command but reports another value");
            outcomes.push_back(OutcomeText(row.outcome, PlanTexts()));
        }
        return outcomes;
    }

    int DiffOrWrite(bool write) {
        if (options_.cfg.empty()) {
            Say("--cfg FILE is needed (see --help)");
            return kBadArguments;
        }
        if (!LoadPages())
            return kBadArguments;
        // The file first: a bad file is refused before anything is sent.
        std::vector<std::pair<std::string, std::string>> sets;
        if (const int bad = ReadSets(sets); bad >= 0)
            return bad;
        std::string fileListing;
        FileLabels labels;
        bool hasAnchor = false;
        if (const int bad = LoadFile(options_.cfg, sets, fileListing, labels, hasAnchor); bad >= 0)
            return bad;

        if (const int failed = Connect(); failed >= 0)
            return failed;
        const std::optional<std::string> device = ReadDevice();
        if (!device)
            return kFailed;
        const std::vector<PlanRow> plan = Plan(*device, fileListing, labels, hasAnchor);
        if (!write) {
            for (const PlanRow& row : plan)
                std::printf("%s\t%s\t%s\t%s", row.label.c_str(), row.deviceValue.c_str(),
                            row.newValue.c_str(), row.job.command.c_str());
            // Values that break their rules were listed as invalid above.
            Say(std::to_string(plan.size()) + " command(s) would be sent; nothing was sent");
            session_->Leave();
            return kOk;
        }
        if (plan.empty()) {
            Say(invalid_ ? "nothing to write but values that break their rules"
                         : "the device already holds the file's values: nothing to write");
            session_->Leave();
            return invalid_ ? kFailed : kOk;
        }
        if (!Confirm(plan, "write these")) {
            session_->Leave();
            return kFailed;
        }
        Backup(*device);
        const size_t failed = WriteAndReport(plan);
        Say(std::to_string(plan.size() - failed) + " written and verified, " +
            std::to_string(failed) + " failed" +
            (invalid_ ? ", " + std::to_string(invalid_) + " invalid and not sent" : ""));
        session_->Leave();
        return failed == 0 && invalid_ == 0 ? kOk : kFailed;
    }

    // Shows the plan and asks (unless --yes); false when the user says no.
    bool Confirm(const std::vector<PlanRow>& plan, const char* what) {
        if (options_.yes)
            return true;
        for (const PlanRow& row : plan)
            std::fprintf(stderr, "  %s: %s -> %s\n", row.label.c_str(), row.deviceValue.c_str(),
                         row.newValue.c_str());
        std::fprintf(stderr, "dtucfg: %s %zu value(s)? [y/N] ", what, plan.size());
        std::fflush(stderr);
        std::string answer;
        if (std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes"))
            return true;
        Say("nothing was written");
        return false;
    }

    // Sends the plan, verifies it, prints a result line per value; the number that failed.
    size_t WriteAndReport(const std::vector<PlanRow>& plan) {
        std::optional<std::string> after;
        const std::vector<std::string> outcomes = Execute(plan, after);
        size_t failed = 0;
        for (size_t i = 0; i < plan.size(); ++i) {
            failed += outcomes[i] != "verified";
            std::printf("%s\t%s\t%s\t%s\n", plan[i].label.c_str(), plan[i].deviceValue.c_str(),
                        plan[i].newValue.c_str(), outcomes[i].c_str());
        }
        return failed;
    }

    // ---- Snapshots, undo, compare ---------------------------------------------------------

    std::filesystem::path BackupFolder() const {
        return options_.backups.empty()
                   ? std::filesystem::path(ProgramFolder(argv0_)) / "backups"
                   : std::filesystem::path(options_.backups);
    }

    // Keeps the device's configuration as read before a write, and the newest 50 of it.
    void Backup(const std::string& listing) {
        std::error_code error;
        const std::filesystem::path folder = BackupFolder();
        std::filesystem::create_directories(folder, error);
        const std::time_t now = std::time(nullptr);
        const std::string name = SnapshotName(Id(listing), *std::localtime(&now));
        if (!WriteFile((folder / name).string(), ListingToFileBytes(listing))) {
            Say("the configuration could not be kept in " + folder.string() +
                " (undo will not have it)");
            return;
        }
        Say("the configuration before the write is kept as " + (folder / name).string());
        std::vector<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(folder, error))
            names.push_back(file.path().filename().string());
        for (const std::string& old : SnapshotsToPrune(Id(listing), names))
            std::filesystem::remove(folder / old, error);
    }

    int Undo() {
        if (!LoadPages())
            return kBadArguments;
        if (const int failed = Connect(); failed >= 0)
            return failed;
        const std::optional<std::string> device = ReadDevice();
        if (!device)
            return kFailed;
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& file : std::filesystem::directory_iterator(BackupFolder(), error))
            names.push_back(file.path().filename().string());
        const std::vector<std::string> mine = SnapshotsOf(Id(*device), names);
        if (mine.empty()) {
            Say("no snapshot of device " + Id(*device) + " in " + BackupFolder().string());
            session_->Leave();
            return kBadArguments;
        }
        Say("undoing the last write: back to " + mine.front());
        std::string fileListing;
        FileLabels labels;
        bool hasAnchor = false;
        if (const int bad = LoadFile((BackupFolder() / mine.front()).string(), {}, fileListing,
                                     labels, hasAnchor);
            bad >= 0)
            return bad;
        const std::vector<PlanRow> plan = Plan(*device, fileListing, labels, hasAnchor);
        if (plan.empty()) {
            Say("the device already holds that configuration");
            session_->Leave();
            return kOk;
        }
        if (!Confirm(plan, "write back")) {
            session_->Leave();
            return kFailed;
        }
        const size_t failed = WriteAndReport(plan);
        session_->Leave();
        return failed == 0 ? kOk : kFailed;
    }

    // A file against the device, or against another file: the differing parameters.
    int Compare() {
        if (options_.cfg.empty()) {
            Say("compare needs --cfg FILE and --port P or a second --cfg FILE");
            return kBadArguments;
        }
        bool partial = false; // a file without the listing's first label names it not
        auto readListing = [&partial](const std::string& path, std::string& listing) {
            std::string bytes;
            if (!ReadFile(path, bytes)) {
                Say(path + " cannot be read");
                return false;
            }
            if (bytes.find(kListingAnchor) == std::string::npos) {
                bytes = std::string(kListingAnchor) + "\r\r\n" + bytes;
                partial = true;
            }
            if (FileBytesToListing(bytes, listing) != ConfigFileError::None) {
                Say(path + " holds no configuration, or was cut short");
                return false;
            }
            return true;
        };
        std::string first, second;
        if (!readListing(options_.cfg, first))
            return kBadArguments;
        if (!options_.cfg2.empty()) {
            if (!readListing(options_.cfg2, second))
                return kBadArguments;
        } else {
            if (const int failed = Connect(); failed >= 0)
                return failed;
            const std::optional<std::string> device = ReadDevice();
            if (!device)
                return kFailed;
            second = *device;
            session_->Leave();
        }
        std::vector<Difference> differences;
        for (const Difference& d : CompareListings(first, second))
            if (!(partial && d.key == "Access Point Name"))
                differences.push_back(d);
        for (const Difference& d : differences)
            std::printf("%s\t%s\t%s\n", d.label.c_str(), d.first.c_str(), d.second.c_str());
        Say(std::to_string(differences.size()) + " parameter(s) differ; nothing was written");
        return kOk;
    }

    // ---- The production line ------------------------------------------------------------

    int Apply() {
        if (options_.cfg.empty() || options_.units.empty() || options_.report.empty()) {
            Say("apply needs --cfg, --units and --report (see --help)");
            return kBadArguments;
        }
        if (!LoadPages())
            return kBadArguments;
        // Every file is checked before anything is sent.
        std::vector<std::vector<std::string>> table;
        std::string where;
        std::string csv;
        if (!ReadFile(options_.units, csv)) {
            Say(options_.units + " cannot be read");
            return kBadArguments;
        }
        if (!ReadCsv(csv, table, where)) {
            Say(options_.units + ": " + where);
            return kBadArguments;
        }
        if (table.size() < 2) {
            Say(options_.units + ": no unit rows under the header row");
            return kBadArguments;
        }
        const std::vector<std::string>& header = table[0];
        int unitColumn = -1;
        std::vector<std::string> columnLabels(header.size());
        for (size_t c = 0; c < header.size(); ++c) {
            if (header[c] == "unit") {
                unitColumn = static_cast<int>(c);
                continue;
            }
            columnLabels[c] = FindLabel(*pages_, header[c]);
            if (columnLabels[c].empty()) {
                Say(options_.units + ": line 1, column " + std::to_string(c + 1) + " (\"" +
                    header[c] + "\"): no such label");
                return kBadArguments;
            }
        }
        if (unitColumn < 0) {
            Say(options_.units + ": line 1: there is no \"unit\" column naming the units");
            return kBadArguments;
        }
        for (size_t r = 1; r < table.size(); ++r) {
            if (table[r].size() != header.size()) {
                Say(options_.units + ": line " + std::to_string(r + 1) + " has " +
                    std::to_string(table[r].size()) + " columns, the header " +
                    std::to_string(header.size()));
                return kBadArguments;
            }
            // Every value keeps the rule of its parameter, or no unit is begun.
            for (size_t c = 0; c < header.size(); ++c) {
                if (static_cast<int>(c) == unitColumn)
                    continue;
                const RuleBreak why = CheckValue(KeyOfLabel(columnLabels[c]), table[r][c]);
                if (why != RuleBreak::None) {
                    Say(options_.units + ": line " + std::to_string(r + 1) + ", column " +
                        std::to_string(c + 1) + " (\"" + header[c] + "\"): \"" + table[r][c] +
                        "\" is " + RuleBreakText(why, ""));
                    return kBadArguments;
                }
            }
        }
        std::string probe;
        FileLabels labels;
        bool hasAnchor = false;
        if (const int bad = LoadFile(options_.cfg, {}, probe, labels, hasAnchor); bad >= 0)
            return bad;

        // Units already verified (from an earlier run), and the report's header.
        std::string report;
        ReadFile(options_.report, report);
        std::vector<std::vector<std::string>> done;
        ReadCsv(report, done, where);
        auto verifiedBefore = [&](const std::string& unit) {
            for (const auto& row : done)
                if (row.size() >= 7 && row[1] == unit && row[6] == "verified")
                    return true;
            return false;
        };
        if (report.empty())
            AppendReport({"time", "unit", "version", "id_before", "id_after", "written",
                          "outcome", "reason"});

        SerialLineSettings settings;
        settings.port = options_.port;
        settings.baudRate = options_.baud;
        std::string why;
        if (!line_->Open(settings, why)) {
            Say(options_.port + " cannot be opened: " + why);
            return kNoPort;
        }
        if (options_.baudAuto)
            line_->Close(); // each unit's rate is found at its power-up prompt
        int failedUnits = 0;
        for (size_t r = 1; r < table.size(); ++r) {
            const std::string unit = table[r][static_cast<size_t>(unitColumn)];
            if (options_.resume && verifiedBefore(unit)) {
                Say("unit " + unit + ": verified in an earlier run, skipped");
                continue;
            }
            std::vector<std::pair<std::string, std::string>> sets;
            for (size_t c = 0; c < header.size(); ++c)
                if (static_cast<int>(c) != unitColumn)
                    sets.emplace_back(columnLabels[c], table[r][c]);
            if (!ApplyUnit(unit, sets))
                ++failedUnits;
        }
        Say(std::to_string(table.size() - 1) + " unit(s), " + std::to_string(failedUnits) +
            " failed; report in " + options_.report);
        return failedUnits == 0 ? kOk : kFailed;
    }

    // One unit: waits for its power-up prompt, writes the template and its values, verifies,
    // reports. True when every value was verified.
    bool ApplyUnit(const std::string& unit,
                   const std::vector<std::pair<std::string, std::string>>& sets) {
        Say("unit " + unit + ": waiting for the device's power-up prompt (connect and power it)");
        pages_ = std::make_unique<CPageSession>();
        LoadPages();
        std::string why;
        bool prompted = false;
        if (options_.baudAuto) {
            SerialLineSettings settings;
            settings.port = options_.port;
            line_->Close();
            prompted = FindBaudRate(settings) < 0;
        } else {
            line_->DiscardInput();
            session_.emplace(*line_, options_.baud, [](const std::string& text) { Say(text); });
            prompted = session_->AwaitPrompt(options_.waitSeconds * 1000);
        }
        if (!prompted || !session_->EnterSettingMode(0, why)) {
            AppendReport({Now(), unit, "", "", "", "", "failed",
                          why.empty() ? "no power-up prompt" : why});
            return false;
        }
        std::string version;
        Job ver;
        ver.type = JOB_VERSION;
        ver.command = "At+VER\r\n";
        if (const std::optional<std::string> reply = session_->Run(ver, why)) {
            const size_t at = reply->find("Version:");
            if (at != std::string::npos)
                version = Trim(reply->substr(at + 8, reply->find("\r\n", at) - at - 8));
        }
        const std::optional<std::string> device = ReadDevice();
        if (!device) {
            AppendReport({Now(), unit, version, "", "", "", "failed", "the configuration was not read"});
            return false;
        }
        std::string fileListing;
        FileLabels labels;
        bool hasAnchor = false;
        LoadFile(options_.cfg, sets, fileListing, labels, hasAnchor);
        const std::string idBefore = Id(*device);
        invalid_ = 0;
        const std::vector<PlanRow> plan = Plan(*device, fileListing, labels, hasAnchor);
        std::optional<std::string> after = device;
        std::vector<std::string> outcomes;
        if (!plan.empty()) {
            Backup(*device);
            outcomes = Execute(plan, after);
        }
        std::string written, reason;
        bool verified = invalid_ == 0;
        if (invalid_)
            reason = std::to_string(invalid_) + " value(s) of the template break their rules";
        for (size_t i = 0; i < plan.size(); ++i) {
            written += (written.empty() ? "" : ";") + plan[i].label;
            if (outcomes[i] != "verified") {
                verified = false;
                reason += (reason.empty() ? "" : "; ") + plan[i].label + " " + outcomes[i];
            }
        }
        // The unit leaves its setting mode before it is reported done: the next unit may be
        // connected as soon as the report says so.
        session_->Leave();
        AppendReport({Now(), unit, version, idBefore, after ? Id(*after) : "", written,
                      verified ? "verified" : "failed", reason});
        Say("unit " + unit + ": " + (verified ? "verified" : "failed: " + reason));
        return verified;
    }

    // The catalogue key of a label (the list's key for a sensor row's label), or "".
    std::string KeyOfLabel(const std::string& label) {
        for (const auto& [key, entry] : pages_->Store().parameters)
            if (entry.label == label)
                return key;
        for (const auto& [key, list] : pages_->Store().lists)
            for (int i = 0; i < list.count; ++i)
                if (FormatListLabel(list.labelFormat, i) == label)
                    return key;
        return std::string();
    }

    static std::string Trim(std::string text) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
            text.pop_back();
        while (!text.empty() && text.front() == ' ')
            text.erase(0, 1);
        return text;
    }

    static std::string Id(const std::string& listing) { return DeviceIdOf(listing); }

    static std::string Now() {
        const std::time_t now = std::time(nullptr);
        char text[32] = {};
        std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        return text;
    }

    void AppendReport(const std::vector<std::string>& fields) {
        std::string line;
        for (size_t i = 0; i < fields.size(); ++i)
            line += (i ? "," : "") + CsvField(fields[i]);
        std::ofstream out(options_.report, std::ios::binary | std::ios::app);
        out << line << "\r\n";
    }

    // Values the file names and the device does not hold, for which the pages derive no command
    // (a group the device's settings do not use, a value a combo cannot show): said, and listed
    // as "not applied", never sent.
    int invalid_ = 0; // values of the file that break their rule: never sent

    Options options_;
    const char* argv0_;
    std::unique_ptr<ISerialLine> line_ = MakeSerialLine();
    std::optional<CDeviceSession> session_;
    std::unique_ptr<CPageSession> pages_ = std::make_unique<CPageSession>();
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                Say(arg + " needs a value");
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(kOk);
        } else if (arg == "--port") {
            if (!value(options.port))
                return false;
        } else if (arg == "--baud" || arg == "--wait") {
            if (!value(text))
                return false;
            if (arg == "--baud" && text == "auto") {
                options.baudAuto = true;
                continue;
            }
            const int number = std::atoi(text.c_str());
            if (number <= 0 && !(arg == "--wait" && text == "0")) {
                Say(arg + " needs a positive number");
                return false;
            }
            (arg == "--baud" ? options.baud : options.waitSeconds) = number;
        } else if (arg == "--format") {
            if (!value(options.format))
                return false;
        } else if (arg == "--out") {
            if (!value(options.out))
                return false;
        } else if (arg == "--cfg") {
            if (!value(options.cfg.empty() ? options.cfg : options.cfg2))
                return false;
        } else if (arg == "--backups") {
            if (!value(options.backups))
                return false;
        } else if (arg == "--skin") {
            if (!value(options.skin))
                return false;
        } else if (arg == "--set") {
            if (!value(text))
                return false;
            options.sets.push_back(text);
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--units") {
            if (!value(options.units))
                return false;
        } else if (arg == "--report") {
            if (!value(options.report))
                return false;
        } else if (arg == "--resume") {
            options.resume = true;
        } else if (options.command.empty() && arg[0] != '-') {
            options.command = arg;
        } else {
            Say("unknown argument " + arg + " (see --help)");
            return false;
        }
    }
    if (options.command.empty()) {
        std::fputs(kUsage, stderr);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The results are the same bytes on every system: lines end in LF alone.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    if (!ParseOptions(argc, argv, options))
        return kBadArguments;
    return CTool(std::move(options), argv[0]).Run();
}
