// Saving a marked-up picture as a vector document (SVG or PDF): the picture as one embedded,
// losslessly compressed bitmap at its own pixel size, then each annotation as a group of vector
// elements drawn by a painter, and the measurements as metadata. One document unit is one
// picture pixel.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QString>

#include <functional>
#include <vector>

#include "imaging/io/PictureSaver.h"

namespace orv {

// One annotation of a vector document: the element id it is found by ("distance-1"), the name
// a person reads ("Distance 1 — 311px"), and what draws it, in picture pixels.
struct VectorGroup {
    QString id;
    QString title;
    std::function<void(QPainter&)> paint;
};

// What a vector document holds, from the bottom up.
struct VectorDocument {
    QImage picture;                   // the bitmap under everything; sets the document's size
    std::vector<VectorGroup> groups;  // drawn over the picture in this order
    QByteArray metadata;              // JSON for programs (left out when empty)
    QString metadataName;             // what names it: SVG element id, PDF attachment file name
    QString title;                    // the document's title (left out when empty)
};

// The vector formats.
enum class VectorFormat { Svg, Pdf };

// The vector format a file name's extension asks for ("svg", "pdf", any case), if any.
bool VectorFormatOfPath(const QString& path, VectorFormat& format);

// Writes the document as SVG: a viewBox of the picture's size, the picture as a PNG <image>,
// each group as <g id="…"> with a <title>, lines, rectangles and <text> in the label font
// (named with fallbacks), and the metadata as the text of a <metadata> element.
bool WriteSvg(const VectorDocument& doc, QIODevice& device, QString& why);

// Writes the document as PDF: one page of the picture's size, one point to the pixel, the
// picture losslessly compressed, the groups as vector paths and text in embedded font subsets,
// the title in the document information and the metadata as an attached file.
bool WritePdf(const VectorDocument& doc, QIODevice& device, QString& why);

// Writes the document in `format` to `path` the way every save does: beside the target under
// a temporary name, then put in its place, so a failed save leaves an old file untouched.
SaveResult SaveVectorDocument(const VectorDocument& doc, const QString& path, VectorFormat format);

}  // namespace orv
