// Undoing a write and comparing configurations: the device's listing as read before a write is
// kept as a snapshot .cfg file (the "Save to file" byte format) named by the device's ID and the
// time; the newest ones per device are kept. Comparing two listings names the parameters whose
// values differ, leaving out those that change by themselves.
#pragma once

#include "params/parameter_catalogue.h"

#include <ctime>
#include <string>
#include <vector>

// How many snapshots of one device are kept.
constexpr size_t kSnapshotsPerDevice = 50;

// The device's ID as its listing reports it ("" when it reports none).
std::string DeviceIdOf(const std::string& listing);

// "<id>_<YYYYMMDD>-<HHMMSS>.cfg" (with "-<n>" before ".cfg" for the n-th of one second): the ID
// with every character other than a letter, a digit, "." and "-" written as "%XX", "~" for an
// empty ID, and an ID too long for a file name shortened with a hash of the whole; so that two
// IDs never share a name. Only names of exactly this form are the program's own snapshots.
std::string SnapshotName(const std::string& deviceId, const std::tm& local, int sequence = 1);
// When a snapshot was kept, from its name: "2026-12-10 19:19:59"; "" for a name of another form.
std::string SnapshotTimeText(const std::string& name);
// The ID as it stands in a snapshot's name.
std::string SnapshotIdPart(const std::string& deviceId);

// The snapshots of the device among file names, newest first (other files are left out).
std::vector<std::string> SnapshotsOf(const std::string& deviceId,
                                     const std::vector<std::string>& names);
// The files to delete so that the newest `keep` snapshots of the device remain.
std::vector<std::string> SnapshotsToPrune(const std::string& deviceId,
                                          const std::vector<std::string>& names,
                                          size_t keep = kSnapshotsPerDevice);

// The snapshots of a folder: kept before each write (written to a temporary file and renamed,
// so that a cut file never takes the newest name), pruned to the newest of each device, and
// found again for the device whatever ID the write gave it ("snapshots.idx" beside them holds
// the ID each snapshot's write left the device with).
class CSnapshotFolder {
public:
    explicit CSnapshotFolder(std::string folder) : folder_(std::move(folder)) {}
    const std::string& Folder() const { return folder_; }
    // The path of a snapshot's file (UTF-8).
    std::string PathOf(const std::string& name) const;

    // Keeps `listing` (the device as read before a write) at the local time `now`; the file's
    // name, or false with the system's reason. Older snapshots of the device beyond the newest
    // kSnapshotsPerDevice are deleted.
    bool Keep(const std::string& listing, const std::tm& now, std::string& name, std::string& why);
    // Notes that the write after snapshot `name` left the device with ID `idAfter`.
    bool RecordIdAfter(const std::string& name, const std::string& idAfter);

    // The newest complete snapshot of the last write to the device whose ID is now `id` (kept
    // under that ID, or by a write that gave the device that ID), with its listing; `skipped`
    // names newer ones that could not be read or were cut short. False when there is none.
    struct Found {
        std::string name;
        std::string listing;
        std::vector<std::string> skipped;
    };
    bool Latest(const std::string& id, Found& found) const;

private:
    std::vector<std::string> Names() const;
    std::string folder_;
};

// One parameter in which two configurations differ.
struct Difference {
    std::string key;
    std::string label; // as the listing names it, without line end and colon
    std::string first, second;
};
// Whether a parameter's value changes by itself (versions, signal, clock): left out of a
// comparison.
bool IsVolatile(const std::string& key);
// The parameters (and sensor rows) whose values differ between two listings, in key order;
// `onlyNamedByBoth` leaves out the labels one of them does not hold (a partial file).
std::vector<Difference> CompareListings(const std::string& first, const std::string& second,
                                        bool onlyNamedByBoth = true);

// A listing (or any text holding listing lines, such as the operation log) with the values of
// passwords and phone numbers replaced by "***": what goes to support in a diagnostics file.
std::string MaskedListing(const std::string& text);
// Whether a catalogue key holds a secret or a phone number.
bool IsPrivateKey(const std::string& key);
