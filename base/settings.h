// The program's settings files: config.ini beside the executable, and the message texts of the
// chosen skin's Language.ini.
#pragma once

#include <string>
#include <vector>

// Reads "Set"/"Language" from programFolder + "config.ini" and fixes, for the life of the
// process, the language index, the skin folder and the message text file. programFolder ends
// in a backslash.
void LoadStartupSettings(const std::string& programFolder);

int GetLanguageIndex();
// The config.ini that LoadStartupSettings read.
const std::string& GetConfigFile();

// The port, baud rate and format of the last port opened, as config.ini remembers them
// (section "Port"), with the system's name of the adapter it was; empty texts when none.
struct RememberedPort {
    std::string name;        // "COM5"
    std::string baud;        // "115200"
    std::string format;      // "8N1"
    std::string description; // "USB Serial Port": an adapter that comes back under another name
};
RememberedPort LoadRememberedPort();
// False when config.ini could not be written.
bool RememberPort(const RememberedPort& port);
// The network ports ("tcp://host:port", "rfc2217://host:port") used before, newest first
// ("Port"/"Network", separated by blanks), offered beside the system's ports.
std::vector<std::string> LoadNetworkPorts();
// Puts a network port first in that list (at most 8 kept). False when config.ini could not be
// written.
bool RememberNetworkPort(const std::string& port);
// Whether the operation log starts its lines with the time ("Log"/"TimeStamps"); false when
// never chosen. False from RememberLogTimeStamps when config.ini could not be written.
bool LoadLogTimeStamps();
bool RememberLogTimeStamps(bool on);
const std::string& GetSkinFolder();      // "...\skin\ConifgENRes" or "...\skin\ConifgRes"
const std::string& GetMessageTextFile(); // GetSkinFolder() + "\Language.ini"

// The text of key in section of Language.ini (at most 199 characters; empty when the file,
// section or key is missing) followed by suffix. Reads the file on every call; any thread.
std::string LookupText(const char* section, const char* key, const char* suffix = "");
// LookupText, or the built-in fallback text when the skin lacks the key; then suffix.
std::string LookupTextOr(const char* section, const char* key, const char* fallback,
                         const char* suffix = "");

// Where the user's data goes, each ending in a backslash. A program folder holding
// "portable.ini" (the unpacked folder, the portable zip) keeps everything beside the program;
// an installed program keeps its settings (config.ini) in %APPDATA%\DtuConfig\ and its
// snapshots and crash reports in %LOCALAPPDATA%\DtuConfig\, and never writes into its own
// folder. Decided by LoadStartupSettings.
bool IsPortable();
std::string GetDataFolder();
std::string GetLocalDataFolder();

// The folder of the running executable, up to and including its last backslash.
std::string GetProgramFolder();
// The full file name of the running executable, however long.
std::string GetProgramPath();
