// The file side of configuration files: the common open and save dialogs (wide, any path;
// paths are UTF-8 in the program), reading a whole file, and writing a file completely or not
// at all.
#pragma once

#include <windows.h>

#include <string>

// Shows the open (save = false) or save dialog and returns the chosen path. language 0 gives
// the English filter texts, any other the Chinese ones. The dialog starts in the folder of
// `lastPath` when there is one (else in Documents), offers the last file's name only when that
// file still exists, and stands centred over its owner. The save dialog lets the user name a new file, asks before
// replacing one and appends ".cfg" to a name typed without an extension. False when cancelled.
bool ChooseConfigFile(HWND owner, bool save, int language, const std::string& lastPath,
                      std::string& path);

// Centres a window (a dialog, a message box) over its owner, inside the owner's monitor.
void CentreOverOwner(HWND window);

// A message box with UTF-8 texts, centred over its owner.
int CentredMessageBox(HWND owner, const std::string& text, const std::string& caption,
                      UINT flags);

// Reads at most maxBytes + 1 bytes of the file (so that a longer file can be told apart).
bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& bytes);

// Writes the bytes to a new file beside `path` and then puts it in place of `path`, so that a
// failed write leaves the file that was there untouched. False when anything failed.
bool WriteFileReplacing(const std::string& path, const std::string& bytes);
