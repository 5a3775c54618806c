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

// "<id>_<YYYYMMDD>-<HHMMSS>.cfg": the ID with every character that a file name cannot hold
// replaced by "_" ("unknown" for an empty ID). Names of one device sort by time.
std::string SnapshotName(const std::string& deviceId, const std::tm& local);

// The snapshots of the device among file names, newest first.
std::vector<std::string> SnapshotsOf(const std::string& deviceId,
                                     const std::vector<std::string>& names);
// The files to delete so that the newest `keep` snapshots of the device remain.
std::vector<std::string> SnapshotsToPrune(const std::string& deviceId,
                                          const std::vector<std::string>& names,
                                          size_t keep = kSnapshotsPerDevice);

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
