// The two 3840 × 2160 test pictures of the writer benchmark.
#pragma once

#include <QImage>
#include <functional>

namespace orv::bench {

// A UI-like capture: flat panels, a tool bar, buttons, antialiased text, thin lines and a few
// annotation marks; a few hundred colours.
QImage UiPicture();

// A photo-like picture: smooth gradients with a little noise.
QImage PhotoPicture();

// Number of distinct colours, counting up to `stopAt`.
int CountColours(const QImage& picture, int stopAt);

/// Median wall time of `runs` calls of work, in milliseconds; exits when a call fails.
double MedianMs(const std::function<bool()>& work, int runs);

}  // namespace orv::bench
