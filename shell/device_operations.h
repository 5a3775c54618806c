// The device operations behind the operation buttons, as the jobs they queue, and the line
// settings of the connection bar as the port opening reads them. Portable.
#pragma once

#include "exchange/job.h"

#include <ctime>
#include <string>

// The job a button queues, by the button's name: "Load", "RestoreFactory", "READFILELOG",
// "CPIN", "CSQ", "GetVer", "quit", or any name containing "AT+" (sent whole, followed by
// CR LF). False for every other name ("SetTime" needs the clock: SetTimeJob).
bool OperationJob(const std::string& name, Job& job);

// The device clock text "YYYY/MM/DD,hh:mm:ss" of a local time.
std::string ClockText(const std::tm& local);
// "SetTime": a JOB_WRITE with AT+EXCCLK="<clock text>",5 CR LF.
Job SetTimeJob(const std::tm& local);
// "FINDNETMODE" receiving the focus in setting mode.
Job NetModeJob();

// The line settings chosen in the connection bar.
struct LineSettings {
    int portNumber = 0;
    int baudRate = 0;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};

// Why a connection bar's texts cannot open a port.
enum class LineSettingsError {
    None,
    BadPort, // the port text is not "COM" followed by a positive number
    BadBaud, // the baud rate text is not a positive number
};

// Reads the port chooser's text (the number after its first three characters), the baud rate
// text and the line code ("8N1": data bits, parity letter, stop bits; an empty code is 8N1).
LineSettingsError ReadLineSettings(const std::string& portText, const std::string& baudText,
                                   const std::string& codeText, LineSettings& settings);

// A whole positive decimal number (blanks around it allowed) up to 2^31 - 1; false otherwise.
bool ReadPositiveNumber(const std::string& text, int& value);
