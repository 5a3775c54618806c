// Which parameters each group and row of the pages holds: showing or hiding a layout through
// CConfigPages::SetLayoutVisible sets their in-use flags (the write path skips parameters out
// of use).
#pragma once

#include <map>
#include <string>
#include <vector>

// Layout name -> the parameters of the rows that only set in-use flags.
using LayoutTable = std::map<std::string, std::vector<std::string>>;
const LayoutTable& PlainLayouts();

// The parameters an I/O channel's group box (1 to 5) takes out of use when hidden.
std::vector<std::string> ChannelKeys(int channel);
// The channel whose group box ("IO#GroupBox") the name is, or 0.
int ChannelOfGroupBox(const std::string& name);
// The rule that follows an I/O channel's group box and rows, or -1.
int ChannelRule(int channel);
