// The system's own text for a Win32 error code, for log lines and messages.
#pragma once

#include <string>

// The text without its trailing line end; "(<code>)" when the system has none.
std::string SystemMessage(unsigned long error);
