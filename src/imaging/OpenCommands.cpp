#include "editor/Form1.h"

namespace orv {

// Not built yet: these handlers do nothing for now.
void Form1::Command14_Click() {}
void Form1::Command22_Click() {}
void Form1::Command66_Click() {}
void Form1::OpenDroppedFile(const QString&) {}

}  // namespace orv
