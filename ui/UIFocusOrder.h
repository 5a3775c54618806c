// The keyboard: the focus order among a window's focusable controls, given in the order the
// control tree holds them (reading order: the skins are written top to bottom, left to right).
// A control may ask for its place with a "tabindex" attribute, as in HTML: those with a
// positive index come first, by index (ties in tree order), then every other control in tree
// order. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The positions (into `tabIndexes`, one per focusable control in tree order) in focus order.
std::vector<size_t> FocusOrder(const std::vector<int>& tabIndexes);

// The control after (or, backwards, before) `current` in focus order, wrapping around; `current`
// may be npos (nothing focused: the first, or backwards the last). npos when there is none.
size_t NextInFocusOrder(const std::vector<int>& tabIndexes, size_t current, bool forward);

// A button's text with its Alt+letter marked for drawing with the system's prefix underline:
// the first occurrence of the letter (in any case), or "(letter)" after a text without it; a
// plain "&" is doubled.
std::string MnemonicText(const std::string& text, char letter);
