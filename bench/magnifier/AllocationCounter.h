#pragma once
// Counts heap allocations (malloc and friends, which operator new and QImage
// both end in) made by the calling thread while counting is switched on.

#include <cstddef>

namespace orv::bench {

struct Allocations {
    std::size_t calls = 0;
    std::size_t bytes = 0;
};

/// What was allocated, split into the screen read and everything else.
struct Tally {
    Allocations other;
    Allocations screenRead;
};

/// Starts counting on this thread from zero.
void StartCounting();
/// Marks the start and end of a screen read: its allocations are tallied apart.
void InScreenRead(bool reading);
/// Stops counting and returns what was allocated since StartCounting.
Tally StopCounting();

}  // namespace orv::bench
