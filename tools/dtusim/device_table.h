// The settings the simulated device knows, as its firmware lists and sets them: the name of
// each setting, its command word, the label it is printed with in the listing, the kind of value
// it holds ("Edit" text, "Combobox" one of a set of words, "Line" a number or a read-only text)
// and the group of the listing it is printed in. This is the device's side of the dialogue and
// is kept apart from the program's own table, so that the tests that read the simulator through
// the program catch a label or command word the program gets wrong.
#pragma once

#include <vector>

enum DeviceGroup {
    GROUP_WORK_MODE,
    GROUP_SERVER,
    GROUP_SERIAL,
    GROUP_IO,
    GROUP_WIRELESS,
    GROUP_GLOBAL,
    GROUP_EQUIPMENT,
    GROUP_LORA,
    GROUP_ZIGBEE,
    GROUP_GPS,
    GROUP_MODBUS,
    GROUP_OPERATION,
    GROUP_NONE = 100, // listed with the LoRa group, on no page of its own
};

struct DeviceSetting {
    const char* name;
    const char* command; // "" when the setting is read-only
    const char* label;   // "" when the setting is never listed
    const char* kind;
    int group;
};

const std::vector<DeviceSetting>& DeviceSettings();
