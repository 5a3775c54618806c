// The system's open and save dialogs. Their library is loaded the first time one is asked for:
// it brings much of the shell with it, which the program's start need not wait for.
#pragma once

#include <windows.h>

#include <commdlg.h>

// Runs the open (or save) dialog described by `dialog`; false when the user cancelled it or
// the dialog library could not be loaded.
bool RunFileDialog(OPENFILENAMEW& dialog, bool save);
