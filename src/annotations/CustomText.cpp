#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Command25_Click() {}
void Form1::szz_Click() {}
void Form1::shuzhi_KeyPress(int) {}

}  // namespace orv
