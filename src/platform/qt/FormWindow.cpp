#include "platform/qt/FormWindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "platform/Painter.h"
#include "platform/PathBytes.h"
#include "platform/Screen.h"
#include "platform/ShownPlace.h"
#include "platform/qt/Stacking.h"
#include "platform/qt/Translate.h"

namespace orv {

namespace {

bool TakesPointer(const Control& c) {
    return c.Visible && c.Enabled && c.Kind() != ControlKind::Line &&
           c.Kind() != ControlKind::Shape;
}

int ButtonOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int MaskOf(Qt::MouseButtons bs) {
    return (bs & Qt::LeftButton ? 1 : 0) | (bs & Qt::RightButton ? 2 : 0) |
           (bs & Qt::MiddleButton ? 4 : 0);
}

bool ScalesInPixels(const Container* c) {
    auto* box = dynamic_cast<const PictureBox*>(c);
    return box && box->ScalePixels;
}

bool Alive(const Container& in, const Control* target) {
    for (const Control* c : in.Children()) {
        if (c == target) return true;
        if (auto* box = dynamic_cast<const PictureBox*>(c); box && Alive(*box, target)) return true;
    }
    return false;
}

size_t Mix(size_t h, size_t v) {
    return h ^ (v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

// What to repaint of a control whose look changed where it lies (pixelRect, its
// ControlPixelRect in the window): a picture box's frame lies just round its place and
// does not change with what it shows (the magnifier's view, ten times a second), so
// nothing beside the box is painted again. On the zoomed canvas places are rounded: all.
QRect InPlace(const Control& c, const QRect& pixelRect, bool zoomed) {
    if (c.Kind() != ControlKind::PictureBox || zoomed) return pixelRect;
    return pixelRect.adjusted(1, 1, -1, -1);
}

size_t LookKey(const Control& c) {
    size_t h = std::hash<int>()(static_cast<int>(c.Kind()));
    h = Mix(h, c.StackKey());
    switch (c.Kind()) {
        case ControlKind::Line: {
            auto& l = static_cast<const Line&>(c);
            h = Mix(h, l.BorderColor);
            h = Mix(h, static_cast<size_t>(l.BorderWidth));
            break;
        }
        case ControlKind::Label: {
            auto& l = static_cast<const Label&>(c);
            h = Mix(Mix(Mix(h, l.BackColor), l.ForeColor), static_cast<size_t>(l.BackStyle));
            h = Mix(h, qHash(l.Caption()));
            h = Mix(h, qHash(l.Font().Name) ^ static_cast<size_t>(l.Font().Bold));
            break;
        }
        case ControlKind::Shape: {
            auto& s = static_cast<const Shape&>(c);
            h = Mix(Mix(Mix(h, s.BorderColor), s.BackColor), static_cast<size_t>(s.BackStyle));
            break;
        }
        case ControlKind::TextBox: {
            auto& t = static_cast<const TextBox&>(c);
            h = Mix(Mix(Mix(h, t.BackColor), t.ForeColor), qHash(t.Text()));
            break;
        }
        case ControlKind::Image:
            h = Mix(h, qHash(static_cast<const Image&>(c).Picture));
            break;
        case ControlKind::PictureBox: {
            auto& b = static_cast<const PictureBox&>(c);
            h = Mix(Mix(h, b.BackColor), static_cast<size_t>(b.Picture().cacheKey()));
            if (b.HasSurface())
                h = Mix(h, static_cast<size_t>(const_cast<PictureBox&>(b).Surface().cacheKey()));
            break;
        }
    }
    return h;
}

}  // namespace

std::function<void()>& FormWindow::AfterEvent() {
    static std::function<void()> hook;
    return hook;
}

FormWindow::FormWindow(Form& form) : form_(form) {
    setMouseTracking(true);
    // A click on the window itself takes the keyboard back from a text box.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowTitle(form.Caption);
    editors_.ToWindow = [this](const Control* root, const QRect& r) {
        return root && root == ZoomBox() ? view_.ToWindow(r, ControlPlace(*root).topLeft()) : r;
    };
    editors_.ScaleOf = [this](const Control* root) {
        return root && root == ZoomBox() ? view_.Scale() : 1.0;
    };
    // The notes on the zooming canvas: painted as their editors show them (see paintEvent).
    editors_.PaintsItself = [this](const TextBox& box) {
        const Control* zoomed = ZoomBox();
        return box.MultiLine && zoomed && box.Parent() == dynamic_cast<const Container*>(zoomed);
    };
}

FormWindow::~FormWindow() {
    // The edge scrolling of the form no longer asks this window.
    if (!zoomName_.isEmpty()) ShownPlaceHook() = nullptr;
}

QPoint FormWindow::OriginOf(const Control& c) const {
    // Sum of the places of every picture box between the control and the window.
    QPoint o(0, 0);
    const Container* parent = c.Parent();
    while (auto* box = dynamic_cast<const PictureBox*>(parent)) {
        const bool ps = ScalesInPixels(box->Parent());
        const QRect r = ControlPlace(*box, ps);
        o += r.topLeft();
        parent = box->Parent();
    }
    return o;
}

Control* FormWindow::HitTest(QPointF pos) {
    std::function<Control*(const Container&, QPoint, bool)> hit =
        [&](const Container& in, QPoint local, bool ps) -> Control* {
        auto order = in.PaintOrder();
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            Control* c = *it;
            if (!TakesPointer(*c)) continue;
            const QRect r = ControlPlace(*c, ps);
            if (!r.contains(local)) continue;
            if (auto* box = dynamic_cast<PictureBox*>(c)) {
                if (Control* inner = hit(*box, local - r.topLeft(), box->ScalePixels)) return inner;
            }
            return c;
        }
        return nullptr;
    };
    // Each top-level control is tested in its own space (the canvas's may be zoomed).
    auto order = form_.PaintOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Control* c = *it;
        if (!TakesPointer(*c)) continue;
        const QPoint local = SpaceOf(pos, c);
        const QRect r = ControlPlace(*c, false);
        if (!r.contains(local)) continue;
        if (auto* box = dynamic_cast<PictureBox*>(c))
            if (Control* inner = hit(*box, local - r.topLeft(), box->ScalePixels)) return inner;
        return c;
    }
    return nullptr;
}

const Control* FormWindow::ZoomBox() const {
    if (zoomName_.isEmpty()) return nullptr;
    for (const Control* c : form_.Children())
        if (c->Name == zoomName_ && c->Kind() == ControlKind::PictureBox) return c;
    return nullptr;
}

const Control* FormWindow::RootOf(const Control& c) const {
    const Control* r = &c;
    while (r->Parent() && r->Parent() != &form_) {
        auto* box = dynamic_cast<const PictureBox*>(r->Parent());
        if (!box) break;
        r = box;
    }
    return r;
}

QPoint FormWindow::SpaceOf(QPointF pos, const Control* root) const {
    if (root && root == ZoomBox()) return view_.ToCanvas(pos, ControlPlace(*root).topLeft());
    return QPoint(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
}

QRect FormWindow::WindowRect(const QRect& r, const Control* root) const {
    if (root && root == ZoomBox())
        return view_.ToWindow(r, ControlPlace(*root).topLeft()).adjusted(-1, -1, 1, 1);
    return r;
}

void FormWindow::Dispatch(QMouseEvent* e, int kind) {
    const QPointF pos = e->position();
    editors_.PointerAt(pos.toPoint());
    // A second button pressed during a left drag (a right press while drawing) would open a
    // menu that takes the drag's release, or end the drag half-way: it is let go by.
    if (kind == 0 && e->button() != Qt::LeftButton && (e->buttons() & Qt::LeftButton)) {
        chorded_ |= e->button();
        return;
    }
    if (kind == 2 && (chorded_ & e->button())) {
        chorded_ &= ~e->button();
        return;
    }
    leftHeld_ = (e->buttons() & Qt::LeftButton) != 0;
    pointer_ = e->globalPosition().toPoint();
    if (windowDrag_ && kind != 0) {
        // Moving the whole window with the pointer.
        const QPoint d = e->globalPosition().toPoint() - childDragLast_;
        form_.Left += static_cast<float>(d.x()) * Screen().TwipsPerPixelX;
        form_.Top += static_cast<float>(d.y()) * Screen().TwipsPerPixelY;
        childDragLast_ = e->globalPosition().toPoint();
        if (kind == 2 || !leftHeld_) windowDrag_ = false;
        if (AfterEvent()) AfterEvent()();
        return;
    }
    if (!childDrag_.isEmpty() && kind != 0) {
        // Moving the magnifier view (or another child) with the pointer.
        for (Control* c : form_.Children()) {
            if (c->Name != childDrag_) continue;
            const QPoint d = e->globalPosition().toPoint() - childDragLast_;
            c->Left += static_cast<float>(d.x()) * Screen().TwipsPerPixelX;
            c->Top += static_cast<float>(d.y()) * Screen().TwipsPerPixelY;
        }
        childDragLast_ = e->globalPosition().toPoint();
        if (kind == 2 || !(e->buttons() & Qt::LeftButton)) childDrag_.clear();
        if (AfterEvent()) AfterEvent()();
        return;
    }
    if (form_.Capture && !Alive(form_, form_.Capture)) form_.Capture = nullptr;
    if (pressed_ && !Alive(form_, pressed_)) pressed_ = nullptr;
    // A release that a modal menu took leaves no button held: that press is over.
    if (kind == 1 && e->buttons() == Qt::NoButton) pressed_ = nullptr;

    Control* target = form_.Capture;
    if (!target && kind != 0 && pressed_) target = pressed_;
    if (!target) target = HitTest(pos);
    if (kind == 0) pressed_ = target;

    if (target) {
        const QPoint origin =
            OriginOf(*target) + ControlPlace(*target, ScalesInPixels(target->Parent())).topLeft();
        const QPoint local = SpaceOf(pos, RootOf(*target)) - origin;
        const bool ownPixels = target->Kind() == ControlKind::PictureBox &&
                               static_cast<PictureBox*>(target)->ScalePixels;
        MouseEvent me;
        me.X = ownPixels ? static_cast<float>(local.x())
                         : static_cast<float>(local.x()) * Screen().TwipsPerPixelX;
        me.Y = ownPixels ? static_cast<float>(local.y())
                         : static_cast<float>(local.y()) * Screen().TwipsPerPixelY;
        me.Shift = (e->modifiers() & Qt::ShiftModifier ? 1 : 0) |
                   (e->modifiers() & Qt::ControlModifier ? 2 : 0) |
                   (e->modifiers() & Qt::AltModifier ? 4 : 0);
        if (kind == 0) {
            me.Button = ButtonOf(e->button());
            if (target->MouseDown) target->MouseDown(me);
        } else if (kind == 1) {
            me.Button = MaskOf(e->buttons() & ~chorded_);
            if (target->MouseMove) target->MouseMove(me);
        } else {
            me.Button = ButtonOf(e->button());
            if (target->MouseUp) target->MouseUp(me);
            // A click is a left release over the control that was pressed.
            if (me.Button == 1 && Alive(form_, target) && HitTest(pos) == target && target->Click)
                target->Click();
        }
    }
    if (kind == 2 && e->buttons() == Qt::NoButton) pressed_ = nullptr;
    if (AfterEvent()) AfterEvent()();
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    // A press on a note painted by the window (no move brought its editor first) goes to
    // the editor made for it, which passes it on to the model.
    const Control* hit = HitTest(e->position());
    const bool note = hit && hit->Kind() == ControlKind::TextBox &&
                      editors_.PaintsItself(static_cast<const TextBox&>(*hit));
    if (!note || !editors_.HandPress(e)) Dispatch(e, 0);
}
void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!editors_.HandOn(e)) Dispatch(e, 1);
}
void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (!editors_.HandOn(e)) Dispatch(e, 2);
}

void FormWindow::DispatchKey(QKeyEvent* e, bool down) {
    if (!form_.Key || e->isAutoRepeat()) {
        if (down)
            QWidget::keyPressEvent(e);
        else
            QWidget::keyReleaseEvent(e);
        return;
    }
    const int shift = (e->modifiers() & Qt::ShiftModifier ? 1 : 0) |
                      (e->modifiers() & Qt::ControlModifier ? 2 : 0) |
                      (e->modifiers() & Qt::AltModifier ? 4 : 0);
    form_.Key(e->key(), shift, down);
    if (AfterEvent()) AfterEvent()();
}
void FormWindow::keyPressEvent(QKeyEvent* e) {
    if (!ZoomKey(e)) DispatchKey(e, true);
}
void FormWindow::keyReleaseEvent(QKeyEvent* e) {
    DispatchKey(e, false);
}

bool FormWindow::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        Control* c = HitTest(QPointF(he->pos()));
        if (c && !c->ToolTipText.isEmpty()) {
            QString tip = Tr(c->ToolTipText);
            if (!c->KeyHint.isEmpty()) tip += QStringLiteral(" (%1)").arg(c->KeyHint);
            QToolTip::showText(he->globalPos(), tip, this);
        } else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void FormWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (CloseRequested) CloseRequested();
    if (AfterEvent()) AfterEvent()();
}

void FormWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (FileDropped && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FormWindow::dropEvent(QDropEvent* e) {
    const auto urls = e->mimeData()->urls();
    if (!FileDropped || urls.isEmpty() || !urls.first().isLocalFile()) return;
    e->acceptProposedAction();
    // The URL's escapes are the name's bytes, which toLocalFile() would read as UTF-8 only.
    const QUrl& url = urls.first();
    FileDropped(url.host().isEmpty() ? PathFromBytes(QByteArray::fromPercentEncoding(
                                           url.path(QUrl::FullyEncoded).toLatin1()))
                                     : url.toLocalFile());
    if (AfterEvent()) AfterEvent()();
}

void FormWindow::BeginChildDrag(const QString& child) {
    childDrag_ = child;
    windowDrag_ = child.isEmpty();
    childDragLast_ = pointer_;
}

void FormWindow::CollectSnapshots(const Container& box, QPoint origin, bool ps, const Control* root,
                                  QHash<const Control*, Snapshot>& out) const {
    for (const Control* c : box.Children()) {
        if (!c->Visible) continue;
        const QRect r = ControlPixelRect(*c, ps).translated(origin);
        const Control* top = root ? root : c;
        out.insert(c, Snapshot{r, LookKey(*c), top});
        if (auto* inner = dynamic_cast<const PictureBox*>(c))
            CollectSnapshots(*inner, ControlPlace(*c, ps).translated(origin).topLeft(),
                             inner->ScalePixels, top, out);
    }
}

const Control* FormWindow::ScrollMovedBox(const QHash<const Control*, Snapshot>& now, QPoint& d,
                                          QRegion& dirty) {
    // A panned canvas: a top-level picture box at a new place, same size and look.
    const Control* box = nullptr;
    for (const Control* c : form_.Children()) {
        if (c->Kind() != ControlKind::PictureBox) continue;
        auto a = painted_.constFind(c), b = now.constFind(c);
        if (a == painted_.constEnd() || b == now.constEnd()) continue;
        if (a->rect == b->rect || a->rect.size() != b->rect.size() || a->key != b->key) continue;
        if (box) return nullptr;  // more than one moved: repaint normally
        box = c;
        d = b->rect.topLeft() - a->rect.topLeft();
    }
    if (!box) return nullptr;
    const QRect oldR = painted_.value(box).rect, newR = now.value(box).rect;
    const QRect area = oldR.united(newR).intersected(rect());
    if (area.isEmpty() || std::abs(d.x()) >= area.width() || std::abs(d.y()) >= area.height())
        return nullptr;
    scroll(d.x(), d.y(), area);
    // What moved along but is not the box's: the window's backdrop and every other control.
    // (The box's exact place: the margin round it holds backdrop, which moved along.)
    const QRect place = ControlPlace(*box);
    const QRect exact = box == ZoomBox() ? view_.ToWindow(place, place.topLeft()) : place;
    dirty += QRegion(area) - QRegion(exact);
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        if (it->root == box) continue;
        if (it->rect.intersects(area)) dirty += it->rect.united(it->rect.translated(d));
    }
    return box;
}

void FormWindow::Sync() {
    const float tx = Screen().TwipsPerPixelX, ty = Screen().TwipsPerPixelY;
    const QRect geo(qRound(form_.Left / tx), qRound(form_.Top / ty), qRound(form_.Width / tx),
                    qRound(form_.Height / ty));
    if (geometry() != geo) setGeometry(geo);
    if (windowTitle() != form_.Caption) setWindowTitle(form_.Caption);

    const double ratio = devicePixelRatioF();
    if (ratio != view_.DeviceRatio()) {
        view_.SetDeviceRatio(ratio);
        const Control* zb = ZoomBox();
        view_.Reset(zb ? ControlPlace(*zb).topLeft() : QPoint(0, 0));
        firstSync_ = true;
    }
    QHash<const Control*, Snapshot> now;
    CollectSnapshots(form_, QPoint(0, 0), false, nullptr, now);
    if (const Control* zb = ZoomBox()) {
        for (auto it = now.begin(); it != now.end(); ++it)
            if (it->root == zb) it->rect = WindowRect(it->rect, zb);
        canvasIndex_.Refresh(static_cast<const PictureBox&>(*zb));
    }
    QRect marked;
    if (const Control* m = form_.Marked ? form_.Marked() : nullptr; m && now.contains(m))
        marked = now.value(m).rect.adjusted(-3, -3, 3, 3);
    if (marked != marked_) {
        update(marked_);
        update(marked);
        marked_ = marked;
    }
    if (firstSync_ || !isVisible()) {
        update();
        firstSync_ = false;
    } else {
        QRegion dirty;
        QPoint d;
        // A new zoom or fit: the canvas, which clips all it holds to itself, is repainted
        // whole where it showed and where it shows now; nothing else moved.
        const Control* rezoomed = viewChanged_ ? ZoomBox() : nullptr;
        if (rezoomed) {
            if (auto was = painted_.constFind(rezoomed); was != painted_.constEnd())
                dirty += was->rect;
            if (auto is = now.constFind(rezoomed); is != now.constEnd()) dirty += is->rect;
        }
        const Control* moved = rezoomed ? nullptr : ScrollMovedBox(now, d, dirty);
        for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
            if (rezoomed && it->root == rezoomed) continue;
            auto old = painted_.constFind(it.key());
            if (old == painted_.constEnd()) {
                dirty += it->rect;
            } else if (moved && it->root == moved && old->rect.translated(d) == it->rect &&
                       old->key == it->key) {
                // Carried along by the scroll.
            } else if (old->rect != it->rect) {
                dirty += old->rect;
                dirty += it->rect;
            } else if (old->key != it->key) {
                dirty += InPlace(*it.key(), it->rect, it->root == ZoomBox());
            }
        }
        for (auto it = painted_.constBegin(); it != painted_.constEnd(); ++it)
            if (!(rezoomed && it->root == rezoomed) && !now.contains(it.key())) dirty += it->rect;
        if (!dirty.isEmpty()) update(dirty);
    }
    painted_ = std::move(now);
    if (form_.Visible != isVisible()) {
        if (form_.Visible) {
            // A form that covers a screen, wherever that screen lies on the desktop, is a
            // full-screen window there.
            QScreen* covered = nullptr;
            for (QScreen* s : QGuiApplication::screens())
                if (s->geometry() == geo) covered = s;
            if (covered && screen() != covered) setScreen(covered);
            ShowOnTop(*this, covered || (form_.Left == 0 && form_.Top == 0 &&
                                         form_.Width == Screen().Width &&
                                         form_.Height == Screen().Height));
        } else {
            hide();
        }
    }
    editors_.Sync();
    PlaceZoomReadout();
}

bool FormWindow::SyncOne(const Control& control) {
    const auto& top = form_.Children();
    if (std::find(top.begin(), top.end(), &control) == top.end()) return false;
    // Anything but a plain, already painted control on a shown window takes the whole sync.
    if (firstSync_ || !isVisible() || form_.Visible != isVisible() || &control == ZoomBox()) {
        Sync();
        return true;
    }
    QRegion dirty;
    const std::function<void(const Control&, QPoint, bool)> look = [&](const Control& c,
                                                                       QPoint origin, bool ps) {
        const auto old = painted_.constFind(&c);
        if (!c.Visible) {
            if (old != painted_.constEnd()) {
                dirty += old->rect;
                painted_.erase(old);
            }
            return;
        }
        const Snapshot now{ControlPixelRect(c, ps).translated(origin), LookKey(c), &control};
        if (old == painted_.constEnd() || old->rect != now.rect) {
            if (old != painted_.constEnd()) dirty += old->rect;
            dirty += now.rect;
        } else if (old->key != now.key) {
            dirty += InPlace(c, now.rect, false);
        }
        painted_.insert(&c, now);
        if (auto* inner = dynamic_cast<const PictureBox*>(&c)) {
            const QPoint at = ControlPlace(c, ps).translated(origin).topLeft();
            for (const Control* child : inner->Children()) look(*child, at, inner->ScalePixels);
        }
    };
    look(control, QPoint(0, 0), false);
    if (!dirty.isEmpty()) update(dirty);
    return true;
}

}  // namespace orv
