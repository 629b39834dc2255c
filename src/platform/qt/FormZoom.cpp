// Zooming a form's canvas: the keys and the wheel, fitting, and the zoom read-out.

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QWheelEvent>

#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"
#include "platform/qt/FormWindow.h"

namespace orv {

namespace {

const Control* FindNamed(const Container& in, const QString& name) {
    for (const Control* c : in.Children()) {
        if (c->Name == name) return c;
        if (auto* box = dynamic_cast<const PictureBox*>(c))
            if (const Control* inner = FindNamed(*box, name)) return inner;
    }
    return nullptr;
}

bool ShownInWindow(const Control& c) {
    for (const Control* k = &c; k; k = dynamic_cast<const PictureBox*>(k->Parent()))
        if (!k->Visible) return false;
    return true;
}

}  // namespace

void FormWindow::SetZoomable(const QString& canvas, const QString& readoutAfter) {
    zoomName_ = canvas;
    readoutAfter_ = readoutAfter;
    // The canvas as shown, for the form's edge scrolling (twips of the form).
    // The canvas as shown, and a control on it (twips of the form).
    ShownPlaceHook() = [this](const Control& c) -> std::optional<ShownRect> {
        const Control* box = ZoomBox();
        if (!box || RootOf(c) != box) return std::nullopt;
        QRect r;
        if (&c == box) {
            r = WindowRect(ControlPlace(c), box).adjusted(1, 1, -1, -1);
        } else {
            auto* parent = dynamic_cast<const PictureBox*>(c.Parent());
            const bool ps = parent && parent->ScalePixels;
            const QRect place = ControlPlace(c, ps).translated(OriginOf(c));
            r = view_.ToWindow(place, ControlPlace(*box).topLeft());
        }
        const float tx = Screen().TwipsPerPixelX, ty = Screen().TwipsPerPixelY;
        return ShownRect{static_cast<float>(r.x()) * tx, static_cast<float>(r.y()) * ty,
                         static_cast<float>(r.width()) * tx, static_cast<float>(r.height()) * ty,
                         static_cast<float>(view_.Scale())};
    };
    if (!zoomReadout_) {
        zoomReadout_ = new QLabel(this);
        zoomReadout_->setObjectName(QStringLiteral("zoomReadout"));
        zoomReadout_->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette pal = zoomReadout_->palette();
        pal.setColor(QPalette::WindowText, QColor(0xA8, 0xAD, 0xB6));
        zoomReadout_->setPalette(pal);
        zoomReadout_->setFont(MakeQFont(FontSpec{QStringLiteral("Arial"), 8.0, false}));
        zoomReadout_->hide();
    }
    ViewChanged();
}

QString FormWindow::ZoomText() const {
    return zoomReadout_ && ZoomBox() ? zoomReadout_->text() : QString();
}

QPoint FormWindow::CanvasOrigin() const {
    const Control* box = ZoomBox();
    return box ? view_.Origin(ControlPlace(*box).topLeft()) : QPoint(0, 0);
}

void FormWindow::ZoomAbout(double z, QPointF anchor) {
    const Control* box = ZoomBox();
    if (!box) return;
    view_.ZoomAbout(z, anchor, ControlPlace(*box).topLeft());
    ViewChanged();
}

void FormWindow::ZoomIn(QPointF anchor) {
    ZoomAbout(CanvasView::StepAbove(view_.Zoom()), anchor);
}

void FormWindow::ZoomOut(QPointF anchor) {
    ZoomAbout(CanvasView::StepBelow(view_.Zoom()), anchor);
}

void FormWindow::ZoomReset() {
    const Control* box = ZoomBox();
    if (!box) return;
    view_.Reset(ControlPlace(*box).topLeft());
    ViewChanged();
}

void FormWindow::ZoomToFit() {
    const Control* box = ZoomBox();
    if (!box) return;
    // The window less the bars docked along its left and top edges.
    QRect area = rect();
    for (const Control* c : form_.Children()) {
        if (c == box || !c->Visible || !c->Windowed()) continue;
        const QRect r = ControlPlace(*c);
        if (r.left() <= 0 && r.height() > height() / 2)
            area.setLeft(std::max(area.left(), r.right() + 1));
        if (r.top() <= 0 && r.width() > width() / 2)
            area.setTop(std::max(area.top(), r.bottom() + 1));
    }
    const QRect place = ControlPlace(*box);
    view_.Fit(place.size(), area, place.topLeft());
    ViewChanged();
}

void FormWindow::ViewChanged() {
    // Everything of the canvas moves: it is repainted where it showed and where it shows now.
    viewChanged_ = true;
    Sync();
    viewChanged_ = false;
}

void FormWindow::PlaceZoomReadout() {
    if (!zoomReadout_) return;
    const Control* after = readoutAfter_.isEmpty() ? nullptr : FindNamed(form_, readoutAfter_);
    if (!ZoomBox() || !after || !ShownInWindow(*after) || !form_.Visible) {
        zoomReadout_->hide();
        return;
    }
    const QString text = CanvasView::Text(view_.Zoom());
    if (zoomReadout_->text() != text) {
        zoomReadout_->setText(text);
        zoomReadout_->adjustSize();
    }
    const QRect r = ControlPlace(*after, false).translated(OriginOf(*after));
    const QPoint at(r.right() + 8, r.top() + (r.height() - zoomReadout_->height()) / 2);
    if (zoomReadout_->pos() != at) zoomReadout_->move(at);
    zoomReadout_->show();
}

void FormWindow::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier) || !ZoomBox()) {
        QWidget::wheelEvent(e);
        return;
    }
    // Whole notches step the zoom; finer wheels add up to notches.
    wheelRest_ += e->angleDelta().y();
    while (wheelRest_ >= 120) {
        ZoomIn(e->position());
        wheelRest_ -= 120;
    }
    while (wheelRest_ <= -120) {
        ZoomOut(e->position());
        wheelRest_ += 120;
    }
    e->accept();
}

bool FormWindow::ZoomKey(QKeyEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier) || !ZoomBox()) return false;
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    const QPointF at = rect().contains(cursor) ? QPointF(cursor) : QPointF(rect().center());
    switch (e->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomIn(at);
            break;
        case Qt::Key_Minus:
            ZoomOut(at);
            break;
        case Qt::Key_0:
            ZoomReset();
            break;
        case Qt::Key_9:
            ZoomToFit();
            break;
        default:
            return false;
    }
    e->accept();
    if (AfterEvent()) AfterEvent()();
    return true;
}

}  // namespace orv
