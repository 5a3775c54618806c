#include "shell/dtucfg_options.h"

#include "shell/dtucfg_tool.h"

#include <cstdio>
#include <cstdlib>

#ifndef ORVEL_VERSION
#define ORVEL_VERSION "0.0.0"
#endif

namespace {

const char kUsage[] =
    "Usage: dtucfg COMMAND [options]\n"
    "Configures DTU devices over a serial port, from the command line.\n"
    "\n"
    "Commands:\n"
    "  ports                      list the serial ports (name, the system's name, in use)\n"
    "  schema                     the parameters as JSON: label, command, kind, value rule,\n"
    "                             page (for checking templates with standard tools)\n"
    "  read  --port P [--out FILE.cfg]\n"
    "                             enter the setting mode, read the configuration and save it\n"
    "                             in the .cfg format (without --out: only the summary)\n"
    "  diff  --port P --cfg FILE [--set \"Label=value\"]...\n"
    "                             what a write would send: one line per command, nothing sent\n"
    "  write --port P (--cfg FILE | --set \"Label=value\"...) [--yes] [--check]\n"
    "                             write the values in which the device differs from the file\n"
    "                             (only the labels the file holds), then read the device again\n"
    "                             and verify every value; asks first unless --yes\n"
    "  compare --cfg FILE (--port P | --cfg FILE2)\n"
    "                             the parameters in which a file differs from the device (or\n"
    "                             from another file), leaving out what changes by itself:\n"
    "                             label, device value, file value; nothing is written\n"
    "  undo  --port P [--yes]     write back the device's configuration as it was before the\n"
    "                             last write to it (the newest snapshot of that write in\n"
    "                             --backups, whatever ID the write gave the device)\n"
    "  apply --port P [--port P2]... --cfg TEMPLATE --units UNITS.csv --report REPORT.csv\n"
    "        [--match LABEL] [--resume] [--stop-after N]\n"
    "                             the production line: on each port, wait for the next\n"
    "                             device's power-up prompt, write the template plus its row's\n"
    "                             values, verify them, append a row to REPORT.csv; ends when\n"
    "                             the rows run out (or after N units, or on Ctrl+C once the\n"
    "                             units in progress are done)\n"
    "\n"
    "Options:\n"
    "  --port P        the serial port: COM5 on Windows, /dev/ttyUSB0 (or a pty) on Linux;\n"
    "                  apply takes several (--port A --port B, or --ports A,B)\n"
    "  --baud B        baud rate (default 115200), or \"auto\": listen for the device's\n"
    "                  power-up prompt at each rate in turn (115200, 9600, then the others)\n"
    "                  for --wait seconds (default 30), sending nothing while guessing\n"
    "  --format F      data bits, parity, stop bits (default 8N1); or the output's format:\n"
    "                  \"json\" prints one JSON object per line (per command, or per unit of\n"
    "                  apply): command, port, identity, changed, diff, rows with their\n"
    "                  outcomes, outcome, failed, reason, snapshot, seconds\n"
    "  --check         write, apply: a dry run; says what would be sent, sends no set command\n"
    "  --detailed-exitcode\n"
    "                  exit 0 nothing to change, 1 failed, 2 changed and verified (or, in a\n"
    "                  dry run, would change), 3 port or device not available, 4 bad\n"
    "                  arguments or files\n"
    "  --wait S        seconds to wait for the device's power-up prompt before sending +++\n"
    "                  to a running device (default 3); apply waits for each unit without\n"
    "                  limit unless --wait is given\n"
    "  --skin DIR      the English skin folder whose pages decide what is written (default:\n"
    "                  skin/ConifgENRes beside the program)\n"
    "  --set L=V       change the value of label L (as the listing names it, e.g.\n"
    "                  \"Server's Port=9001\") on top of the file; may be repeated\n"
    "  --yes           write without asking\n"
    "  --units FILE    apply: a header row of labels (\"Modem's ID number\", \"Server's Port\")\n"
    "                  and a \"unit\" column naming each unit; one row per unit. Blank rows\n"
    "                  are skipped; an empty cell keeps the template's value (write <empty>\n"
    "                  to give a value that is empty on purpose). \",\" or \";\" separated,\n"
    "                  UTF-8 with or without a byte-order mark\n"
    "  --report FILE   apply: the report, one row per unit (time, unit, version, ID before and\n"
    "                  after, the labels written, the outcome and its reason, the station, the\n"
    "                  port, the operator and the unit's identity)\n"
    "  --resume        apply: skip the units the report already holds as verified\n"
    "  --match LABEL   apply: give each unit the row whose LABEL column equals what the unit\n"
    "                  reports for LABEL before the write (e.g. \"Modem's ID number\"); a unit\n"
    "                  with no row is reported \"unknown unit\" and gets nothing written\n"
    "  --stop-after N  apply: end after N units\n"
    "  --operator NAME apply: the operator's name, in the report\n"
    "  --backups DIR   where write, apply and undo keep the device's configuration as read\n"
    "                  before each write (default on Windows: the window's own, backups\n"
    "                  beside a portable program, else %LOCALAPPDATA%\\DtuConfig\\backups;\n"
    "                  elsewhere $XDG_DATA_HOME/dtucfg/backups); the newest 50 of each\n"
    "                  device are kept\n"
    "  --version       print the version\n"
    "\n"
    "Progress and each command's outcome go to stderr; results go to stdout as tab-separated\n"
    "lines: label, device value, new value, and for write the outcome (verified, refused,\n"
    "not answered, mismatch: the device reports another value, not applied: not in use with\n"
    "the device's other settings, not verified: the device does not list it).\n"
    "\n"
    "--cfg also takes a JSON object of label -> value ({\"Server's Port\": \"9001\"}).\n"
    "Run with the path of a JSON arguments file only, dtucfg is an Ansible module (see the\n"
    "README: port, cfg or values, units, report, command; check and diff mode).\n"
    "\n"
    "Exit codes: 0 everything verified (or nothing to do; compare: no difference); 1 some\n"
    "value failed, was not applied or differs; 2 bad arguments or files; 3 the port is not\n"
    "available or the device did not answer.\n";

std::vector<std::string> SplitPorts(const std::string& text) {
    std::vector<std::string> ports;
    size_t at = 0;
    for (size_t comma; (comma = text.find(',', at)) != std::string::npos; at = comma + 1)
        if (comma > at)
            ports.push_back(text.substr(at, comma - at));
    if (at < text.size())
        ports.push_back(text.substr(at));
    return ports;
}

} // namespace

const char* DtucfgVersion() {
    return ORVEL_VERSION;
}

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
        } else if (arg == "--version") {
            std::printf("dtucfg %s\n", DtucfgVersion());
            std::exit(kOk);
        } else if (arg == "--port" || arg == "--ports") {
            if (!value(text))
                return false;
            for (const std::string& port : SplitPorts(text))
                options.ports.push_back(port);
        } else if (arg == "--baud" || arg == "--wait" || arg == "--stop-after") {
            if (!value(text))
                return false;
            if (arg == "--baud" && text == "auto") {
                options.baudAuto = true;
                continue;
            }
            char* end = nullptr;
            const long number = std::strtol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || number < 0 || number > 100000000 ||
                (number == 0 && arg != "--wait")) {
                Say(arg + " needs a positive number");
                return false;
            }
            (arg == "--baud" ? options.baud
                             : arg == "--wait" ? options.waitSeconds : options.stopAfter) =
                static_cast<int>(number);
        } else if (arg == "--format") {
            // The output's format (json, text) or the line's (8N1 and the like).
            if (!value(text))
                return false;
            if (text == "json" || text == "text")
                options.json = text == "json";
            else
                options.format = text;
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--detailed-exitcode") {
            options.detailedExit = true;
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
        } else if (arg == "--match") {
            if (!value(options.match))
                return false;
        } else if (arg == "--operator") {
            if (!value(options.operatorName))
                return false;
        } else if (arg == "--resume") {
            options.resume = true;
        } else if (options.command.empty() && !arg.empty() && arg[0] != '-') {
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
