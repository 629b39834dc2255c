// Box measures: drawn by a drag in the box tool or kept from the guides by a
// click, a thin outline in the palette colour with its size label outside it.
// The label moves, restyles, re-texts and deletes through a menu of its own.

#include "annotations/BoxGeometry.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

namespace {

QSize PictureSize(const PictureBox& canvas) {
    return {static_cast<int>(std::ceil(canvas.Width / Screen().TwipsPerPixelX)),
            static_cast<int>(std::ceil(canvas.Height / Screen().TwipsPerPixelY))};
}

// Puts the box of pixels r on the box's outline and label, the label outside it.
void ShowBox(Form1& ed, int n, const QRect& r) {
    Shape* frame = ed.boxFrame.Find(n);
    Label* size = ed.boxSize.Find(n);
    if (!frame || !size) return;
    const float kx = Screen().TwipsPerPixelX, ky = Screen().TwipsPerPixelY;
    frame->Left = static_cast<float>(r.left()) * kx;
    frame->Top = static_cast<float>(r.top()) * ky;
    frame->Width = static_cast<float>(r.width()) * kx;
    frame->Height = static_cast<float>(r.height()) * ky;
    frame->Visible = true;
    size->SetCaption(BoxSizeText(r.width(), r.height()));
    const QPointF at =
        PlaceBoxLabel({frame->Left, frame->Top, frame->Width, frame->Height},
                      {size->Width, size->Height}, {ed.Picture2.Width, ed.Picture2.Height});
    size->Left = static_cast<float>(at.x());
    size->Top = static_cast<float>(at.y());
}

}  // namespace

void Form1::ImageBox_Click() {
    SelectTool(ImageBox);
    pd = Tool::Box;
}

void Form1::KeepSnappedBox(const EdgeSpans& spans) {
    if (!spans.valid) return;
    const int n = annotations.Create<BoxKind>();
    ShowBox(*this, n,
            QRect(QPoint(spans.horizontal.first, spans.vertical.first),
                  QPoint(spans.horizontal.last, spans.vertical.last)));
    if (Label* size = boxSize.Find(n)) size->Visible = true;
    ++annotations.Next().boxes;
}

void Form1::boxSize_MouseDown(int Index, const MouseEvent& e) {
    boxindex = Index;
    if (e.Button == 1) {
        vars.grabX = e.X;
        vars.grabY = e.Y;
    } else if (e.Button == 2) {
        PopupAnnotationMenu(boxmenu());
    }
}

void Form1::boxSize_MouseMove(int Index, const MouseEvent& e) {
    if (e.Button != 1) return;
    if (Label* label = boxSize.Find(Index)) {
        label->Left = label->Left + e.X - vars.grabX;
        label->Top = label->Top + e.Y - vars.grabY;
        label->ZOrder();
    }
}

void Form1::boxSize_MouseUp(int, const MouseEvent&) {}

const Menu& Form1::boxmenu() {
    static const Menu m{QStringLiteral("boxmenu"),
                        {{"boxline", "Change the line color", {}},
                         {"boxdel", "Delete", {}},
                         {"boxback", "Change background color", {}},
                         {"boxclear", "Transparent Background color", {}},
                         {"boxtext", "Custom text", {}},
                         {"boxcopy", "Copy size", {}}}};
    return m;
}

void Form1::boxLine_Click() {
    const std::optional<Colour> c = PickColour();
    if (!c) return;
    if (Shape* frame = boxFrame.Find(boxindex)) frame->BorderColor = *c;
    if (Label* size = boxSize.Find(boxindex)) size->ForeColor = *c;
}

void Form1::boxBack_Click() {
    const std::optional<Colour> c = PickColour();
    if (!c) return;
    if (Label* size = boxSize.Find(boxindex)) {
        size->BackColor = *c;
        size->BackStyle = 1;
    }
}

void Form1::boxClear_Click() {
    if (Label* size = boxSize.Find(boxindex)) size->BackStyle = 0;
}

void Form1::boxText_Click() {
    const Label* label = boxSize.Find(boxindex);
    if (!label) return;
    // The same in-place editor as a length label's; its tick applies the text here.
    shuzhi.Visible = true;
    szz.Visible = true;
    ifsz = kBoxLabel;
    shuzhi.Left = label->Left + Picture2.Left;
    shuzhi.Top = label->Top + Picture2.Top;
    shuzhi.Height = label->Height;
    shuzhi.Width = label->Width;
    szz.Left = label->Left + Picture2.Left + label->Width;
    szz.Top = label->Top + Picture2.Top;
    shuzhi.SetText(label->Caption());
    shuzhi_Change();
    FocusRequest = &shuzhi;
}

void Form1::boxDelete_Click() {
    UnloadKind<BoxKind>(annotations.Kinds(), boxindex);
}

void Form1::boxCopy_Click() {
    if (const Label* size = boxSize.Find(boxindex)) desktop.SetClipboardText(size->Caption());
}

void Form1::KindPress(const MouseEvent& e) {
    if (e.Button != 1 || guides.Holding()) return;
    if (pd == Tool::Box) {
        const int n = annotations.Create<BoxKind>();
        const QPoint p = PixelAt(e.X, e.Y, Screen().TwipsPerPixelX, Screen().TwipsPerPixelY);
        boxDraw_ = {n, p.x(), p.y()};
        ShowBox(*this, n, PixelBoxBetween(p, p, PictureSize(Picture2)));
    } else if (pd == Tool::Redact) {
        RedactionPress(e);
    }
}

void Form1::KindMove(const MouseEvent& e) {
    if (e.Button != 1 || guides.Holding()) return;
    if (pd == Tool::Box && boxDraw_.index) {
        const QPoint p = PixelAt(e.X, e.Y, Screen().TwipsPerPixelX, Screen().TwipsPerPixelY);
        const QRect r = PixelBoxBetween({boxDraw_.x, boxDraw_.y}, p, PictureSize(Picture2));
        ShowBox(*this, boxDraw_.index, r);
        if (Label* size = boxSize.Find(boxDraw_.index)) {
            size->Visible = size->Visible || r.width() > 1 || r.height() > 1;
            size->ZOrder();
        }
    } else if (pd == Tool::Redact) {
        RedactionMove(e);
    }
}

void Form1::KindRelease(const MouseEvent& e) {
    if (e.Button != 1) return;
    if (pd == Tool::Box && boxDraw_.index) {
        const int n = boxDraw_.index;
        boxDraw_ = {};
        // A click that never grew a box leaves nothing behind and keeps its number.
        const Label* size = boxSize.Find(n);
        if (size && !size->Visible) {
            UnloadKind<BoxKind>(annotations.Kinds(), n);
            return;
        }
        ++annotations.Next().boxes;
    } else if (pd == Tool::Redact) {
        RedactionRelease();
    }
}

}  // namespace orv
