#include "shell/device_operations.h"

#include <cstdio>

namespace {

struct OperationRow {
    const char* name;
    JobType type;
    const char* command;
};

const OperationRow kOperations[] = {
    {"Load", JOB_LOAD, "AT+SHOW\r\n"},
    {"RestoreFactory", JOB_FACTORY, "AT+FACTORY\r\n"},
    {"READFILELOG", JOB_READ_LOG, "at+READFILELOG\r\n"},
    {"CPIN", JOB_SIM_PIN, "At+CPIN?\r\n"},
    {"CSQ", JOB_SIGNAL, "At+CSQ\r\n"},
    {"GetVer", JOB_VERSION, "At+VER\r\n"},
    {"quit", JOB_QUIT, "at+quit\r\n"},
};

Job MakeJob(JobType type, const std::string& command) {
    Job job;
    job.type = type;
    job.command = command;
    return job;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool OperationJob(const std::string& name, Job& job) {
    for (const OperationRow& row : kOperations) {
        if (name == row.name) {
            job = MakeJob(row.type, row.command);
            return true;
        }
    }
    if (name.find("AT+") != std::string::npos) {
        job = MakeJob(JOB_COMMAND, name + "\r\n");
        return true;
    }
    return false;
}

std::string ClockText(const std::tm& local) {
    char text[72]; // 19 characters for every four-digit year
    std::snprintf(text, sizeof(text), "%04d/%02d/%02d,%02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

Job SetTimeJob(const std::tm& local) {
    return MakeJob(JOB_WRITE, "AT+EXCCLK=\"" + ClockText(local) + "\",5\r\n");
}

Job NetModeJob() {
    return MakeJob(JOB_NET_MODE, "AT+FINDNETMODE\r\n");
}

bool ReadPositiveNumber(const std::string& text, int& value) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    long long number = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
        number = number * 10 + (text[at] - '0');
        if (number > 0x7FFFFFFF)
            return false;
    }
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (digits == 0 || at != text.size() || number <= 0)
        return false;
    value = static_cast<int>(number);
    return true;
}

LineSettingsError ReadLineSettings(const std::string& portText, const std::string& baudText,
                                   const std::string& codeText, LineSettings& settings) {
    LineSettings read;
    if (portText.size() <= 3 || !ReadPositiveNumber(portText.substr(3), read.portNumber))
        return LineSettingsError::BadPort;
    if (!ReadPositiveNumber(baudText, read.baudRate))
        return LineSettingsError::BadBaud;
    // Each missing character of the code keeps its part of 8N1.
    if (codeText.size() > 0)
        read.dataBits = codeText[0] - '0';
    if (codeText.size() > 1)
        read.parity = codeText[1];
    if (codeText.size() > 2)
        read.stopBits = codeText[2] - '0';
    settings = read;
    return LineSettingsError::None;
}
