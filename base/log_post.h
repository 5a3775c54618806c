// Handing texts to the operation log from any thread.
#pragma once

#include <windows.h>

#include <string>

// The window that receives WM_LOG_TEXT (the main window); set when it is created and cleared
// when it goes away. Texts posted while there is none are dropped.
void SetLogWindow(HWND window);
HWND GetLogWindow();

// Copies text into a zero-filled buffer of its length + 1 bytes and posts WM_LOG_TEXT (buffer,
// length) to the log window, which owns the buffer from then on and frees it with
// FreeLogText. A buffer that cannot be allocated or posted is not leaked: nothing is posted.
void PostLogText(const std::string& text);

// Frees the buffer that came with a WM_LOG_TEXT message.
void FreeLogText(WPARAM buffer);
