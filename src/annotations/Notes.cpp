#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::bz_Change(int) {}
void Form1::bz_MouseDown(int, const MouseEvent&) {}
void Form1::bz_MouseMove(int, const MouseEvent&) {}
void Form1::bz_MouseUp(int, const MouseEvent&) {}
void Form1::bzz_Click(int) {}
void Form1::bzz_MouseMove(int, const MouseEvent&) {}
void Form1::Command16_Click() {}
void Form1::Command13_Click() {}
void Form1::Command19_Click() {}
void Form1::Command15_Click() {}
void Form1::Command17_Click() {}

}  // namespace orv
