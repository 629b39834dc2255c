// Custom label text: an edit box laid over a distance marker's length label,
// widening as the text grows, with a tick beside it that puts the edited text
// on the label. An empty text is refused: a label without text has no width
// and could never be pressed again.

#include <qnamespace.h>

#include <algorithm>

#include "editor/Form1.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"

namespace orv {

namespace {
const QString kDistanceLabel = QStringLiteral("1");  // ifsz: the box serves a length label
// Room beside the text for the editor's inner margins and its caret, pixels.
constexpr float kCaretRoom = 8;
}  // namespace

void Form1::Command25_Click() {
    const int i = aapxindex;
    const Label* label = i >= 1 ? aapx.Find(i) : nullptr;
    if (!label) return;  // the marker is gone: nothing to edit
    ifsz = kDistanceLabel;
    // The label is placed on the canvas, the edit box on the window: the box goes where
    // the label is shown (the canvas offset added, and the canvas's zoom where it zooms),
    // in the label's font at that zoom.
    const ShownRect at = ShownPlace(*label);
    shuzhi.Left = at.Left;
    shuzhi.Top = at.Top;
    shuzhi.Height = at.Height;
    shuzhi.Width = at.Width;
    shuzhi.Font = label->Font();
    shuzhi.Font.Size *= at.Scale;
    szz.Left = at.Left + at.Width;
    szz.Top = at.Top;
    // The text goes in before the box shows, so that it opens exactly over the label and
    // widens only once the text is edited.
    shuzhi.SetText(label->Caption());
    shuzhi.Visible = true;
    szz.Visible = true;
    FocusRequest = &shuzhi;
}

void Form1::shuzhi_Change() {
    if (!shuzhi.Visible) return;
    // Never narrower than the label it covers, and wide enough to show all of
    // its text; it does not shrink back while it is open.
    const float need = static_cast<float>(MeasureText(shuzhi.Font, shuzhi.Text()).width()) +
                       kCaretRoom * Screen().TwipsPerPixelX;
    shuzhi.Width = std::max(shuzhi.Width, need);
    szz.Left = shuzhi.Left + shuzhi.Width;
}

void Form1::szz_Click() {
    if (ifsz == kDistanceLabel) {
        // The target is the label pressed last; if it was deleted meanwhile the edit is dropped.
        if (Label* label = aapxindex >= 1 ? aapx.Find(aapxindex) : nullptr) {
            // Refused: the label keeps its text and the box stays open for another.
            if (shuzhi.Text().trimmed().isEmpty()) return;
            label->SetCaption(shuzhi.Text());
        }
    } else if (ifsz == kBoxLabel) {
        if (Label* label = boxindex >= 1 ? boxSize.Find(boxindex) : nullptr) {
            if (shuzhi.Text().trimmed().isEmpty()) return;
            label->SetCaption(shuzhi.Text());
        }
    }
    shuzhi.Visible = false;
    szz.Visible = false;
    shuzhi.SetText(QString());
}

void Form1::shuzhi_KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        szz_Click();
    } else if (key == Qt::Key_Escape) {
        // Closes the editor and leaves the label as it was.
        shuzhi.Visible = false;
        szz.Visible = false;
        shuzhi.SetText(QString());
    }
}

}  // namespace orv
