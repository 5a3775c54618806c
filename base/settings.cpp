#include "base/settings.h"

#include "base/decimal.h"
#include "base/text.h"

#include <windows.h>

namespace {
int g_languageIndex = 0;
std::string g_skinFolder;
std::string g_messageTextFile;
std::string g_configFile;
} // namespace

void LoadStartupSettings(const std::string& programFolder) {
    const std::string configFile = programFolder + "config.ini";
    g_configFile = configFile;
    char language[20] = {};
    GetPrivateProfileStringA("Set", "Language", "", language, sizeof(language),
                             configFile.c_str());
    language[sizeof(language) - 1] = '\0';

    g_languageIndex = ParseDecimal(language);
    g_skinFolder = programFolder + (g_languageIndex != 0 ? "skin\\ConifgRes" : "skin\\ConifgENRes");
    g_messageTextFile = g_skinFolder + "\\Language.ini";
}

int GetLanguageIndex() { return g_languageIndex; }

const std::string& GetConfigFile() { return g_configFile; }

namespace {

std::string ConfigText(const char* key) {
    char text[260] = {};
    if (!g_configFile.empty())
        GetPrivateProfileStringA("Port", key, "", text, sizeof(text), g_configFile.c_str());
    text[sizeof(text) - 1] = '\0';
    return text;
}

} // namespace

RememberedPort LoadRememberedPort() {
    RememberedPort port;
    port.name = ConfigText("Name");
    port.baud = ConfigText("Baud");
    port.format = ConfigText("Format");
    port.description = ConfigText("Description");
    return port;
}

bool RememberPort(const RememberedPort& port) {
    if (g_configFile.empty())
        return false;
    const char* file = g_configFile.c_str();
    return WritePrivateProfileStringA("Port", "Name", port.name.c_str(), file) &&
           WritePrivateProfileStringA("Port", "Baud", port.baud.c_str(), file) &&
           WritePrivateProfileStringA("Port", "Format", port.format.c_str(), file) &&
           WritePrivateProfileStringA("Port", "Description", port.description.c_str(), file);
}

const std::string& GetSkinFolder() { return g_skinFolder; }

const std::string& GetMessageTextFile() { return g_messageTextFile; }

std::string LookupText(const char* section, const char* key, const char* suffix) {
    char text[200] = {};
    if (!g_messageTextFile.empty())
        GetPrivateProfileStringA(section, key, "", text, sizeof(text), g_messageTextFile.c_str());
    text[sizeof(text) - 1] = '\0';
    std::string result = text;
    if (suffix)
        result += suffix;
    return result;
}

std::string LookupTextOr(const char* section, const char* key, const char* fallback,
                         const char* suffix) {
    return TextOrFallback(LookupText(section, key, ""), fallback, suffix);
}

std::string GetProgramFolder() {
    const std::string path = GetProgramPath();
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768)
            return std::string();
        path.resize(path.size() * 2); // the name was cut: try again with more room
    }
    return path;
}
