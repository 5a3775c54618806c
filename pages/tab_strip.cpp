#include "pages/tab_strip.h"

int LayOutTabStrip(TabPlaces& places) {
    int first = -1;
    for (int i = 0; i < kTabCount; ++i) {
        TabPlace& place = places[i];
        if (!place.exists)
            continue;
        place.visible = place.enabled;
        if (place.enabled && first < 0)
            first = i;
    }
    return first;
}

void StepTabStripRight(TabPlaces& places, int stripWidth) {
    // The first place at which the visible enabled places fill the strip.
    int n = kTabCount - 1;
    int sum = 0;
    for (int i = 0; i < kTabCount; ++i) {
        const TabPlace& place = places[i];
        if (place.exists && place.enabled && place.visible)
            sum += place.width;
        if (sum >= stripWidth) {
            n = i;
            break;
        }
    }
    // From the place after it leftwards: the first place at which the enabled places no
    // longer fit, and every enabled place left of it, is hidden.
    const int start = n + 1 < kTabCount ? n + 1 : kTabCount - 1;
    sum = 0;
    int cut = -1;
    for (int i = start; i >= 0; --i) {
        const TabPlace& place = places[i];
        if (!place.exists || !place.enabled)
            continue;
        sum += place.width;
        if (sum > stripWidth) {
            cut = i;
            break;
        }
    }
    for (int i = cut; i >= 0; --i)
        if (places[i].exists && places[i].enabled)
            places[i].visible = false;
}

void StepTabStripLeft(TabPlaces& places) {
    int first = kTabCount - 1;
    for (int i = 0; i < kTabCount; ++i) {
        if (places[i].exists && places[i].enabled && places[i].visible) {
            first = i;
            break;
        }
    }
    int found = first;
    for (int i = first - 1; i >= 0; --i) {
        if (places[i].exists && places[i].enabled) {
            found = i;
            break;
        }
    }
    if (places[found].exists)
        places[found].visible = true;
}

bool TabStripOverflows(const TabPlaces& places, int stripWidth) {
    int sum = 0;
    for (const TabPlace& place : places)
        if (place.exists && place.enabled)
            sum += place.width;
    return sum > stripWidth;
}
