#include "platform/qt/TextBoxEditors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextCursor>
#include <algorithm>
#include <utility>

#include "platform/Painter.h"
#include "platform/qt/EditorLook.h"
#include "platform/qt/FormWindow.h"

namespace orv {

namespace {

QString ForModel(const QString& edited) {
    QString s = edited;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s;
}

QWidget* PointerSurface(QWidget* w) {
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return pe->viewport();
    return w;
}

// Selects the whole text with the cursor at its start, so a box too small for its last
// line keeps showing its first one.
void SelectAll(QWidget* w) {
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor c(pe->document());
        c.movePosition(QTextCursor::End);
        c.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
        pe->setTextCursor(c);
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        le->setSelection(static_cast<int>(le->text().size()), -static_cast<int>(le->text().size()));
    }
}

void ClearSelection(QWidget* w) {
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor c = pe->textCursor();
        if (!c.hasSelection()) return;
        c.clearSelection();
        pe->setTextCursor(c);
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        le->deselect();
    }
}

void CollectAlive(const Container& in, QSet<const TextBox*>& out) {
    for (const Control* c : in.Children()) {
        if (c->Kind() == ControlKind::TextBox) out.insert(static_cast<const TextBox*>(c));
        if (auto* box = dynamic_cast<const PictureBox*>(c)) CollectAlive(*box, out);
    }
}

bool IsPointerEvent(QEvent::Type t) {
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
           t == QEvent::MouseMove || t == QEvent::MouseButtonDblClick;
}

}  // namespace

TextBoxEditors::TextBoxEditors(QWidget& window, Form& form) : window_(window), form_(form) {}

TextBoxEditors::~TextBoxEditors() = default;

void TextBoxEditors::Collect(const Container& in, QPoint origin, bool ps, const QRegion& clip,
                             const Control* root, std::vector<Shown>& out) const {
    // Walk from the top of the stacking order down: windowed controls above a
    // box hide that part of it, and a picture box clips what it contains.
    const std::vector<Control*> order = in.PaintOrder();
    QRegion above;
    std::vector<Shown> level;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Control* c = *it;
        if (!c->Visible || !c->Windowed()) continue;
        // origin and place are in the space of the top-level control; rect is in the window.
        const Control* top = root ? root : c;
        const QRect place = ControlPlace(*c, ps).translated(origin);
        const QRect rect = ToWindow ? ToWindow(top, place) : place;
        const QRegion visible = (clip & QRegion(rect)) - above;
        if (c->Kind() == ControlKind::TextBox) {
            level.push_back(
                Shown{static_cast<TextBox*>(c), rect, visible, ScaleOf ? ScaleOf(top) : 1.0});
        } else if (auto* box = dynamic_cast<PictureBox*>(c)) {
            std::vector<Shown> inner;
            Collect(*box, place.topLeft(), box->ScalePixels, visible, top, inner);
            level.insert(level.end(), inner.rbegin(), inner.rend());
        }
        above += rect;
    }
    // Bottom first, as the widgets are to be stacked.
    out.insert(out.end(), level.rbegin(), level.rend());
}

void TextBoxEditors::Sync() {
    // The keyboard given back first: the editor that held it may no longer be needed.
    if (form_.FocusToWindow) {
        form_.FocusToWindow = false;
        if (QWidget* f = window_.focusWidget(); f && f != &window_) window_.setFocus();
    }
    QSet<const TextBox*> alive;
    CollectAlive(form_, alive);
    std::vector<Shown> shown;
    if (form_.Visible)
        Collect(form_, QPoint(0, 0), false, QRegion(QRect(QPoint(0, 0), window_.size())), nullptr,
                shown);

    // Editors of boxes that are gone are freed; those of hidden boxes wait hidden.
    for (auto it = editors_.begin(); it != editors_.end();) {
        if (!alive.contains(it.key())) {
            if (form_.Focused == it.key()) form_.Focused = nullptr;
            Retire(*it);
            it = editors_.erase(it);
        } else {
            ++it;
        }
    }
    // The box under the pointer: the shown parts of boxes do not overlap.
    const TextBox* hovered = nullptr;
    if (pointer_)
        for (const Shown& s : shown)
            if (s.visible.contains(*pointer_)) hovered = s.box;
    QSet<const TextBox*> showing;
    std::vector<const TextBox*> order;
    for (const Shown& s : shown) {
        if (s.visible.isEmpty() || !Needs(s, hovered)) continue;
        Editor& ed = Ensure(*s.box);
        Update(ed, *s.box, s);
        showing.insert(s.box);
        order.push_back(s.box);
    }
    // The editors of boxes the window paints are freed once not needed; others wait hidden.
    for (auto it = editors_.begin(); it != editors_.end();) {
        if (showing.contains(it.key())) {
            ++it;
        } else if (PaintsItself && PaintsItself(*it.key()) && form_.FocusRequest != it.key()) {
            Retire(*it);
            it = editors_.erase(it);
        } else {
            if (it->widget && it->widget->isVisible()) it->widget->hide();
            ++it;
        }
    }
    if (order != order_) {
        for (const TextBox* b : order) editors_[b].widget->raise();
        order_ = std::move(order);
    }

    if (form_.FocusRequest) {
        TextBox* want = form_.FocusRequest;
        const bool selectAll = std::exchange(form_.FocusSelectsAll, false);
        form_.FocusRequest = nullptr;
        if (alive.contains(want))
            if (QWidget* w = EditorOf(*want); w && w->isVisible()) {
                w->setFocus(Qt::MouseFocusReason);
                if (selectAll) SelectAll(w);
            }
    }
}

bool TextBoxEditors::Needs(const Shown& s, const TextBox* hovered) const {
    if (!PaintsItself || !PaintsItself(*s.box)) return true;
    if (s.box == hovered || s.box == form_.FocusRequest || s.box == form_.Capture) return true;
    auto it = editors_.constFind(s.box);
    if (it == editors_.constEnd() || !it->widget) return false;
    // The window's focus child keeps the keyboard's place, and its selection, while a menu
    // is open over it.
    QWidget* w = it->widget;
    return w == window_.focusWidget() || w->hasFocus() || (handed_ && handed_ == PointerSurface(w));
}

QWidget* TextBoxEditors::EditorOf(const TextBox& box) const {
    auto it = editors_.constFind(&box);
    return it == editors_.constEnd() ? nullptr : it->widget.data();
}

TextBoxEditors::Editor& TextBoxEditors::Ensure(TextBox& box) {
    Editor& ed = editors_[&box];
    if (ed.widget && ed.multiLine == box.MultiLine) return ed;
    Retire(ed);
    ed.multiLine = box.MultiLine;
    QWidget* w = nullptr;
    if (box.MultiLine) {
        auto* pe = new QPlainTextEdit(&window_);
        pe->setFrameStyle(QFrame::NoFrame);
        pe->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pe->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pe->setLineWrapMode(QPlainTextEdit::NoWrap);
        pe->setTabChangesFocus(true);
        // The text sits 50 twips in from the box's corner, as painted.
        pe->document()->setDocumentMargin(EditorMargin(1.0));
        pe->setPlainText(EditorText(box.Text()));
        connect(pe, &QPlainTextEdit::textChanged, this, [this, pe] { TextEdited(pe); });
        w = pe;
    } else {
        auto* le = new QLineEdit(&window_);
        le->setFrame(false);
        le->setText(EditorText(box.Text()));
        connect(le, &QLineEdit::textChanged, this, [this, le] { TextEdited(le); });
        w = le;
    }
    w->setObjectName(box.Name + (box.Index >= 0 ? QString::number(box.Index) : QString()));
    w->setAutoFillBackground(true);
    w->setContextMenuPolicy(Qt::NoContextMenu);
    w->setFocusPolicy(Qt::ClickFocus);
    QWidget* surface = PointerSurface(w);
    surface->setContextMenuPolicy(Qt::NoContextMenu);
    surface->setMouseTracking(true);
    // Pointer events reach the model through the window, never twice.
    surface->setAttribute(Qt::WA_NoMousePropagation);
    w->setAttribute(Qt::WA_NoMousePropagation);
    surface->installEventFilter(this);
    w->installEventFilter(this);
    ed.widget = w;
    order_.clear();  // a new widget lies on top: restack
    return ed;
}

void TextBoxEditors::Update(Editor& ed, const TextBox& box, const Shown& place) {
    QWidget* w = ed.widget;
    if (w->geometry() != place.rect) {
        w->setGeometry(place.rect);
        // The window may have scrolled its pixels under the editor: paint it anew.
        w->update();
        PointerSurface(w)->update();
    }
    const QRegion mask = place.visible.translated(-place.rect.topLeft());
    if (mask == QRegion(QRect(QPoint(0, 0), place.rect.size()))) {
        if (!w->mask().isEmpty()) w->clearMask();
    } else if (w->mask() != mask) {
        w->setMask(mask);
    }
    QPalette pal = w->palette();
    const QColor back = ToQColor(box.BackColor), fore = ToQColor(box.ForeColor);
    if (pal.color(QPalette::Base) != back || pal.color(QPalette::Text) != fore) {
        for (auto role : {QPalette::Base, QPalette::Window}) pal.setColor(role, back);
        pal.setColor(QPalette::Text, fore);
        w->setPalette(pal);
    }
    const QFont font = EditorFont(box, place.scale);
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        const double margin = EditorMargin(place.scale);
        if (pe->document()->documentMargin() != margin) pe->document()->setDocumentMargin(margin);
    }
    if (w->font() != font) w->setFont(font);
    if (w->isEnabled() != box.Enabled) w->setEnabled(box.Enabled);

    const QString want = EditorText(box.Text());
    pushing_ = true;
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        if (pe->toPlainText() != want) pe->setPlainText(want);
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        if (le->text() != want) le->setText(want);
    }
    pushing_ = false;
    if (!w->isVisible()) w->show();
}

void TextBoxEditors::Retire(Editor& ed) {
    if (!ed.widget) return;
    // The widget may be inside one of its own event handlers: free it later.
    ed.widget->hide();
    ed.widget->removeEventFilter(this);
    PointerSurface(ed.widget)->removeEventFilter(this);
    ed.widget->disconnect(this);
    ed.widget->deleteLater();
    ed.widget = nullptr;
}

TextBox* TextBoxEditors::BoxOf(QObject* watched) const {
    for (auto it = editors_.constBegin(); it != editors_.constEnd(); ++it) {
        QWidget* w = it->widget;
        if (!w || (watched != w && watched != PointerSurface(w))) continue;
        QSet<const TextBox*> alive;
        CollectAlive(form_, alive);
        return alive.contains(it.key()) ? const_cast<TextBox*>(it.key()) : nullptr;
    }
    return nullptr;
}

void TextBoxEditors::TextEdited(QWidget* widget) {
    if (pushing_) return;
    TextBox* box = BoxOf(widget);
    if (!box) return;
    QString text;
    if (auto* pe = qobject_cast<QPlainTextEdit*>(widget))
        text = ForModel(pe->toPlainText());
    else if (auto* le = qobject_cast<QLineEdit*>(widget))
        text = le->text();
    box->SetText(text);
    if (FormWindow::AfterEvent()) FormWindow::AfterEvent()();
}

bool TextBoxEditors::ForwardPointer(QWidget* from, QEvent* e) {
    auto* me = static_cast<QMouseEvent*>(e);
    const QPointF at = from->mapTo(&window_, me->position());
    QMouseEvent copy(e->type(), at, me->globalPosition(), me->button(), me->buttons(),
                     me->modifiers());
    QPointer<QWidget> guard(from);
    const bool was = std::exchange(forwarding_, true);
    QApplication::sendEvent(&window_, &copy);
    forwarding_ = was;
    if (!guard || !guard->isVisible()) return true;  // the model removed or hid the box
    // The right button belongs to the note menu only, never to the editor.
    const bool right = me->button() == Qt::RightButton || (me->buttons() & Qt::RightButton);
    return right && e->type() != QEvent::MouseMove;
}

bool TextBoxEditors::HandPress(QMouseEvent* e) {
    if (forwarding_ || !PaintsItself || !form_.Visible) return false;
    const QPoint at = e->position().toPoint();
    pointer_ = at;
    std::vector<Shown> shown;
    Collect(form_, QPoint(0, 0), false, QRegion(QRect(QPoint(0, 0), window_.size())), nullptr,
            shown);
    auto s = std::find_if(shown.begin(), shown.end(),
                          [&](const Shown& one) { return one.visible.contains(at); });
    if (s == shown.end() || !PaintsItself(*s->box)) return false;
    if (QWidget* w = EditorOf(*s->box); w && w->isVisible()) return false;
    Editor& ed = Ensure(*s->box);
    Update(ed, *s->box, *s);
    QPointer<QWidget> w = ed.widget;
    w->raise();
    // As a press on the editor itself would: the keyboard first, then the press.
    if (w->isEnabled()) w->setFocus(Qt::MouseFocusReason);
    if (!w) return true;
    handed_ = PointerSurface(w);
    SendTo(handed_, e);
    return true;
}

bool TextBoxEditors::HandOn(QMouseEvent* e) {
    if (forwarding_ || !handed_) return false;
    QPointer<QWidget> surface = handed_;
    // The press is over with its last release, or when a move comes with no button held
    // (a menu the press opened took the release).
    if (e->buttons() == Qt::NoButton) handed_ = nullptr;
    if (e->type() == QEvent::MouseMove && e->buttons() == Qt::NoButton) return false;
    if (!surface->isVisible()) return false;
    SendTo(surface, e);
    return true;
}

void TextBoxEditors::SendTo(QWidget* surface, QMouseEvent* e) {
    QMouseEvent copy(e->type(), surface->mapFrom(&window_, e->position()), e->globalPosition(),
                     e->button(), e->buttons(), e->modifiers());
    QApplication::sendEvent(surface, &copy);
}

bool TextBoxEditors::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type t = e->type();
    if (IsPointerEvent(t)) {
        if (!BoxOf(watched)) return false;
        return ForwardPointer(static_cast<QWidget*>(watched), e);
    }
    if (t == QEvent::ContextMenu) return true;
    if (t == QEvent::FocusIn) {
        form_.Focused = BoxOf(watched);
        return false;
    }
    if (t == QEvent::FocusOut) {
        form_.Focused = nullptr;
        // A box the user has left shows its text plain, without the selection it had
        // (a menu over it does not count as leaving).
        if (static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason)
            ClearSelection(static_cast<QWidget*>(watched));
        if (TextBox* box = BoxOf(watched); box && box->LostFocus) box->LostFocus();
        return false;
    }
    if (t == QEvent::KeyPress) {
        TextBox* box = BoxOf(watched);
        if (!box || !box->KeyPress) return false;
        QPointer<QObject> guard(watched);
        box->KeyPress(static_cast<QKeyEvent*>(e)->key());
        if (FormWindow::AfterEvent()) FormWindow::AfterEvent()();
        // The model consumed the key when it removed or hid its box.
        if (!guard) return true;
        const TextBox* still = BoxOf(watched);
        return !still || !still->Visible || !static_cast<QWidget*>(watched)->isVisible();
    }
    return false;
}

}  // namespace orv
