#include "shell/config_file_dialogs.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

namespace {

// Filter lists: pairs of description and pattern, each ending in a zero, the list in two.
const char kOpenFilterEnglish[] = "cfg(*.cfg)\0*.cfg\0 All File(*.*)\0*.*\0";
const char kSaveFilterEnglish[] = "cfg(*.cfg)\0*.cfg\0All File(*.*)\0*.*\0";
// "cfg文件(*.cfg)" and "所有文件(*.*)" in the Chinese code page.
const char kFilterChinese[] = "cfg\xCE\xC4\xBC\xFE(*.cfg)\0*.cfg\0"
                              "\xCB\xF9\xD3\xD0\xCE\xC4\xBC\xFE(*.*)\0*.*\0";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

bool ChooseConfigFile(HWND owner, bool save, int language, const std::string& lastPath,
                      std::string& path) {
    char file[MAX_PATH] = "DTU.cfg";
    std::string folder = FolderOf(lastPath);
    if (folder.empty())
        folder = "D:\\Program Files";

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrInitialDir = folder.c_str();
    ofn.nFilterIndex = 0;
    if (language == 0)
        ofn.lpstrFilter = save ? kSaveFilterEnglish : kOpenFilterEnglish;
    else
        ofn.lpstrFilter = kFilterChinese;
    if (save) {
        ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        ofn.lpstrDefExt = "cfg";
    } else {
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    }
    const BOOL chosen = save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    if (!chosen)
        return false;
    path = file;
    return true;
}

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& bytes) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr)
        return false;
    bytes.assign(maxBytes + 1, '\0');
    const size_t got = std::fread(&bytes[0], 1, bytes.size(), in);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    bytes.resize(got);
    return !failed;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".part";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed ||
        !::MoveFileExA(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
