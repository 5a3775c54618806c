// How the program talks to a device, whichever program does it (the window or dtucfg): the
// least time between two commands, how often the power-up prompt is answered, how long a
// running device is given to answer "+++", how much longer every wait is at slow baud rates,
// and the order in which baud rates are tried while listening for the power-up prompt.
#pragma once

#include <vector>

// The least time between two commands sent to the device.
constexpr unsigned kCommandSpacingMs = 200;
// "s" is sent this often while the device's power-up prompt stands.
constexpr unsigned kPromptAnswerMs = 300;
// A running device's wait for "enter setting!" after "+++" (times the baud rate's factor).
constexpr int kLoginWaitMs = 3000;
// The longest the device takes to list its commands after the prompt was answered.
constexpr int kSettingEntryMs = 5000;
// How long one baud rate is listened to for the power-up prompt before the next is tried.
constexpr unsigned kAutoBaudSliceMs = 700;
// How long a command waiting for a unit listens for its power-up prompt, at least, when the
// user gave no wait: a unit may take that long to be connected and powered.
constexpr int kUnitPowerUpMs = 30000;

// Every wait for an answer is this many times longer at the baud rate: 9600 / rate, at least 1.
int TimeoutFactorForBaud(int baudRate);

// The rates tried while listening for the prompt: the one used last (when known, > 0), 115200,
// 9600, then the other rates offered in their order, each once.
std::vector<int> AutoBaudOrder(int remembered, const std::vector<int>& offered);
// The rates a serial port offers, as the program lists them.
const std::vector<int>& StandardBaudRates();
