#pragma once
// The annotation snapshot as versioned JSON text, the form it takes inside the program's
// PSD files (see docs/annotation-format.md).

#include <QByteArray>
#include <QString>

#include "annotations/AnnotationSnapshot.h"

namespace orv {

/// The newest format version this program reads. The bare snapshot is written as version 1;
/// our PSD files carry version 2, which adds the saved layers (AnnotationBlock.h).
inline constexpr int kAnnotationJsonVersion = 2;

/// The snapshot as compact JSON (version 1); the same snapshot always gives the same bytes.
QByteArray AnnotationsToJson(const AnnotationSnapshot& snapshot);

enum class AnnotationJsonError { None, Damaged, UnknownVersion };

/// Reads a snapshot written by AnnotationsToJson. On any error `out` is left untouched and
/// `why` says in a few words what is wrong (not JSON, a missing or mistyped field, a value
/// out of range, a version newer than kAnnotationJsonVersion).
AnnotationJsonError AnnotationsFromJson(const QByteArray& json, AnnotationSnapshot& out,
                                        QString& why);

}  // namespace orv
