// Arbitrary device IDs for the snapshot names, and arbitrary listings for the verification: a
// name is a single file name the systems take, found again for its own ID only; verifying never
// crashes and never calls a row verified whose value the listing does not hold.
#include "fuzz_check.h"
#include "pages/write_plan.h"
#include "params/snapshots.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t cut = bytes.find('\n');
    const std::string id = bytes.substr(0, cut == std::string::npos ? bytes.size() : cut);
    std::tm when = {};
    when.tm_year = 126;
    when.tm_mday = 1;
    const std::string name = SnapshotName(id, when, 1 + static_cast<int>(size % 3));
    Check(name.size() < 130);
    Check(name.find_first_of("/\\:*?\"<>|_") == name.rfind('_'));
    for (unsigned char c : name)
        Check(c >= 0x20 && c < 0x7F);
    const std::vector<std::string> found = SnapshotsOf(id, {name, "other_20260101-000000.cfg"});
    Check(found.size() == 1 + (SnapshotIdPart(id) == "other") && found.front() == name);

    const std::string listing = cut == std::string::npos ? std::string() : bytes.substr(cut + 1);
    std::vector<PlanRow> rows(2);
    rows[0].job.key = "Server's Port";
    rows[0].newValue = id.substr(0, 8);
    rows[0].outcome = PlanOutcome::Written;
    rows[1].job.key = "CustomList";
    rows[1].job.kind = EntryKind::List;
    rows[1].job.item = "GENSENSORINFO 1:";
    rows[1].newValue = "";
    rows[1].outcome = PlanOutcome::NotAnswered;
    VerifyPlan(rows, listing);
    if (rows[1].outcome == PlanOutcome::Verified)
        Check(listing.find("GENSENSORINFO 1:") != std::string::npos);
    if (rows[0].outcome == PlanOutcome::Verified)
        Check(listing.find("Server's Port:") != std::string::npos);
    return 0;
}
