// A property of a fuzz target: a violated one stops the run with the input kept as a crash.
#pragma once

#include <cstdlib>

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}
