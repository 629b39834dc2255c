// The editor's keys. They act only while the window itself has the keyboard:
// a note box or the label editor that holds it types the keys as text.
// Arrows move the annotation pressed last through the same handlers as a
// drag of its label or box; Delete runs its menu's delete; each is one undo
// step. A kind that describes itself (a box, a redaction) is moved and
// deleted from its description: its handle moves as a drag of it does, and
// all its elements go as its menu's delete takes them. Escape during a press on the canvas or an
// element puts everything back as it was at the press and drops the rest of that press.

#include <Qt>
#include <algorithm>
#include <variant>
#include <vector>

#include "editor/Form1.h"
#include "platform/Screen.h"

namespace orv {

namespace {

constexpr float kBigStep = 10;  // pixels per arrow press with Shift

}  // namespace

void Keyboard::Wire() {
    ed_.Image5.KeyHint = QStringLiteral("D");
    ed_.Image6.KeyHint = QStringLiteral("C");
    ed_.Image7.KeyHint = QStringLiteral("N");
    ed_.Image8.KeyHint = QStringLiteral("M");

    // A left press starts a drag; after Escape its moves and release are dropped.
    const auto follow = [this](Control& c, std::optional<Pick> pick) {
        c.MouseDown = [this, pick, inner = std::move(c.MouseDown)](const MouseEvent& e) {
            if (e.Button == 1) Pressed(pick);
            if (inner) inner(e);
        };
        c.MouseMove = [this, inner = std::move(c.MouseMove)](const MouseEvent& e) {
            if ((e.Button & 1) == 0) {
                held_ = cancelled_ = false;  // the release went elsewhere
            } else if (cancelled_) {
                return;
            }
            if (inner) inner(e);
        };
        c.MouseUp = [this, inner = std::move(c.MouseUp)](const MouseEvent& e) {
            if (e.Button == 1 && held_) {
                held_ = false;
                if (cancelled_) {
                    cancelled_ = false;
                    return;
                }
            }
            if (inner) inner(e);
        };
    };
    follow(ed_.Picture2, std::nullopt);
    // A canvas press that takes hold of an annotation of a described kind picks it.
    ed_.Picture2.MouseDown = [this,
                              inner = std::move(ed_.Picture2.MouseDown)](const MouseEvent& e) {
        ed_.canvasHold = {};
        if (inner) inner(e);
        const AnnotationKey held = ed_.canvasHold;
        if (e.Button == 1 && held.index) last_ = Pick{Kind::Described, held.index, held.family};
    };
    // So does a press on the element a described kind is handled by.
    ForEachKind([&](auto k) {
        using K = decltype(k);
        auto& handles = *(ed_.annotations.Kinds().*K::Handle);
        handles.OnLoad = [follow, inner = std::move(handles.OnLoad)](auto& c) {
            if (inner) inner(c);
            follow(c, Pick{Kind::Described, c.Index, K::Family});
        };
    });
    ed_.aapx.OnLoad = [follow, inner = std::move(ed_.aapx.OnLoad)](Label& c) {
        if (inner) inner(c);
        follow(c, Pick{Kind::Distance, c.Index});
    };
    ed_.co.OnLoad = [follow, inner = std::move(ed_.co.OnLoad)](Label& c) {
        if (inner) inner(c);
        follow(c, Pick{Kind::ColourMark, c.Index});
    };
    ed_.bz.OnLoad = [follow, inner = std::move(ed_.bz.OnLoad)](TextBox& c) {
        if (inner) inner(c);
        follow(c, Pick{Kind::Note, c.Index});
    };
    // A transparent note is picked by the click that opens its box.
    ed_.bzz.OnLoad = [this, inner = std::move(ed_.bzz.OnLoad)](Label& c) {
        if (inner) inner(c);
        const int i = c.Index;
        c.Click = [this, i, click = std::move(c.Click)] {
            last_ = Pick{Kind::Note, i};
            if (click) click();
        };
    };
    ed_.Marked = [this] { return MarkedControl(); };
    ed_.Key = [this, inner = std::move(ed_.Key)](int key, int shift, bool down) {
        if (down && Key(key, shift)) return;
        if (inner) inner(key, shift, down);
    };
}

void Keyboard::Pressed(std::optional<Pick> pick) {
    held_ = true;
    cancelled_ = false;
    atPress_ = ed_.history.Here();
    canvasLeft_ = ed_.Picture2.Left;
    canvasTop_ = ed_.Picture2.Top;
    if (pick) last_ = pick;
}

bool Keyboard::Key(int key, int shift) {
    if (ed_.Focused) return false;  // the text box types it
    if ((shift & kAltMask) != 0) return false;
    if ((shift & kCtrlMask) != 0) {
        if ((shift & kShiftMask) != 0) return false;
        if (key == Qt::Key_S) {
            ed_.Image9_Click();
            return true;
        }
        if (key == Qt::Key_V) {
            ed_.host.OpenClipboardPicture();
            return true;
        }
        if (key == Qt::Key_O) {
            ed_.host.OpenPictureFile();
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        if (Dragging()) return false;
        Step(key == Qt::Key_Backtab || (shift & kShiftMask) != 0 ? -1 : 1);
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (!Dragging()) return false;
        CancelDrag();
        return true;
    }
    // Nothing else changes under a held press: its release still has to land.
    if (Dragging()) return false;
    const float step = (shift & kShiftMask) != 0 ? kBigStep : 1;
    const float px = Screen().TwipsPerPixelX * step, py = Screen().TwipsPerPixelY * step;
    switch (key) {
        case Qt::Key_Left:
            Nudge(-px, 0);
            return true;
        case Qt::Key_Right:
            Nudge(px, 0);
            return true;
        case Qt::Key_Up:
            Nudge(0, -py);
            return true;
        case Qt::Key_Down:
            Nudge(0, py);
            return true;
        default:
            break;
    }
    if (shift != 0) return false;
    switch (key) {
        case Qt::Key_B:
            ed_.ImageBox_Click();
            return true;
        case Qt::Key_R:
            ed_.ImageRedact_Click();
            return true;
        case Qt::Key_D:
        case Qt::Key_1:
            ed_.Image5_Click();
            return true;
        case Qt::Key_C:
        case Qt::Key_2:
            ed_.Image6_Click();
            return true;
        case Qt::Key_N:
        case Qt::Key_3:
            ed_.Image7_Click();
            return true;
        case Qt::Key_M:
        case Qt::Key_4:
            ed_.Image8_Click();
            return true;
        case Qt::Key_Delete:
            DeleteLastPressed();
            return true;
        default:
            return false;
    }
}

std::optional<Keyboard::Pick> Keyboard::LastPressed() const {
    if (!last_) return std::nullopt;
    const int i = last_->index;
    bool there = false;
    switch (last_->kind) {
        case Kind::Distance:
            there = ed_.annotations.DistanceMarkerAt(i).has_value();
            break;
        case Kind::ColourMark:
            there = ed_.annotations.ColourMarkerAt(i).has_value();
            break;
        case Kind::Note:
            there = ed_.annotations.NoteAt(i).has_value();
            break;
        case Kind::Described:
            WithKind(last_->family,
                     [&](auto k) { there = AllLoaded<decltype(k)>(ed_.annotations.Kinds(), i); });
            break;
    }
    return there ? last_ : std::nullopt;
}

const Control* Keyboard::MarkedControl() const {
    const auto pick = LastPressed();
    if (!pick) return nullptr;
    const int i = pick->index;
    const Control* c = nullptr;
    switch (pick->kind) {
        case Kind::Distance:
            c = ed_.aapx.Find(i);
            break;
        case Kind::ColourMark:
            c = ed_.co.Find(i);
            break;
        case Kind::Note:
            c = ed_.bz.Find(i);
            // A transparent note away from the pointer shows its label instead.
            if (c && !c->Visible) c = ed_.bzz.Find(i);
            break;
        case Kind::Described:
            // A redaction's area is never shown itself, so nothing is framed for it.
            WithKind(pick->family,
                     [&](auto k) { c = (ed_.annotations.Kinds().*decltype(k)::Handle)->Find(i); });
            break;
    }
    return c && c->Visible ? c : nullptr;
}

void Keyboard::Step(int direction) {
    std::vector<Pick> all;
    for (const AnnotationState& s : ed_.annotations.Take().Items) {
        if (const auto* d = std::get_if<DistanceState>(&s))
            all.push_back({Kind::Distance, d->Index});
        else if (const auto* c = std::get_if<ColourState>(&s))
            all.push_back({Kind::ColourMark, c->Index});
        else if (const auto* n = std::get_if<NoteState>(&s))
            all.push_back({Kind::Note, n->Index});
        else
            VisitKind(s, [&](auto k, const auto& state) {
                all.push_back({Kind::Described, state.Index, decltype(k)::Family});
            });
    }
    if (all.empty()) return;
    const auto now = LastPressed();
    const auto at = now ? std::find(all.begin(), all.end(), *now) : all.end();
    const auto count = static_cast<std::ptrdiff_t>(all.size());
    std::ptrdiff_t next = 0;
    if (at == all.end())
        next = direction > 0 ? 0 : count - 1;
    else
        next = ((at - all.begin()) + direction + count) % count;
    last_ = all[static_cast<size_t>(next)];
}

void Keyboard::Nudge(float dx, float dy) {
    const auto pick = LastPressed();
    if (!pick) return;
    const int i = pick->index;
    const MouseEvent press{1, 0, 0, 0}, to{1, 0, dx, dy};
    ed_.history.Mark();
    ed_.history.Touch({pick->kind != Kind::Distance, i});
    switch (pick->kind) {
        case Kind::Distance:
            ed_.aapx_MouseDown(i, press);
            ed_.aapx_MouseMove(i, to);
            ed_.aapx_MouseUp(i, to);
            break;
        case Kind::ColourMark:
            ed_.co_MouseDown(i, press);
            ed_.co_MouseMove(i, to);
            ed_.co_MouseUp(i, to);
            break;
        case Kind::Note: {
            // A transparent note shows its box while held, as under the pointer,
            // and its label again once the pointer has gone.
            const bool transparent = !ed_.bz(i).Visible && ed_.bzz.Exists(i) && ed_.bzz(i).Visible;
            if (transparent) ed_.bzz_MouseMove(i, MouseEvent{});
            ed_.bz_MouseDown(i, press);
            ed_.bz_MouseMove(i, to);
            ed_.bz_MouseUp(i, to);
            if (transparent) ed_.bz_MouseMove(i, MouseEvent{0, 0, -1, -1});
            break;
        }
        case Kind::Described:
            // As a drag of its handle does: a size label moves alone and comes to the
            // front; a redaction's area moves whole (the picture follows after the key).
            WithKind(pick->family, [&](auto k) {
                using K = decltype(k);
                auto* c = (ed_.annotations.Kinds().*K::Handle)->Find(i);
                if (!c) return;
                c->Left = c->Left + dx;
                c->Top = c->Top + dy;
                if (K::HandleRises) c->ZOrder();
            });
            break;
    }
    ed_.history.Commit();
}

void Keyboard::DeleteLastPressed() {
    const auto pick = LastPressed();
    if (!pick) return;
    ed_.history.Mark();
    ed_.history.Touch({pick->kind != Kind::Distance, pick->index});
    switch (pick->kind) {
        case Kind::Distance:
            ed_.aapxindex = pick->index;
            ed_.delline_Click();
            break;
        case Kind::ColourMark:
            ed_.coindex = pick->index;
            ed_.delzbb_Click();
            break;
        case Kind::Note:
            ed_.bzindex = pick->index;
            ed_.Command19_Click();
            break;
        case Kind::Described:
            // What the kind's menu's delete does: all its elements go.
            WithKind(pick->family, [&](auto k) {
                UnloadKind<decltype(k)>(ed_.annotations.Kinds(), pick->index);
            });
            break;
    }
    ed_.history.Commit();
    last_.reset();
}

void Keyboard::CancelDrag() {
    ed_.history.Revert(atPress_);
    ed_.Timer1.SetEnabled(false);
    ed_.Picture2.Left = canvasLeft_;
    ed_.Picture2.Top = canvasTop_;
    cancelled_ = true;
}

}  // namespace orv
