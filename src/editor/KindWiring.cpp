// The box and redaction tools on the editor: their tool pictures below the
// first four, their keys, and the canvas routed to them in their modes. The
// canvas's own handlers run first, as in every mode (pointer read-outs, the
// guides), and then the tool's.

#include <Qt>
#include <map>

#include "editor/Form1.h"
#include "editor/RedactedPicture.h"
#include "platform/Artwork.h"

namespace orv {

namespace {
constexpr float kLeftBarWidth = 750;  // 50 px
constexpr float kToolSize = 525;      // 35 px
}  // namespace

void Form1::LayOutKinds() {
    const float x = (kLeftBarWidth - kToolSize) / 2;
    PlaceImage(ImageBox, QStringLiteral("ImageBox"), x, 2700, kToolSize, "tool-box.svg", Picture1,
               QStringLiteral("Measure Box"));
    PlaceImage(ImageBoxOn, QStringLiteral("ImageBoxOn"), x, 2700, kToolSize, "tool-box-active.svg",
               Picture1);
    PlaceImage(ImageRedact, QStringLiteral("ImageRedact"), x, 3300, kToolSize, "tool-redact.svg",
               Picture1, QStringLiteral("Redact"));
    PlaceImage(ImageRedactOn, QStringLiteral("ImageRedactOn"), x, 3300, kToolSize,
               "tool-redact-active.svg", Picture1);
    ImageBoxOn.Visible = ImageRedactOn.Visible = false;
    ImageBox.KeyHint = QStringLiteral("B");
    ImageRedact.KeyHint = QStringLiteral("R");

    Shape& frame = boxFrame.Template();
    frame.BorderColor = kAnnotationRed;
    frame.BorderWidth = 1;
    frame.BackStyle = 0;
    Label& size = boxSize.Template();
    size.BackColor = kLabelBack;
    size.BackStyle = 1;
    size.ForeColor = kAnnotationRed;
    size.AutoSize = true;
    size.SetFont(FontSpec{QStringLiteral("Arial"), 9.0, true});
    size.ToolTipText = QStringLiteral("左键移动位置右键删除");
    // A redaction's shape only carries its place: the picture shows it.
    redaction.Template().BackStyle = 0;
}

void Form1::WireKinds() {
    ImageBox.Click = [this] { ImageBox_Click(); };
    ImageRedact.Click = [this] { ImageRedact_Click(); };
    boxSize.OnLoad = [this](Label& c) {
        const int i = c.Index;
        c.MouseDown = [this, i](const MouseEvent& e) { boxSize_MouseDown(i, e); };
        c.MouseMove = [this, i](const MouseEvent& e) { boxSize_MouseMove(i, e); };
        c.MouseUp = [this, i](const MouseEvent& e) { boxSize_MouseUp(i, e); };
        // Undo records around its press and release as around every label's.
        c.MouseDown = [this, inner = std::move(c.MouseDown)](const MouseEvent& e) {
            UndoHistory& h = history;
            h.Mark();
            inner(e);
            if (e.Button != 1) h.Commit();
        };
        c.MouseUp = [this, inner = std::move(c.MouseUp)](const MouseEvent& e) {
            inner(e);
            history.Commit();
        };
    };
    Picture2.MouseDown = [this](const MouseEvent& e) {
        // A picture opened since the last change is redacted before a pick reads it.
        SyncRedactions();
        Picture2_MouseDown(e);
        KindPress(e);
    };
    Picture2.MouseMove = [this](const MouseEvent& e) {
        Picture2_MouseMove(e);
        KindMove(e);
    };
    Picture2.MouseUp = [this](const MouseEvent& e) {
        Picture2_MouseUp(e);
        KindRelease(e);
    };
}

void Form1::WireRedactionSync() {
    // Undo and redo (and every other key) may move, add or take away redactions.
    Key = [this, inner = std::move(Key)](int key, int shift, bool down) {
        if (inner) inner(key, shift, down);
        SyncRedactions();
    };
    Picture2.MouseUp = [this, inner = std::move(Picture2.MouseUp)](const MouseEvent& e) {
        if (inner) inner(e);
        SyncRedactions();
    };
}

bool Form1::RedactionMenuAt(const MouseEvent& e) {
    if (pd != Tool::Redact) return false;
    const int n = RedactionAt(e.X, e.Y);
    if (!n) return false;
    redactindex = n;
    PopupAnnotationMenu(redactmenu());
    return true;
}

bool Form1::RunKindCommand(const QString& item) {
    using Command = void (Form1::*)();
    static const std::map<QString, Command> commands = {
        {"boxline", &Form1::boxLine_Click},
        {"boxdel", &Form1::boxDelete_Click},
        {"boxback", &Form1::boxBack_Click},
        {"boxclear", &Form1::boxClear_Click},
        {"boxtext", &Form1::boxText_Click},
        {"boxcopy", &Form1::boxCopy_Click},
        {"redactblocks", &Form1::redactPixelate_Click},
        {"redactblack", &Form1::redactBlack_Click},
        {"redactdel", &Form1::redactDelete_Click},
    };
    const auto it = commands.find(item);
    if (it == commands.end()) return false;
    (this->*(it->second))();
    return true;
}

}  // namespace orv
