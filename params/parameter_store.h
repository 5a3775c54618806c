// The catalogues, the tab table and the interface-presence flags as the main window holds them,
// with the lock that serialises the worker thread's value assignments against the window
// thread's passes over the catalogue.
#pragma once

#include "params/listing_parser.h"
#include "params/parameter_catalogue.h"

#include <mutex>

class CParameterStore {
public:
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    TabTable tabs;

    CParameterStore() { InitTabTable(tabs); }

    // Hold the returned guard around a whole pass over the catalogue (showing values, collecting
    // writes, saving a file). Never hold it while sending a window message or waiting for
    // another thread: the worker sends synchronous messages to the window thread.
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(lock_); }
    // The lock if it is free now (owns_lock() tells); for checks from another thread.
    std::unique_lock<std::mutex> TryLock() {
        return std::unique_lock<std::mutex>(lock_, std::try_to_lock);
    }

    // Builds both catalogues under the lock (see BuildParameterCatalogue).
    void Build(int sensorRows);
    // ParseListing under the lock.
    bool ParseListing(const char* reply, size_t count);
    // RecordWrittenValue under the lock (the worker, after "OK\r\n" to a write job).
    void RecordWrittenValue(const std::string& key, const std::string& value,
                            EntryKind kind, const std::string& item);

private:
    std::mutex lock_;
};
