#pragma once
// What the annotations say, as text for people and as JSON for programs: the
// length, direction and ends of each distance marker, the sampled colour and
// its place of each colour marker, the text of each note. Positions and
// lengths are in picture pixels. Built from a snapshot alone, so the same
// annotations always give the same text.

#include <QByteArray>
#include <QString>

#include "annotations/AnnotationSnapshot.h"

namespace orv {

/// The version of the measurements JSON ("format": "orvane-measurements").
inline constexpr int kMeasurementsJsonVersion = 1;

/// Twips per picture pixel of the canvas the snapshot was taken on.
struct PixelScale {
    float X = 15.0f, Y = 15.0f;
};

/// One line per annotation, oldest first, numbered by the annotation's index
/// (as its layer in a saved PSD is):
///   distance 1: 311px horizontal from (120,340) to (430,340)
///   distance 2: 40px vertical from (5,10) to (5,49) labelled "Gutter"
///   colour 1: #6C5CE7 at (812,455)
///   note 2: "Peak day: keep this bar colour"
/// A distance label showing a text of its own (not a length like "201px")
/// adds it as `labelled "…"`. Quoted text escapes backslash, double quote, tab and line
/// breaks as \\ \" \t \n; a note's trailing line breaks are left out.
/// Lines are joined by "\n"; no annotations give an empty text.
QString MeasurementsText(const AnnotationSnapshot& snapshot, PixelScale scale);

/// The same annotations as compact JSON:
///   {"format":"orvane-measurements","version":1,"unit":"px","items":[
///     {"kind":"distance","number":1,"length":311,"direction":"horizontal",
///      "from":[120,340],"to":[430,340],"label":"311px"},
///     {"kind":"colour","number":1,"colour":"#6C5CE7","rgb":[108,92,231],"at":[812,455]},
///     {"kind":"note","number":2,"text":"Peak day","at":[40,50]}]}
QByteArray MeasurementsJson(const AnnotationSnapshot& snapshot, PixelScale scale);

}  // namespace orv
