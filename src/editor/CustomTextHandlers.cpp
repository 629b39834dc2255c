// Custom label text: an edit box laid exactly over a distance marker's length
// label, with a tick beside it that puts the edited text on the label.

#include <qnamespace.h>

#include "editor/Form1.h"

namespace orv {

namespace {
const QString kDistanceLabel = QStringLiteral("1");  // ifsz: the box serves a length label
}  // namespace

void Form1::Command25_Click() {
    const int i = aapxindex;
    const Label* label = i >= 1 ? aapx.Find(i) : nullptr;
    if (!label) return;  // the marker is gone: nothing to edit
    shuzhi.Visible = true;
    szz.Visible = true;
    ifsz = kDistanceLabel;
    // The label is placed on the canvas, the edit box on the window.
    shuzhi.Left = label->Left + Picture2.Left;
    shuzhi.Top = label->Top + Picture2.Top;
    shuzhi.Height = label->Height;
    shuzhi.Width = label->Width;
    szz.Left = label->Left + Picture2.Left + label->Width;
    szz.Top = label->Top + Picture2.Top;
    shuzhi.SetText(label->Caption());
    FocusRequest = &shuzhi;
}

void Form1::szz_Click() {
    if (ifsz == kDistanceLabel) {
        // The target is the label pressed last; if it was deleted meanwhile the edit is dropped.
        if (Label* label = aapxindex >= 1 ? aapx.Find(aapxindex) : nullptr)
            label->SetCaption(shuzhi.Text());
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
