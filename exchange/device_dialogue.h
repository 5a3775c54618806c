// The dialogue with one device in its setting mode, as the write flow needs it: one job at a
// time, each answered or failed with its reason. CDeviceSession plays it over a serial line;
// tests play it in memory.
#pragma once

#include "exchange/job.h"

#include <optional>
#include <string>

class IDeviceDialogue {
public:
    virtual ~IDeviceDialogue() = default;
    // Runs one job; its completed reply, or nothing with the reason.
    virtual std::optional<std::string> Run(const Job& job, std::string& why) = 0;
    // Reads the device's configuration listing ("AT+SHOW") as a job of `type` (JOB_LOAD, or
    // JOB_VERIFY after a write); the listing, or nothing with the reason.
    virtual std::optional<std::string> ReadListing(std::string& why, JobType type = JOB_LOAD) = 0;
    // Makes sure that the line is open and the device still in its setting mode (a device left
    // waiting may have timed out of it): enters it again when it left. False with the reason
    // when it cannot; then nothing may be sent, or the running device would forward it.
    virtual bool EnsureSettingMode(std::string& why) = 0;
};
