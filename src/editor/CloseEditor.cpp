#include "editor/Form1.h"
#include "imaging/psd/cpsd.h"

namespace orv {

void Form1::Image3_Click() {
    if (!MayDiscardWork()) return;
    host.UnloadEditor();
    // The reader object stays for the next editor; only the picture it holds is released.
    if (vars.psdReader) vars.psdReader->FreePsd();
}

}  // namespace orv
