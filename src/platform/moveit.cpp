#include "platform/moveit.h"

#include <QStringLiteral>

#include "platform/Desktop.h"
#include "platform/Form.h"

namespace orv {

void DragWindow(Desktop& desktop, Form& window) {
    if (window.WindowState == 2) return;
    desktop.ReleaseCapture(window);
    desktop.StartSystemMove(window, QString());
}

void DragMagnifierView(Desktop& desktop, Form& window) {
    if (window.WindowState == 2) return;
    desktop.ReleaseCapture(window);
    desktop.StartSystemMove(window, QStringLiteral("fd"));
}

}  // namespace orv
