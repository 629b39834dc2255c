#include "editor/UndoHistory.h"

#include <algorithm>
#include <climits>
#include <cstdint>
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
    // Annotations in both whose content is the same: left alone unless their
    // order among each other changed.
    std::vector<std::pair<const AnnotationState*, const AnnotationState*>> same;
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
            if (*i->second == *j->second || SameApartFromRanks(*i->second, *j->second))
                same.emplace_back(i->second, j->second);
            else
                step.items.push_back({i->first, *i->second, *j->second});
            ++i;
            ++j;
        }
    }
    // The elements of those, bottom first in a; the longest run that is also
    // bottom first in b keeps its order, and an annotation with an element
    // outside that run was restacked: it joins the step.
    struct Element {
        int rankA, rankB;
        size_t owner;
    };
    std::vector<Element> elements;
    elements.reserve(same.size() * 4);
    for (size_t k = 0; k < same.size(); ++k) {
        const auto ra = ElementRanks(*same[k].first), rb = ElementRanks(*same[k].second);
        for (int e = 0; e < 4; ++e) elements.push_back({ra[e], rb[e], k});
    }
    std::sort(elements.begin(), elements.end(),
              [](const Element& x, const Element& y) { return x.rankA < y.rankA; });
    std::vector<bool> moved(same.size(), false);
    const bool inOrder =
        std::is_sorted(elements.begin(), elements.end(),
                       [](const Element& x, const Element& y) { return x.rankB < y.rankB; });
    if (!inOrder) {
        // Longest increasing run of rankB: tails by length, with back links.
        std::vector<size_t> tails, back(elements.size(), SIZE_MAX);
        for (size_t k = 0; k < elements.size(); ++k) {
            const auto at =
                std::lower_bound(tails.begin(), tails.end(), elements[k].rankB,
                                 [&](size_t t, int r) { return elements[t].rankB < r; });
            if (at != tails.begin()) back[k] = *(at - 1);
            if (at == tails.end())
                tails.push_back(k);
            else
                *at = k;
        }
        std::vector<bool> kept(elements.size(), false);
        for (size_t k = tails.empty() ? SIZE_MAX : tails.back(); k != SIZE_MAX; k = back[k])
            kept[k] = true;
        for (size_t k = 0; k < elements.size(); ++k)
            if (!kept[k]) moved[elements[k].owner] = true;
        for (size_t k = 0; k < same.size(); ++k)
            if (moved[k])
                step.items.push_back({KeyOf(*same[k].first), *same[k].first, *same[k].second});
        std::sort(step.items.begin(), step.items.end(),
                  [](const UndoStep::Item& x, const UndoStep::Item& y) { return x.key < y.key; });
    }
    // Ranks of the elements left alone, to count those below each changed element.
    std::vector<int> stillA, stillB;
    stillA.reserve(elements.size());
    stillB.reserve(elements.size());
    for (const Element& e : elements)
        if (!moved[e.owner]) {
            stillA.push_back(e.rankA);
            stillB.push_back(e.rankB);
        }
    std::sort(stillA.begin(), stillA.end());
    std::sort(stillB.begin(), stillB.end());
    const auto below = [](const std::vector<int>& still, const AnnotationState& s) {
        std::array<int, 4> out{};
        const auto ranks = ElementRanks(s);
        for (int e = 0; e < 4; ++e)
            out[e] = static_cast<int>(std::lower_bound(still.begin(), still.end(), ranks[e]) -
                                      still.begin());
        return out;
    };
    for (UndoStep::Item& item : step.items) {
        if (item.before) item.belowBefore = below(stillA, *item.before);
        if (item.after) item.belowAfter = below(stillB, *item.after);
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
                    old.belowAfter = item.belowAfter;
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
    std::vector<AnnotationChange> changes;
    changes.reserve(step.items.size());
    for (const UndoStep::Item& item : step.items) {
        const auto& state = forward ? item.after : item.before;
        changes.push_back(
            {item.key, state ? &*state : nullptr, forward ? item.belowAfter : item.belowBefore});
    }
    applying_ = true;
    annotations_.Replace(changes);
    applying_ = false;
    annotations_.SetCounters(forward ? step.qqqqAfter : step.qqqqBefore,
                             forward ? step.wwwwAfter : step.wwwwBefore);
    base_ = annotations_.Take();
    typingOpen_ = false;
}

void UndoHistory::Revert(const AnnotationSnapshot& to) {
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
