#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Timer3_Timer() {}
void Form1::fd_MouseMove(const MouseEvent&) {}

}  // namespace orv
