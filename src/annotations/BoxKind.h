#pragma once
// The box measure: a thin outline round a rectangle of the picture and a label
// with its size in picture pixels, "120 × 36px", counted as a distance marker
// counts (both edge pixels), so a box from pixel 10 to pixel 129 reads 120.

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <tuple>

#include "annotations/KindParts.h"
#include "annotations/Measurements.h"

namespace orv {

struct BoxKind {
    using State = BoxState;
    /// Numbers of boxes are counted apart from every other kind's.
    static constexpr std::uint8_t Family = 1;
    /// The kind's name in the annotation JSON.
    static constexpr const char* Name = "box";
    static constexpr std::tuple Parts{
        Part<BoxState, ShapeState, Shape>{"frame", &BoxState::Frame, &KindArrays::boxFrame},
        Part<BoxState, LabelState, Label>{"size", &BoxState::Size, &KindArrays::boxSize}};
    static int& Counter(KindCounters& c) { return c.boxes; }
    /// The element a press picks, the arrow keys move and the window frames: the size label.
    static constexpr auto Handle = &KindArrays::boxSize;
    /// Whether a drag of it brings it to the front.
    static constexpr bool HandleRises = true;

    /// "box 1: 120 × 36px at (64,312)", with ` labelled "…"` for a text of the user's own.
    static QString MeasurementLine(const State& s, PixelScale scale);
    static QJsonObject MeasurementJson(const State& s, PixelScale scale);
    /// "Box 1 — 120 × 36px": the name of its layer in a saved PSD.
    static QString LayerName(const State& s);
};

/// The text a box of w × h picture pixels shows: "120 × 36px".
QString BoxSizeText(int w, int h);

}  // namespace orv
