// dtucfg's command line: the options of every command, read once, and the texts of --help.
#pragma once

#include "shell/port_link.h"

#include <string>
#include <vector>


struct Options {
    std::string command;
    std::vector<std::string> ports; // --port (repeatable) and --ports A,B,C
    int baud = 115200;
    bool baudAuto = false;
    std::string format = "8N1";
    int waitSeconds = -1; // -1: not given (each command has its own default)
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
    std::string match;    // apply: the label matching a unit to its row
    int stopAfter = 0;    // apply: end after this many units (0: when the rows run out)
    std::string operatorName;
    bool json = false;         // --format json: one JSON object per line on stdout
    bool check = false;        // --check: a dry run, nothing sent
    bool detailedExit = false; // --detailed-exitcode
    bool cfgFromSets = false;  // the values are the --set ones only (no --cfg file)
};

// The exit codes with --detailed-exitcode.
enum DetailedExit {
    kNothingToChange = 0,
    kDetailedFailed = 1,
    kChanged = 2, // changed and verified, or (a dry run) would change
    kDetailedNoPort = 3,
    kDetailedBadArguments = 4,
};

// Reads the arguments; false (having said why) when they are not understood. --help and
// --version print and exit.
bool ParseOptions(int argc, char** argv, Options& options);

// The version of the program.
const char* DtucfgVersion();
