#include "params/parameter_store.h"

void CParameterStore::Build(int sensorRows) {
    BuildParameterCatalogue(parameters, lists, sensorRows);
}

bool CParameterStore::ParseListing(const char* reply, size_t count) {
    return ::ParseListing(reply, count, parameters, lists, presence);
}

void CParameterStore::RecordWrittenValue(const std::string& key, const std::string& value,
                                         EntryKind kind, const std::string& item) {
    ::RecordWrittenValue(parameters, lists, key, value, kind, item);
}
