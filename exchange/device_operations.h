// The device operations behind the operation buttons, as the jobs they queue. Portable.
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
// "Save to file": the device's listing, to be written to the chosen file.
Job SaveFileJob();
// "Load from file": the device's listing, against which the file's values are compared.
Job LoadFileJob();
// A set command: a JOB_WRITE of "<command>=<text>" CR LF that records `value` under `key`
// when the device answers "OK".
Job SetValueJob(const std::string& command, const std::string& text, const std::string& key,
                const std::string& value);
