#pragma once
// A redaction: a rectangle of the picture whose pixels are replaced, in blocks
// of 12 picture pixels each showing the mean of its block, or by solid black.
// It draws nothing itself: the editor applies it to the picture under every
// other annotation, so no saved file holds the pixels it covers.

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <tuple>

#include "annotations/KindParts.h"
#include "annotations/Measurements.h"

namespace orv {

/// How a redaction hides its area (the area shape's BackStyle).
enum class RedactionFill { Pixelate = 0, Black = 1 };

struct RedactionKind {
    using State = RedactionState;
    static constexpr std::uint8_t Family = 2;
    static constexpr const char* Name = "redaction";
    static constexpr std::tuple Parts{Part<RedactionState, ShapeState, Shape>{
        "area", &RedactionState::Area, &KindArrays::redaction}};
    static int& Counter(KindCounters& c) { return c.redactions; }
    /// The element a press picks and the arrow keys move: the area itself.
    static constexpr auto Handle = &KindArrays::redaction;
    /// A drag leaves it where it lies among the others: a later one stays above it.
    static constexpr bool HandleRises = false;

    /// A redaction measures nothing: no line, no layer (it is in the picture layer).
    static QString MeasurementLine(const State&, PixelScale) { return {}; }
    static QJsonObject MeasurementJson(const State&, PixelScale) { return {}; }
    static QString LayerName(const State&) { return {}; }
};

}  // namespace orv
