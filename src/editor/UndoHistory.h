#pragma once
// The editor's undo and redo: each step keeps only the annotations that a user
// change touched (their states before and after, by kind and index) and the two
// counters, so a step costs memory in proportion to what it changed. The history
// keeps its own copy of every annotation and is told which ones may have changed
// (Touch); recording a step reads and compares only those, so it costs time in
// proportion to the change too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "annotations/Annotations.h"

namespace orv {

/// One recorded change: what differs between two snapshots.
struct UndoStep {
    struct Item {
        AnnotationKey key;
        std::optional<AnnotationState> before, after;
        /// The stacking keys of its elements before and after: putting them
        /// back restores its place without touching the others.
        std::array<std::uint64_t, 4> stackBefore{}, stackAfter{};
    };
    std::vector<Item> items;
    int qqqqBefore = 1, wwwwBefore = 1, qqqqAfter = 1, wwwwAfter = 1;
    KindCounters nextBefore, nextAfter;  ///< the described kinds' counters
    int typingNote = 0;  ///< the note a typing step belongs to, 0 for any other step
    /// Bytes the step holds, text included.
    std::size_t Bytes() const;
};

/// The annotations of a state by key, with their elements' stacking keys and
/// the counters: what a step is measured against, patched by undo and redo.
struct KeyedAnnotations {
    struct Entry {
        AnnotationState state;
        std::array<std::uint64_t, 4> stack{};
    };
    std::map<AnnotationKey, Entry> items;
    int qqqq = 1, wwww = 1;
    KindCounters next;
    static KeyedAnnotations Of(const AnnotationSnapshot& s);
};

/// The difference from a to b; empty items and equal counters when nothing
/// changed. An annotation is part of it when its content or the stacking key
/// of one of its elements changed; ranks that only shifted because others
/// were added or removed do not count.
UndoStep Difference(const KeyedAnnotations& a, const KeyedAnnotations& b);
inline UndoStep Difference(const AnnotationSnapshot& a, const AnnotationSnapshot& b) {
    return Difference(KeyedAnnotations::Of(a), KeyedAnnotations::Of(b));
}

/// How a history finds what an action changed.
enum class Recording {
    Touched,        ///< reads only the annotations it was told of
    FullSnapshots,  ///< compares a snapshot of every annotation (the slow way, kept to compare)
};

class UndoHistory {
  public:
    explicit UndoHistory(Annotations& annotations) : annotations_(annotations) {}

    /// How the steps from now on are found (Touched unless a comparison asks otherwise).
    void SetRecording(Recording r) { recording_ = r; }

    /// The annotation with this key may have changed, or appeared or gone: the
    /// next step reads it again. Whatever changes an annotation tells of it.
    void Touch(const AnnotationKey& key) {
        if (!applying_) touched_.insert(key);
    }
    /// Tells of the annotations the editor is working on (its current indices),
    /// called at the start and end of every action.
    std::function<void(UndoHistory&)> TouchCurrent;

    /// What Escape puts back: the annotations as they were at a press.
    struct RestorePoint {
        int qqqq = 1, wwww = 1;
        KindCounters next;
        /// The annotations that had changed since the last step, as they were.
        std::map<AnnotationKey, std::optional<KeyedAnnotations::Entry>> pending;
        std::optional<AnnotationSnapshot> full;  ///< recording by full snapshots
    };
    /// The state now, to put back later within the same action.
    RestorePoint Here();
    /// Puts the annotations back to a point taken within the action under way,
    /// so that the action leaves no step.
    void Revert(const RestorePoint& to);

    /// Before a user action: makes sure the state it starts from is known, and
    /// ends any typing burst.
    void Mark();
    /// After a user action: records what it changed, if anything, and ends the
    /// action. A typing change (typingNote, the note's index) inside an action is
    /// left to the action; successive ones outside merge into one step for the
    /// same note while nothing else is recorded.
    void Commit(int typingNote = 0);
    /// Ends a typing burst: the next keystroke starts a new step.
    void EndTyping() { typingOpen_ = false; }
    /// Puts the annotations back to `to`, a state the action under way started
    /// from, so that the action leaves no step.
    void Revert(const AnnotationSnapshot& to);
    /// Forgets every step (a new picture was opened).
    void Clear();

    bool Undo();
    bool Redo();
    std::size_t UndoCount() const { return undo_.size(); }
    std::size_t RedoCount() const { return redo_.size(); }
    const UndoStep* Last() const { return undo_.empty() ? nullptr : &undo_.back(); }
    /// Grows with every step recorded, undone, redone or forgotten: while it stays the
    /// same, the annotations are as they were (a cheap test for code that copies them).
    std::uint64_t Revision() const { return revision_; }

  private:
    void Apply(const UndoStep& step, bool forward);
    /// Makes sure the state is known (a full snapshot the first time).
    void EnsureBase();
    /// The step from the known state to the annotations now: the touched ones, or all.
    UndoStep Measure();
    /// Brings the known state up to the annotations now by a measured step.
    void Patch(const UndoStep& step);

    Annotations& annotations_;
    std::optional<KeyedAnnotations> base_;  ///< the state after the last recorded step
    std::vector<UndoStep> undo_, redo_;
    bool typingOpen_ = false;
    bool acting_ = false;    ///< between Mark and the Commit that ends the action
    bool applying_ = false;  ///< undo or redo under way: its own text changes are not steps
    std::uint64_t revision_ = 0;
    Recording recording_ = Recording::Touched;
    std::set<AnnotationKey> touched_;  ///< may differ from the known state
};

}  // namespace orv
