#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Timer1_Timer() {}
void Form1::aapx_MouseDown(int, const MouseEvent&) {}
void Form1::aapx_MouseMove(int, const MouseEvent&) {}
void Form1::aapx_MouseUp(int, const MouseEvent&) {}

}  // namespace orv
