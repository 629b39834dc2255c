#include "annotations/Directions.h"

namespace orv {

bool DirectionCodes(float dx, float dy, float r, int& octant, int& orientation) {
    if (dx == 0 && dy == 0) return false;
    if (dx == 0) {
        // Straight above or below the anchor: vertical, whatever ratio was kept.
        octant = dy > 0 ? 2 : 7;
        orientation = 2;
        return true;
    }
    const bool right = dx > 0;
    if (dy == 0) {
        octant = right ? 1 : 4;
        orientation = 1;
        return true;
    }
    const bool down = dy > 0;
    const bool steep = r > 1;  // a diagonal counts as shallow
    static constexpr int kOctant[2][2][2] = {
        // [right][down][steep]
        {{5, 6}, {4, 3}},  // leftwards: up, down
        {{8, 7}, {1, 2}},  // rightwards: up, down
    };
    octant = kOctant[right][down][steep];
    orientation = steep ? 2 : 1;
    return true;
}

}  // namespace orv
