#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Command5_Click() {}
void Form1::CutdSave() {}

}  // namespace orv
