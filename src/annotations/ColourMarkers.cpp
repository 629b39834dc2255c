#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::co_MouseDown(int, const MouseEvent&) {}
void Form1::co_MouseMove(int, const MouseEvent&) {}
void Form1::co_MouseUp(int, const MouseEvent&) {}
void Form1::Command10_Click() {}
void Form1::Command11_Click() {}

}  // namespace orv
