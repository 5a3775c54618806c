// The page-tab strip: twelve tab places in a row of fixed width W, each shown only when its
// tab is enabled. A step right hides enabled places from the left until the next one fits; a
// step left shows one more place on the left. Portable: the main window reads the places'
// state from its controls, runs a step here and applies the visibility back.
#pragma once

#include "params/parameter_catalogue.h"

#include <array>

struct TabPlace {
    bool exists = false;  // the skin has the place's control
    bool enabled = false; // the tab record's enabled flag
    bool visible = false; // the control is visible
    int width = 0;        // the control's fixed width
};
using TabPlaces = std::array<TabPlace, kTabCount>;

// Direction 0: every existing place is shown exactly when its tab is enabled. Returns the
// first enabled tab whose place exists (the page to select), or -1.
int LayOutTabStrip(TabPlaces& places);
// Direction 2: one step right within the strip width.
void StepTabStripRight(TabPlaces& places, int stripWidth);
// Direction 1: one step left.
void StepTabStripLeft(TabPlaces& places);
// Whether the enabled tabs need more room than the strip has (the arrows are shown then).
bool TabStripOverflows(const TabPlaces& places, int stripWidth);
