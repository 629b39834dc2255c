#pragma once
// The annotations on the canvas as things: a distance marker, a colour marker
// and a note are views over their elements in the canvas's control arrays,
// found by index. Annotations lists them, creates and removes them whole, and
// takes and restores a plain-data snapshot of all of them.

#include <array>
#include <optional>
#include <variant>
#include <vector>

#include "annotations/AnnotationSnapshot.h"
#include "annotations/Kinds.h"
#include "platform/ControlArray.h"
#include "platform/Controls.h"

namespace orv {

/// The ten control arrays annotations are made of, owned by the editor.
struct AnnotationArrays {
    ControlArray<Line>& Line1;    ///< distance segments
    ControlArray<Line>& aaaa;     ///< distance start ticks
    ControlArray<Line>& bbbb;     ///< distance end ticks
    ControlArray<Label>& aapx;    ///< distance length labels
    ControlArray<Line>& zba;      ///< first leader legs (colour markers and notes)
    ControlArray<Line>& zbb;      ///< second leader legs
    ControlArray<Label>& co;      ///< colour code labels
    ControlArray<Shape>& Shape1;  ///< colour swatches
    ControlArray<TextBox>& bz;    ///< note text boxes
    ControlArray<Label>& bzz;     ///< note display labels (transparent mode)
};

/// A distance marker: the elements with one index in Line1, aaaa, bbbb and aapx.
struct DistanceMarker {
    int Index;
    Line& Segment;
    Line& StartTick;
    Line& EndTick;
    Label& Length;
};

/// A colour marker: the elements with one index in zba, zbb, co and Shape1.
struct ColourMarker {
    int Index;
    Line& Leg;
    Line& Foot;
    Label& Code;
    Shape& Swatch;
};

/// A note: the elements with one index in zba, zbb, bz and bzz.
struct Note {
    int Index;
    Line& Leg;
    Line& Foot;
    TextBox& Box;
    Label& Display;
};

/// What names an annotation: distance markers and leaders (colour markers and
/// notes, which share their indices) are counted apart.
struct AnnotationKey {
    bool leader = false;
    int index = 0;
    /// The described kind's Family (BoxKind, RedactionKind); 0 for the first three kinds.
    std::uint8_t family = 0;
    auto operator<=>(const AnnotationKey&) const = default;
};
AnnotationKey KeyOf(const AnnotationState& s);

/// Any one annotation.
using Annotation = std::variant<DistanceMarker, ColourMarker, Note>;

/// Equal in everything but the elements' ranks.
bool SameApartFromRanks(const AnnotationState& a, const AnnotationState& b);

/// One annotation to put in place of what has its key: its new state (null:
/// none) and the stacking keys its elements had in that state.
struct AnnotationChange {
    AnnotationKey key;
    const AnnotationState* state = nullptr;
    std::array<std::uint64_t, 4> stack{};
};

class Annotations {
  public:
    /// Views over arrays whose elements live on canvas; qqqq and wwww are the
    /// editor's counters of the next distance marker and the next colour marker or note.
    Annotations(AnnotationArrays arrays, Container& canvas, int& qqqq, int& wwww,
                KindArrays kinds = {});

    /// The annotation with index n when all its elements exist (never a template).
    std::optional<DistanceMarker> DistanceMarkerAt(int n) const;
    std::optional<ColourMarker> ColourMarkerAt(int n) const;
    std::optional<Note> NoteAt(int n) const;

    /// The first index from n on that no element of the kind's arrays holds yet
    /// (colour markers and notes share their leader arrays and so their indices).
    int FreeDistanceIndex(int n) const;
    int FreeLeaderIndex(int n) const;

    /// Loads the elements of a new annotation at a free index n, hidden copies of the templates.
    DistanceMarker CreateDistanceMarker(int n);
    ColourMarker CreateColourMarker(int n);
    Note CreateNote(int n);

    /// Every annotation, oldest first.
    std::vector<Annotation> List() const;
    /// Unloads every element of a, whatever its kind.
    void Remove(const Annotation& a);
    /// Unloads every run-time element of every array, leftovers included.
    void RemoveAll();

    /// Every annotation with all it shows, and the counters.
    AnnotationSnapshot Take() const;
    /// Replaces every annotation by those of s (each element wired as a fresh
    /// load wires it) and sets the counters.
    void Restore(const AnnotationSnapshot& s);

    /// The annotation with this key as Take shows it, but with every element's
    /// rank left 0 (a rank needs the whole painting order), and the stacking keys
    /// of its elements; none when it is not whole. Costs one annotation's reading.
    std::optional<AnnotationState> StateAt(const AnnotationKey& key,
                                           std::array<std::uint64_t, 4>& stack) const;

    /// Replaces the annotations named by the changes with the given states
    /// (none: removed), leaving every other one as it is. Each element takes
    /// back its stacking key, so it lies where it lay in that state; the work is
    /// in proportion to the changes, not to the annotations.
    void Replace(const std::vector<AnnotationChange>& changes);

    /// The editor's counters of the next distance marker and the next colour marker or note.
    int NextDistance() const { return qqqq_; }
    int NextLeader() const { return wwww_; }
    void SetCounters(int qqqq, int wwww) {
        qqqq_ = qqqq;
        wwww_ = wwww;
    }

    const AnnotationArrays& Arrays() const { return arrays_; }

    /// The arrays of the described kinds, and their counters of the next index.
    KindArrays& Kinds() { return kinds_; }
    const KindArrays& Kinds() const { return kinds_; }
    KindCounters& Next() { return next_; }
    const KindCounters& Next() const { return next_; }

    /// Loads a new annotation of kind K at the kind's first free index from its
    /// counter, which then points at it; returns the index.
    template <class K>
    int Create() {
        int& n = K::Counter(next_);
        n = FreeKindIndex<K>(kinds_, n);
        LoadKind<K>(kinds_, n);
        return n;
    }
    /// Every loaded annotation of kind K, in index order.
    template <class K>
    std::vector<typename K::State> All() const {
        std::vector<typename K::State> out;
        const auto& first = std::get<0>(K::Parts);
        if (!(kinds_.*first.array)) return out;
        (kinds_.*first.array)->ForEach([&](const auto& c) {
            if (auto s = StateOf<K>(kinds_, c.Index)) out.push_back(std::move(*s));
        });
        return out;
    }

  private:
    AnnotationArrays arrays_;
    KindArrays kinds_;
    KindCounters next_;
    Container& canvas_;
    int& qqqq_;
    int& wwww_;
};

/// The first element of an annotation (segment or first leg): oldest ones were loaded first.
const Line& FirstElement(const Annotation& a);
/// The index shared by an annotation's elements.
int IndexOf(const Annotation& a);

}  // namespace orv
