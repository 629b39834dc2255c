#include "editor/UndoHistory.h"

#include <map>

namespace orv {

namespace {

std::map<AnnotationKey, const AnnotationState*> ByKey(const AnnotationSnapshot& s) {
    std::map<AnnotationKey, const AnnotationState*> out;
    for (const AnnotationState& item : s.Items) out[KeyOf(item)] = &item;
    return out;
}

std::size_t TextBytes(const AnnotationState& s) {
    return std::visit(
        [](const auto& v) -> std::size_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, DistanceState>)
                return (v.Length.Caption.size() + v.Length.ToolTipText.size()) * sizeof(QChar);
            else if constexpr (std::is_same_v<T, ColourState>)
                return (v.Code.Caption.size() + v.Code.ToolTipText.size()) * sizeof(QChar);
            else
                return (v.Box.Text.size() + v.Display.Caption.size() +
                        v.Display.ToolTipText.size()) *
                       sizeof(QChar);
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

UndoStep Difference(const AnnotationSnapshot& a, const AnnotationSnapshot& b) {
    UndoStep step;
    step.qqqqBefore = a.qqqq;
    step.wwwwBefore = a.wwww;
    step.qqqqAfter = b.qqqq;
    step.wwwwAfter = b.wwww;
    const auto before = ByKey(a);
    const auto after = ByKey(b);
    auto i = before.begin();
    auto j = after.begin();
    // Both maps are ordered by key: walk them side by side.
    while (i != before.end() || j != after.end()) {
        if (j == after.end() || (i != before.end() && i->first < j->first)) {
            step.items.push_back({i->first, *i->second, std::nullopt});
            ++i;
        } else if (i == before.end() || j->first < i->first) {
            step.items.push_back({j->first, std::nullopt, *j->second});
            ++j;
        } else {
            if (!(*i->second == *j->second))
                step.items.push_back({i->first, *i->second, *j->second});
            ++i;
            ++j;
        }
    }
    return step;
}

void UndoHistory::Mark() {
    if (!base_) base_ = annotations_.Take();
    typingOpen_ = false;
    acting_ = true;
}

void UndoHistory::Commit(int typingNote) {
    if (applying_ || (typingNote != 0 && acting_)) return;
    acting_ = false;
    AnnotationSnapshot now = annotations_.Take();
    if (!base_) {
        base_ = std::move(now);
        return;
    }
    UndoStep step = Difference(*base_, now);
    if (step.items.empty() && step.qqqqBefore == step.qqqqAfter &&
        step.wwwwBefore == step.wwwwAfter)
        return;
    base_ = std::move(now);
    redo_.clear();
    if (typingNote != 0 && typingOpen_ && !undo_.empty() && undo_.back().typingNote == typingNote) {
        // Another keystroke in the same note: the step spans the whole burst.
        UndoStep& last = undo_.back();
        for (UndoStep::Item& item : step.items) {
            bool merged = false;
            for (UndoStep::Item& old : last.items)
                if (old.key == item.key) {
                    old.after = std::move(item.after);
                    merged = true;
                }
            if (!merged) last.items.push_back(std::move(item));
        }
        last.qqqqAfter = step.qqqqAfter;
        last.wwwwAfter = step.wwwwAfter;
        return;
    }
    step.typingNote = typingNote;
    typingOpen_ = typingNote != 0;
    undo_.push_back(std::move(step));
}

void UndoHistory::Clear() {
    undo_.clear();
    redo_.clear();
    base_.reset();
    typingOpen_ = false;
    acting_ = false;
}

void UndoHistory::Apply(const UndoStep& step, bool forward) {
    std::vector<std::pair<AnnotationKey, const AnnotationState*>> changes;
    changes.reserve(step.items.size());
    for (const UndoStep::Item& item : step.items) {
        const auto& state = forward ? item.after : item.before;
        changes.emplace_back(item.key, state ? &*state : nullptr);
    }
    applying_ = true;
    annotations_.Replace(changes);
    applying_ = false;
    annotations_.SetCounters(forward ? step.qqqqAfter : step.qqqqBefore,
                             forward ? step.wwwwAfter : step.wwwwBefore);
    base_ = annotations_.Take();
    typingOpen_ = false;
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
