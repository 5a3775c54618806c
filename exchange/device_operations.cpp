#include "exchange/device_operations.h"

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

Job SaveFileJob() {
    return MakeJob(JOB_SAVE_FILE, "\r\nAT+SHOW\r\n");
}

Job LoadFileJob() {
    return MakeJob(JOB_LOAD_FILE, "\r\nAT+SHOW\r\n");
}

Job SetValueJob(const std::string& command, const std::string& text, const std::string& key,
                const std::string& value) {
    Job job = MakeJob(JOB_WRITE, command + "=" + text + "\r\n");
    job.key = key;
    job.value = value;
    return job;
}
