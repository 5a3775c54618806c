#include "base/settings.h"

#include <algorithm>

#include "base/decimal.h"
#include "base/ini_text.h"
#include "base/text.h"
#include "base/wide.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <mutex>

namespace {
int g_languageIndex = 0;
std::string g_skinFolder;
std::string g_messageTextFile;
std::string g_configFile;
bool g_portable = true;
std::string g_dataFolder, g_localDataFolder;

// The user's known folder (roaming or local application data), with the program's name.
std::string UserFolder(REFKNOWNFOLDERID which) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(which, KF_FLAG_CREATE, nullptr, &path)) && path)
        folder = Utf8Of(std::wstring(path)) + "\\DtuConfig\\";
    CoTaskMemFree(path);
    if (!folder.empty())
        CreateDirectoryW(WideOf(folder).c_str(), nullptr);
    return folder;
}

} // namespace

bool IsPortable() { return g_portable; }
std::string GetDataFolder() { return g_dataFolder; }
std::string GetLocalDataFolder() { return g_localDataFolder; }

void LoadStartupSettings(const std::string& programFolder) {
    g_portable = GetFileAttributesW(WideOf(programFolder + "portable.ini").c_str()) !=
                 INVALID_FILE_ATTRIBUTES;
    g_dataFolder = g_localDataFolder = programFolder;
    if (!g_portable) {
        const std::string roaming = UserFolder(FOLDERID_RoamingAppData);
        const std::string local = UserFolder(FOLDERID_LocalAppData);
        if (!roaming.empty())
            g_dataFolder = roaming;
        if (!local.empty())
            g_localDataFolder = local;
    }
    const std::string configFile = g_dataFolder + "config.ini";
    // The first start of an installed program takes the shipped settings as its defaults.
    if (!g_portable)
        CopyFileW(WideOf(programFolder + "config.ini").c_str(), WideOf(configFile).c_str(), TRUE);
    g_configFile = configFile;
    wchar_t language[20] = {};
    GetPrivateProfileStringW(L"Set", L"Language", L"", language, 20, WideOf(configFile).c_str());
    language[19] = L'\0';

    g_languageIndex = ParseDecimal(Utf8Of(language));
    g_skinFolder = programFolder + (g_languageIndex != 0 ? "skin\\ConifgRes" : "skin\\ConifgENRes");
    g_messageTextFile = g_skinFolder + "\\Language.ini";
}

int GetLanguageIndex() { return g_languageIndex; }

const std::string& GetConfigFile() { return g_configFile; }

namespace {

std::string ConfigText(const char* key) {
    wchar_t text[1024] = {};
    if (!g_configFile.empty())
        GetPrivateProfileStringW(L"Port", WideOf(key).c_str(), L"", text, 1024,
                                 WideOf(g_configFile).c_str());
    text[1023] = L'\0';
    return Utf8Of(text);
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
    const std::wstring file = WideOf(g_configFile);
    auto write = [&](const wchar_t* key, const std::string& value) {
        return WritePrivateProfileStringW(L"Port", key, WideOf(value).c_str(), file.c_str()) != 0;
    };
    return write(L"Name", port.name) && write(L"Baud", port.baud) &&
           write(L"Format", port.format) && write(L"Description", port.description);
}

std::vector<std::string> LoadNetworkPorts() {
    std::vector<std::string> ports;
    const std::string list = ConfigText("Network");
    size_t at = 0;
    while (at < list.size()) {
        const size_t end = std::min(list.find(' ', at), list.size());
        if (end > at)
            ports.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return ports;
}

bool RememberNetworkPort(const std::string& port) {
    if (g_configFile.empty() || port.empty() || port.find(' ') != std::string::npos)
        return false;
    std::vector<std::string> ports = LoadNetworkPorts();
    ports.erase(std::remove(ports.begin(), ports.end(), port), ports.end());
    ports.insert(ports.begin(), port);
    if (ports.size() > 8)
        ports.resize(8);
    std::string list;
    for (const std::string& known : ports)
        list += (list.empty() ? "" : " ") + known;
    return WritePrivateProfileStringW(L"Port", L"Network", WideOf(list).c_str(),
                                      WideOf(g_configFile).c_str()) != 0;
}

bool LoadLogTimeStamps() {
    if (g_configFile.empty())
        return false;
    return GetPrivateProfileIntW(L"Log", L"TimeStamps", 0, WideOf(g_configFile).c_str()) != 0;
}

bool RememberLogTimeStamps(bool on) {
    if (g_configFile.empty())
        return false;
    return WritePrivateProfileStringW(L"Log", L"TimeStamps", on ? L"1" : L"0",
                                      WideOf(g_configFile).c_str()) != 0;
}

const std::string& GetSkinFolder() { return g_skinFolder; }

const std::string& GetMessageTextFile() { return g_messageTextFile; }

namespace {

// Language.ini's bytes, read again only when the file changed (its time or size).
bool MessageTextBytes(std::string& bytes) {
    static std::mutex lock;
    static std::string cachedPath, cachedBytes;
    static FILETIME cachedTime = {};
    static ULONGLONG cachedSize = ~0ull;
    std::lock_guard<std::mutex> guard(lock);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (g_messageTextFile.empty() ||
        !GetFileAttributesExW(WideOf(g_messageTextFile).c_str(), GetFileExInfoStandard, &data))
        return false;
    const ULONGLONG size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (cachedPath != g_messageTextFile || size != cachedSize ||
        CompareFileTime(&data.ftLastWriteTime, &cachedTime) != 0) {
        if (!ReadWholeFile(g_messageTextFile, cachedBytes))
            return false;
        // The encoding is the file's, decided once for the whole file: UTF-8 as it is, anything
        // else as the Chinese skin writes it (GBK, code page 936). Deciding it value by value
        // would take a short GBK text that happens to be valid UTF-8 for UTF-8.
        cachedBytes = WithoutBom(cachedBytes);
        if (!IsUtf8(cachedBytes))
            cachedBytes = CodePageToUtf8(cachedBytes, 936);
        cachedPath = g_messageTextFile;
        cachedTime = data.ftLastWriteTime;
        cachedSize = size;
    }
    bytes = cachedBytes;
    return true;
}

} // namespace

std::string LookupText(const char* section, const char* key, const char* suffix) {
    // The file's text, decoded whatever the system's code page; a long value is cut after 199
    // characters, never inside one.
    std::string result;
    std::string text;
    if (MessageTextBytes(text) && FindIniValue(text, section, key, result))
        result = Utf8Prefix(result, 199);
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
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
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
    return Utf8Of(path);
}
