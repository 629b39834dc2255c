#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::getwebrgb(float, float) {}
void Form1::towebrgb_Click() {}
void Form1::torgb_Click() {}

}  // namespace orv
