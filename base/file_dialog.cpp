#include "base/file_dialog.h"
#include "base/com_thread.h"

namespace {

using DialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

struct DialogLibrary {
    DialogFunction open = nullptr;
    DialogFunction save = nullptr;
};

const DialogLibrary& Library() {
    // Loaded once and kept for the life of the process (the dialogs are used on the window's
    // thread only).
    static const DialogLibrary library = [] {
        DialogLibrary found;
        if (HMODULE module = ::LoadLibraryW(L"comdlg32.dll")) {
            found.open = reinterpret_cast<DialogFunction>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GetOpenFileNameW")));
            found.save = reinterpret_cast<DialogFunction>(
                reinterpret_cast<void*>(::GetProcAddress(module, "GetSaveFileNameW")));
        }
        return found;
    }();
    return library;
}

} // namespace

bool RunFileDialog(OPENFILENAMEW& dialog, bool save) {
    // The dialogs need COM on the calling thread.
    ComReadyOnThisThread();
    const DialogFunction run = save ? Library().save : Library().open;
    return run != nullptr && run(&dialog) != FALSE;
}
