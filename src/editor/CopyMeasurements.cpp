// "Copy measurements": every annotation as a line of text and as JSON on the
// clipboard, from the canvas menu (a right press on the canvas) or Ctrl+Shift+C.

#include <Qt>

#include "annotations/Measurements.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

const Menu& Form1::canvasmenu() {
    static const Menu m{QStringLiteral("canvasmenu"), {{"copymeasure", "Copy measurements", {}}}};
    return m;
}

void Form1::CopyMeasurements_Click() {
    const AnnotationSnapshot now = annotations.Take();
    // Nothing to copy: whatever the clipboard holds stays.
    if (now.Items.empty()) return;
    const PixelScale scale{Screen().TwipsPerPixelX, Screen().TwipsPerPixelY};
    desktop.SetClipboardTextAndJson(MeasurementsText(now, scale), MeasurementsJson(now, scale));
}

void Form1::WireMeasurements() {
    Picture2.MouseDown = [this, inner = std::move(Picture2.MouseDown)](const MouseEvent& e) {
        if (inner) inner(e);
        if (e.Button != 2) return;
        if (RedactionMenuAt(e)) return;  // a redaction's own menu instead
        if (desktop.PopupMenu(canvasmenu()) == QLatin1String("copymeasure"))
            CopyMeasurements_Click();
    };
    Key = [this, inner = std::move(Key)](int key, int shift, bool down) {
        if (down && key == Qt::Key_C &&
            (shift & (kShiftMask | kCtrlMask | kAltMask)) == (kShiftMask | kCtrlMask)) {
            CopyMeasurements_Click();
            return;
        }
        if (inner) inner(key, shift, down);
    };
}

}  // namespace orv
