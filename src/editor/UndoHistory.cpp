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

void UndoHistory::EnsureBase() {
    if (base_) return;
    base_ = KeyedAnnotations::Of(annotations_.Take());
    touched_.clear();  // the known state is now the annotations as they are
}

UndoStep UndoHistory::Measure() {
    if (recording_ == Recording::FullSnapshots) {
        touched_.clear();
        return Difference(*base_, KeyedAnnotations::Of(annotations_.Take()));
    }
    UndoStep step;
    step.qqqqBefore = base_->qqqq;
    step.wwwwBefore = base_->wwww;
    step.nextBefore = base_->next;
    step.qqqqAfter = annotations_.NextDistance();
    step.wwwwAfter = annotations_.NextLeader();
    step.nextAfter = annotations_.Next();
    // The touched keys in order, as a walk over every key would find them.
    for (const AnnotationKey& key : touched_) {
        std::array<std::uint64_t, 4> stack{};
        std::optional<AnnotationState> now = annotations_.StateAt(key, stack);
        const auto was = base_->items.find(key);
        if (was == base_->items.end()) {
            if (now) step.items.push_back({key, std::nullopt, std::move(now), {}, stack});
            continue;
        }
        const KeyedAnnotations::Entry& x = was->second;
        if (!now)
            step.items.push_back({key, x.state, std::nullopt, x.stack, {}});
        else if (x.stack != stack || !(x.state == *now || SameApartFromRanks(x.state, *now)))
            step.items.push_back({key, x.state, std::move(now), x.stack, stack});
    }
    touched_.clear();
    return step;
}

void UndoHistory::Patch(const UndoStep& step) {
    for (const UndoStep::Item& item : step.items) {
        if (item.after)
            base_->items.insert_or_assign(item.key,
                                          KeyedAnnotations::Entry{*item.after, item.stackAfter});
        else
            base_->items.erase(item.key);
    }
    base_->qqqq = step.qqqqAfter;
    base_->wwww = step.wwwwAfter;
    base_->next = step.nextAfter;
}

void UndoHistory::Mark() {
    if (TouchCurrent) TouchCurrent(*this);
    EnsureBase();
    typingOpen_ = false;
    acting_ = true;
}

void UndoHistory::Commit(int typingNote) {
    if (applying_ || (typingNote != 0 && acting_)) return;
    acting_ = false;
    if (TouchCurrent) TouchCurrent(*this);
    if (!base_) {
        EnsureBase();
        return;
    }
    UndoStep step = Measure();
    if (step.items.empty() && step.qqqqBefore == step.qqqqAfter &&
        step.wwwwBefore == step.wwwwAfter && step.nextBefore == step.nextAfter)
        return;
    Patch(step);
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
    touched_.clear();
    typingOpen_ = false;
    acting_ = false;
}

void UndoHistory::Apply(const UndoStep& step, bool forward) {
    ++revision_;
    std::vector<AnnotationChange> changes;
    changes.reserve(step.items.size());
    EnsureBase();
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

UndoHistory::RestorePoint UndoHistory::Here() {
    if (TouchCurrent) TouchCurrent(*this);
    RestorePoint at;
    at.qqqq = annotations_.NextDistance();
    at.wwww = annotations_.NextLeader();
    at.next = annotations_.Next();
    if (recording_ == Recording::FullSnapshots || !base_) {
        at.full = annotations_.Take();
        return at;
    }
    // Whatever was not touched since the last step is as the known state has it.
    for (const AnnotationKey& key : touched_) {
        std::array<std::uint64_t, 4> stack{};
        std::optional<AnnotationState> now = annotations_.StateAt(key, stack);
        at.pending.emplace(key, now ? std::optional<KeyedAnnotations::Entry>(
                                          KeyedAnnotations::Entry{std::move(*now), stack})
                                    : std::nullopt);
    }
    return at;
}

void UndoHistory::Revert(const RestorePoint& to) {
    if (to.full || !base_) {
        if (to.full) Revert(*to.full);
        return;
    }
    if (TouchCurrent) TouchCurrent(*this);
    // Every annotation touched since the last step goes back to what it was at
    // the point; the known state becomes that point, as a snapshot taken there would be.
    std::vector<std::optional<KeyedAnnotations::Entry>> targets;
    targets.reserve(touched_.size());
    std::vector<AnnotationChange> changes;
    changes.reserve(touched_.size());
    for (const AnnotationKey& key : touched_) {
        if (const auto p = to.pending.find(key); p != to.pending.end()) {
            targets.push_back(p->second);
        } else if (const auto b = base_->items.find(key); b != base_->items.end()) {
            targets.push_back(b->second);
        } else {
            targets.emplace_back();
        }
    }
    std::size_t i = 0;
    for (const AnnotationKey& key : touched_) {
        const auto& target = targets[i++];
        // Only what differs: a key with nothing whole under it may still hold
        // leftover elements, which stay as they are.
        std::array<std::uint64_t, 4> stack{};
        const std::optional<AnnotationState> now = annotations_.StateAt(key, stack);
        if (!target ? !now
                    : now && stack == target->stack && SameApartFromRanks(*now, target->state))
            continue;
        changes.push_back({key, target ? &target->state : nullptr,
                           target ? target->stack : std::array<std::uint64_t, 4>{}});
    }
    ++revision_;
    applying_ = true;
    annotations_.Replace(changes);
    applying_ = false;
    i = 0;
    for (const AnnotationKey& key : touched_) {
        auto& target = targets[i++];
        if (target)
            base_->items.insert_or_assign(key, std::move(*target));
        else
            base_->items.erase(key);
    }
    touched_.clear();
    base_->qqqq = to.qqqq;
    base_->wwww = to.wwww;
    base_->next = to.next;
    annotations_.SetCounters(to.qqqq, to.wwww);
    annotations_.Next() = to.next;
    typingOpen_ = false;
}

void UndoHistory::Revert(const AnnotationSnapshot& to) {
    base_.reset();
    Apply(Difference(to, annotations_.Take()), false);
    touched_.clear();
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
