// The serial ports the system reports, as the port chooser lists them.
#pragma once

#include <string>
#include <vector>

// Where Windows lists the serial ports it has (value data: "COM1", "COM12", ...).
constexpr const char* kSerialPortRegistryKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Reads the port names under HKEY_LOCAL_MACHINE\<registryKey> in the order the system reports
// them; values that are not text or are empty are skipped. False when the key is missing or
// holds no values (names is then left as it was).
bool ListSerialPorts(const std::string& registryKey, std::vector<std::string>& names);
