#pragma once
// The annotations of an editor as plain data: every visible property of every
// marker and note, and the two index counters. Copyable and comparable, so
// undo, re-editable files and tests can keep, compare and restore it.

#include <QString>
#include <array>
#include <cstdint>
#include <variant>
#include <vector>

#include "platform/Colour.h"
#include "platform/Controls.h"

namespace orv {

/// A line element: both ends in canvas twips, colour, width, visibility, and
/// its rank in the canvas's painting order.
struct LineState {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    Colour BorderColor = 0;
    int BorderWidth = 1;
    bool Visible = false;
    int Rank = 0;
    bool operator==(const LineState&) const = default;
};

/// A label element (length label, colour code, note display label).
struct LabelState {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    QString Caption, ToolTipText;
    FontSpec Font;
    Colour ForeColor = 0, BackColor = 0;
    int BackStyle = 1;  ///< 0 transparent, 1 opaque
    bool AutoSize = false;
    bool Visible = false;
    int Rank = 0;
    bool operator==(const LabelState&) const = default;
};

/// The swatch of a colour marker.
struct ShapeState {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    Colour BorderColor = 0, BackColor = 0;
    int BorderWidth = 1;
    int BackStyle = 0;
    bool Visible = false;
    int Rank = 0;
    bool operator==(const ShapeState&) const = default;
};

/// The text box of a note.
struct TextBoxState {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    QString Text;
    FontSpec Font;
    Colour ForeColor = 0, BackColor = 0;
    bool MultiLine = true;
    bool Visible = false;
    int Rank = 0;
    bool operator==(const TextBoxState&) const = default;
};

/// A distance marker: the measured segment, its end ticks and its length label.
struct DistanceState {
    int Index = 0;
    LineState Segment, StartTick, EndTick;
    LabelState Length;
    bool operator==(const DistanceState&) const = default;
};

/// A colour marker: the two leader legs, the colour code label and the swatch.
struct ColourState {
    int Index = 0;
    LineState Leg, Foot;
    LabelState Code;
    ShapeState Swatch;
    bool operator==(const ColourState&) const = default;
};

/// A note: the two leader legs, the text box and its transparent display label.
struct NoteState {
    int Index = 0;
    LineState Leg, Foot;
    TextBoxState Box;
    LabelState Display;
    bool operator==(const NoteState&) const = default;
};

/// A box measure: its outline and its size label ("120 × 36px").
struct BoxState {
    int Index = 0;
    ShapeState Frame;
    LabelState Size;
    bool operator==(const BoxState&) const = default;
};

/// A redacted area of the picture: the rectangle, BackStyle 0 for pixelated
/// blocks, 1 for a solid black fill. Never drawn itself: it changes the picture.
struct RedactionState {
    int Index = 0;
    ShapeState Area;
    bool operator==(const RedactionState&) const = default;
};

/// One annotation of any kind.
using AnnotationState =
    std::variant<DistanceState, ColourState, NoteState, BoxState, RedactionState>;

/// The next index of each kind that counts its own (boxes, redactions).
struct KindCounters {
    int boxes = 1;
    int redactions = 1;
    bool operator==(const KindCounters&) const = default;
};

/// Every annotation of an editor in creation order, with the counters of the
/// next distance marker (qqqq) and the next colour marker or note (wwww).
struct AnnotationSnapshot {
    std::vector<AnnotationState> Items;
    int qqqq = 1;
    int wwww = 1;
    KindCounters next;
    /// The stacking keys of each item's four elements, in the order of Items
    /// (empty when not taken from an editor): what lets undo put an element back
    /// exactly where it was without restacking the others. Not compared.
    std::vector<std::array<std::uint64_t, 4>> Stacks;
    bool operator==(const AnnotationSnapshot& o) const {
        return Items == o.Items && qqqq == o.qqqq && wwww == o.wwww && next == o.next;
    }
};

}  // namespace orv
