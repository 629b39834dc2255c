#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::colormenu_Click(int) {}
void Form1::SetTemplateColours(Colour) {}
void Form1::Command9_Click() {}
void Form1::Command18_Click() {}
void Form1::Command20_Click() {}
void Form1::delline_Click() {}
void Form1::Command21_Click() {}
void Form1::coltm_Click() {}
void Form1::delzbb_Click() {}

}  // namespace orv
