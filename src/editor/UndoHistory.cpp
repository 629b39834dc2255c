#include "editor/UndoHistory.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace orv {

namespace {

std::size_t TextBytes(const AnnotationState& s) {
    std::size_t described = 0;
    if (VisitKind(s, [&](auto k, const auto& st) {
            ForEachPart<decltype(k)>([&](const auto& p) {
                if constexpr (requires { (st.*p.state).Caption; })
                    described += ((st.*p.state).Caption.size() + (st.*p.state).ToolTipText.size()) *
                                 sizeof(QChar);
            });
        }))
        return described;
    return std::visit(
        [](const auto& v) -> std::size_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, DistanceState>)
                return (v.Length.Caption.size() + v.Length.ToolTipText.size()) * sizeof(QChar);
            else if constexpr (std::is_same_v<T, ColourState>)
                return (v.Code.Caption.size() + v.Code.ToolTipText.size()) * sizeof(QChar);
            else if constexpr (std::is_same_v<T, NoteState>)
                return (v.Box.Text.size() + v.Display.Caption.size() +
                        v.Display.ToolTipText.size()) *
                       sizeof(QChar);
            else
                return 0;
        },
        s);
}

}  // namespace

std::size_t UndoStep::Bytes() const {
    std::size_t n = sizeof(UndoStep) + items.capacity() * sizeof(Item);
    for (const Item& i : items) {
        if (i.before) n += TextBytes(*i.before);
        if (i.after) n += TextBytes(*i.after);
    }
    return n;
}

KeyedAnnotations KeyedAnnotations::Of(const AnnotationSnapshot& s) {
    KeyedAnnotations out;
    out.qqqq = s.qqqq;
    out.wwww = s.wwww;
    out.next = s.next;
    for (size_t k = 0; k < s.Items.size(); ++k)
        out.items.emplace(
            KeyOf(s.Items[k]),
            Entry{s.Items[k], k < s.Stacks.size() ? s.Stacks[k] : std::array<std::uint64_t, 4>{}});
    return out;
}

UndoStep Difference(const KeyedAnnotations& a, const KeyedAnnotations& b) {
    UndoStep step;
    step.qqqqBefore = a.qqqq;
    step.wwwwBefore = a.wwww;
    step.qqqqAfter = b.qqqq;
    step.wwwwAfter = b.wwww;
    step.nextBefore = a.next;
    step.nextAfter = b.next;
    using Entry = KeyedAnnotations::Entry;
    const auto gone = [&](const AnnotationKey& key, const Entry& e) {
        step.items.push_back({key, e.state, std::nullopt, e.stack, {}});
    };
    const auto added = [&](const AnnotationKey& key, const Entry& e) {
        step.items.push_back({key, std::nullopt, e.state, {}, e.stack});
    };
    // Both maps are ordered by key: walk them side by side.
    auto i = a.items.begin();
    auto j = b.items.begin();
    while (i != a.items.end() || j != b.items.end()) {
        if (j == b.items.end() || (i != a.items.end() && i->first < j->first)) {
            gone(i->first, i->second);
            ++i;
        } else if (i == a.items.end() || j->first < i->first) {
            added(j->first, j->second);
            ++j;
        } else {
            const Entry &x = i->second, &y = j->second;
            if (x.stack != y.stack || !(x.state == y.state || SameApartFromRanks(x.state, y.state)))
                step.items.push_back({i->first, x.state, y.state, x.stack, y.stack});
            ++i;
            ++j;
        }
    }
    return step;
}

void UndoHistory::Mark() {
    if (!base_) base_ = KeyedAnnotations::Of(annotations_.Take());
    typingOpen_ = false;
    acting_ = true;
}

void UndoHistory::Commit(int typingNote) {
    if (applying_ || (typingNote != 0 && acting_)) return;
    acting_ = false;
    KeyedAnnotations now = KeyedAnnotations::Of(annotations_.Take());
    if (!base_) {
        base_ = std::move(now);
        return;
    }
    UndoStep step = Difference(*base_, now);
    if (step.items.empty() && step.qqqqBefore == step.qqqqAfter &&
        step.wwwwBefore == step.wwwwAfter && step.nextBefore == step.nextAfter)
        return;
    base_ = std::move(now);
    redo_.clear();
    ++revision_;
    const auto heldByLast = [&] {
        for (const UndoStep::Item& item : step.items)
            if (std::none_of(undo_.back().items.begin(), undo_.back().items.end(),
                             [&](const UndoStep::Item& old) { return old.key == item.key; }))
                return false;
        return true;
    };
    if (typingNote != 0 && typingOpen_ && !undo_.empty() && undo_.back().typingNote == typingNote &&
        heldByLast()) {
        // Another keystroke in the same note: the step spans the whole burst.
        UndoStep& last = undo_.back();
        for (UndoStep::Item& item : step.items)
            for (UndoStep::Item& old : last.items)
                if (old.key == item.key) {
                    old.after = std::move(item.after);
                    old.stackAfter = item.stackAfter;
                }
        last.qqqqAfter = step.qqqqAfter;
        last.wwwwAfter = step.wwwwAfter;
        last.nextAfter = step.nextAfter;
        return;
    }
    step.typingNote = typingNote;
    typingOpen_ = typingNote != 0;
    undo_.push_back(std::move(step));
}

void UndoHistory::Clear() {
    ++revision_;
    undo_.clear();
    redo_.clear();
    base_.reset();
    typingOpen_ = false;
    acting_ = false;
}

void UndoHistory::Apply(const UndoStep& step, bool forward) {
    ++revision_;
    std::vector<AnnotationChange> changes;
    changes.reserve(step.items.size());
    if (!base_) base_ = KeyedAnnotations::Of(annotations_.Take());
    for (const UndoStep::Item& item : step.items) {
        const auto& state = forward ? item.after : item.before;
        const auto& stack = forward ? item.stackAfter : item.stackBefore;
        changes.push_back({item.key, state ? &*state : nullptr, stack});
        // The known state follows, so the next step is measured from here.
        if (state)
            base_->items.insert_or_assign(item.key, KeyedAnnotations::Entry{*state, stack});
        else
            base_->items.erase(item.key);
    }
    applying_ = true;
    annotations_.Replace(changes);
    applying_ = false;
    base_->qqqq = forward ? step.qqqqAfter : step.qqqqBefore;
    base_->wwww = forward ? step.wwwwAfter : step.wwwwBefore;
    annotations_.SetCounters(base_->qqqq, base_->wwww);
    base_->next = forward ? step.nextAfter : step.nextBefore;
    annotations_.Next() = base_->next;
    typingOpen_ = false;
}

void UndoHistory::Revert(const AnnotationSnapshot& to) {
    base_.reset();
    Apply(Difference(to, annotations_.Take()), false);
}

bool UndoHistory::Undo() {
    if (undo_.empty()) return false;
    Apply(undo_.back(), false);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    return true;
}

bool UndoHistory::Redo() {
    if (redo_.empty()) return false;
    Apply(redo_.back(), true);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    return true;
}

}  // namespace orv
