// The production line's report: one row per unit, appended whole from every port.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

// The report: checked before the first unit, appended a whole row at a time from any thread.
class CReport {
public:
    static const std::vector<std::string>& Header();
    explicit CReport(std::string path) : path_(std::move(path)) {}
    // Checks that the report can be written, reads the units an earlier run verified (for
    // --resume; a report that cannot be read stops the run, naming its line) and writes the
    // header to a new report. False with the reason.
    bool Open(std::set<std::string>& verifiedBefore, std::string& why);
    // Appends one row (cells in Header() order); false with the reason when it could not.
    bool Append(const std::vector<std::string>& cells, std::string& why);

private:
    std::string path_;
    std::mutex lock_;
};
