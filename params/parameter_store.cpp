#include "params/parameter_store.h"

void CParameterStore::Build(int sensorRows) {
    std::lock_guard<std::mutex> hold(lock_);
    BuildParameterCatalogue(parameters, lists, sensorRows);
}

bool CParameterStore::ParseListing(const char* reply, size_t count) {
    std::lock_guard<std::mutex> hold(lock_);
    return ::ParseListing(reply, count, parameters, lists, presence);
}

void CParameterStore::RecordWrittenValue(const std::string& key, const std::string& value,
                                         EntryKind kind, const std::string& item) {
    std::lock_guard<std::mutex> hold(lock_);
    ::RecordWrittenValue(parameters, lists, key, value, kind, item);
}
