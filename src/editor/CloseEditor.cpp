#include "editor/Form1.h"
#include "shell/App.h"

namespace orv {

void Form1::Image3_Click() {
    app.UnloadEditor();
}

}  // namespace orv
