// The catalogues, the tab table and the interface-presence flags as a window (or one port of
// the production line) holds them. They live on one thread: the device engine reports what the
// device said as data, and its subscriber records it here on its own thread.
#pragma once

#include "params/listing_parser.h"
#include "params/parameter_catalogue.h"

class CParameterStore {
public:
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    TabTable tabs;

    CParameterStore() { InitTabTable(tabs); }

    // Builds both catalogues (see BuildParameterCatalogue).
    void Build(int sensorRows);
    // Reads a listing into the catalogues (see ParseListing).
    bool ParseListing(const char* reply, size_t count);
    // Records a value the device acknowledged ("OK" to a write job).
    void RecordWrittenValue(const std::string& key, const std::string& value,
                            EntryKind kind, const std::string& item);
};
