#include "shell/form3.h"

namespace orv {

// Not built yet: the open routes do nothing for now.
void form3::OpenFromFile() {}
void form3::OpenFromClipboard() {}
void form3::MeasureScreen() {}

}  // namespace orv
