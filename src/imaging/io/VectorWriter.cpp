#include "imaging/io/VectorWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "imaging/io/PictureWriters.h"

namespace orv {

namespace {

// Pixels per inch of the SVG's user units (CSS pixels), for anything measured in points.
constexpr int kSvgPixelsPerInch = 96;
// Pixels per inch of the PDF page: one point to the pixel. Pages come in whole points, so only
// this way is the page exactly the picture's size whatever that size is (at 96 to the inch a
// width that is not a multiple of four would gain or lose part of a pixel).
constexpr int kPdfPixelsPerInch = 72;

QImage Opaque(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

QByteArray Escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

// The families an SVG renderer should try for a font the painter named: the family asked for,
// the one it resolves to on this system when that differs (so a renderer here finds the very
// glyphs), then the generic family.
QByteArray FamilyWithFallbacks(const QString& family) {
    static QHash<QString, QByteArray> known;
    const auto found = known.constFind(family);
    if (found != known.constEnd()) return *found;
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    const QString resolved = QFontInfo(font).family();
    const auto quoted = [](const QString& name) {
        return name.contains(QLatin1Char(' ')) ? QStringLiteral("'%1'").arg(name) : name;
    };
    QString list = quoted(family);
    if (!resolved.isEmpty() && resolved.compare(family, Qt::CaseInsensitive) != 0)
        list += QStringLiteral(", ") + quoted(resolved);
    list += QStringLiteral(", sans-serif");
    return *known.insert(family, Escaped(list));
}

// An attribute value as the generator escaped it, back to its text.
QString Unescaped(QString value) {
    value.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return value;
}

// What the SVG generator draws for one group, without its document around it: the elements
// between the end of its definitions and the closing </svg>, with every font family given
// its fallbacks.
QByteArray GroupElements(const VectorGroup& group, QSize size) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kSvgPixelsPerInch);
        QPainter painter(&generator);
        if (group.paint) group.paint(painter);
    }
    const QByteArray& svg = buffer.data();
    static const QByteArray kDefsEnd("</defs>");
    const qsizetype defs = svg.indexOf(kDefsEnd);
    const qsizetype end = svg.lastIndexOf("</svg>");
    if (defs < 0 || end < defs) return {};
    QByteArray elements = svg.mid(defs + kDefsEnd.size(), end - defs - kDefsEnd.size());
    static const QRegularExpression kFamily(QStringLiteral("font-family=\"([^\"]*)\""));
    QByteArray out;
    out.reserve(elements.size() + 256);
    const QString text = QString::fromUtf8(elements);
    qsizetype at = 0;
    for (auto match = kFamily.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        out += text.mid(at, m.capturedStart() - at).toUtf8();
        out += "font-family=\"" + FamilyWithFallbacks(Unescaped(m.captured(1))) + '"';
        at = m.capturedEnd();
    }
    out += text.mid(at).toUtf8();
    return out;
}

bool Put(QIODevice& device, const QByteArray& bytes, QString& why) {
    if (device.write(bytes) == bytes.size()) return true;
    why = device.errorString();
    return false;
}

// The picture as a PNG data address, written in pieces so a large picture never needs a second
// copy of its text in memory.
bool PutPictureImage(QIODevice& device, const QImage& picture, QString& why) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!detail::WritePng(Opaque(picture), png)) {
        why = QStringLiteral("the picture could not be encoded");
        return false;
    }
    const QByteArray head = QStringLiteral(
                                "<image id=\"picture\" x=\"0\" y=\"0\" width=\"%1\" height=\"%2\" "
                                "preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
                                "xlink:href=\"data:image/png;base64,")
                                .arg(picture.width())
                                .arg(picture.height())
                                .toUtf8();
    if (!Put(device, head, why)) return false;
    // Whole groups of three bytes per piece, so the pieces join into one base64 text.
    constexpr qsizetype kPiece = 3 * 1024 * 1024;
    const QByteArray& bytes = png.data();
    for (qsizetype at = 0; at < bytes.size(); at += kPiece) {
        if (!Put(device, bytes.mid(at, kPiece).toBase64(), why)) return false;
    }
    return Put(device, "\"/>\n", why);
}

}  // namespace

bool VectorFormatOfPath(const QString& path, VectorFormat& format) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        format = VectorFormat::Svg;
        return true;
    }
    if (suffix.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        format = VectorFormat::Pdf;
        return true;
    }
    return false;
}

bool WriteSvg(const VectorDocument& doc, QIODevice& device, QString& why) {
    if (doc.picture.isNull()) {
        why = QStringLiteral("there is no picture");
        return false;
    }
    const QSize size = doc.picture.size();
    QByteArray head =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
            "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" version=\"1.1\" "
            "width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
            .arg(size.width())
            .arg(size.height())
            .toUtf8();
    if (!doc.title.isEmpty()) head += "<title>" + Escaped(doc.title) + "</title>\n";
    if (!doc.metadata.isEmpty()) {
        head += "<metadata id=\"" + Escaped(doc.metadataName) + "\">" +
                Escaped(QString::fromUtf8(doc.metadata)) + "</metadata>\n";
    }
    if (!Put(device, head, why) || !PutPictureImage(device, doc.picture, why)) return false;
    for (const VectorGroup& group : doc.groups) {
        const QByteArray id = Escaped(group.id), title = Escaped(group.title);
        QByteArray element = "<g id=\"" + id + "\" inkscape:label=\"" + title + "\">\n<title>" +
                             title + "</title>" + GroupElements(group, size) + "</g>\n";
        if (!Put(device, element, why)) return false;
    }
    return Put(device, "</svg>\n", why);
}

bool WritePdf(const VectorDocument& doc, QIODevice& device, QString& why) {
    if (doc.picture.isNull()) {
        why = QStringLiteral("there is no picture");
        return false;
    }
    const QSize size = doc.picture.size();
    QPdfWriter pdf(&device);
    pdf.setResolution(kPdfPixelsPerInch);
    const QSizeF points(size.width() * 72.0 / kPdfPixelsPerInch,
                        size.height() * 72.0 / kPdfPixelsPerInch);
    // An exact page: the nearest standard paper size is never taken instead.
    pdf.setPageLayout(QPageLayout(
        QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point, QMarginsF(0, 0, 0, 0)));
    pdf.setCreator(QStringLiteral("Orvane Tessaly"));
    if (!doc.title.isEmpty()) pdf.setTitle(doc.title);
    if (!doc.metadata.isEmpty())
        pdf.addFileAttachment(doc.metadataName, doc.metadata, QStringLiteral("application/json"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        why = QStringLiteral("the PDF could not be started");
        return false;
    }
    // Flate, never JPEG: the picture keeps every pixel.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    // A hair short of its whole pixels: Poppler's readers widen an image to the next device
    // pixel past its box and resample it, which at the exact size blurs every pixel; this
    // way it lands on its pixels one to one there, and nowhere does the picture look smaller.
    constexpr double kShort = 1.0 / 256;
    painter.drawImage(QRectF(0, 0, size.width() - kShort, size.height() - kShort),
                      Opaque(doc.picture));
    for (const VectorGroup& group : doc.groups) {
        if (!group.paint) continue;
        painter.save();
        group.paint(painter);
        painter.restore();
    }
    if (!painter.end()) {
        why = QStringLiteral("the PDF could not be finished");
        return false;
    }
    return true;
}

SaveResult SaveVectorDocument(const VectorDocument& doc, const QString& path, VectorFormat format) {
    if (doc.picture.isNull())
        return {SaveError::EmptyPicture, QStringLiteral("There is no picture to save")};
    const bool svg = format == VectorFormat::Svg;
    return SaveThroughDevice(
        path, QLatin1String(svg ? "SVG" : "PDF"), [&](QIODevice& device, QString& why) {
            return svg ? WriteSvg(doc, device, why) : WritePdf(doc, device, why);
        });
}

}  // namespace orv
