#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Picture2_MouseDown(const MouseEvent&) {}
void Form1::Picture2_MouseUp(const MouseEvent&) {}

}  // namespace orv
