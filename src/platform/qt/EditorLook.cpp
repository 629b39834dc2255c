#include "platform/qt/EditorLook.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/Screen.h"

namespace orv {

namespace {

// A box's text laid out as its editor lays it out: a plain-text document of the editor's
// font and margin, as wide as the box, without wrapping. Kept between repaints: laying
// out and shaping is most of what painting a note costs, and a repaint paints the same
// notes again.
const QTextDocument& EditorDocument(const QString& text, const QFont& font, double margin,
                                    int width) {
    struct Key {
        QString text;
        QFont font;
        double margin;
        int width;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return qHash(k.text) ^ (qHash(k.font) * 31) ^ std::hash<double>()(k.margin) ^
                   (size_t(k.width) << 11);
        }
    };
    thread_local std::unordered_map<Key, std::unique_ptr<QTextDocument>, KeyHash> documents;
    thread_local bool registered = false;
    if (!registered) {
        // Gone with the application, while its font database is still there.
        registered = true;
        qAddPostRoutine([] { documents.clear(); });
    }
    Key key{text, font, margin, width};
    if (auto it = documents.find(key); it != documents.end()) return *it->second;
    if (documents.size() >= 8192) documents.clear();
    auto doc = std::make_unique<QTextDocument>();
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc.get()));
    doc->setDefaultFont(font);
    doc->setDocumentMargin(margin);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    doc->setDefaultTextOption(option);
    doc->setPlainText(text);
    // Each block's lines as the editor's document layout puts them for its width (which
    // only an editor can give that layout): one after another from the margin, leading
    // included, a negative leading taken up in whole pixels.
    const qreal available = width - 2 * margin;
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        QTextLayout* lines = block.layout();
        lines->setTextOption(doc->defaultTextOption());
        lines->beginLayout();
        qreal height = 0;
        for (QTextLine line = lines->createLine(); line.isValid(); line = lines->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(available);
            line.setPosition(QPointF(margin, height));
            height += line.height();
            if (line.leading() < 0) height += std::ceil(line.leading());
        }
        lines->endLayout();
    }
    return *documents.emplace(std::move(key), std::move(doc)).first->second;
}

}  // namespace

QString EditorText(const QString& model) {
    QString s = model;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QFont EditorFont(const TextBox& box, double scale) {
    QFont font = MakeQFont(box.Font);
    if (scale != 1.0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    return font;
}

double EditorMargin(double scale) {
    return std::round(50.0 / Screen().TwipsPerPixelX * scale);
}

void PaintAsPlainTextEditor(QPainter& p, const TextBox& box, const QRect& rect, double scale) {
    if (rect.isEmpty()) return;
    // The editor's own background, then its text: each block of the document in turn,
    // the first one the margin down from the top, clipped on the right where the editor
    // clips its text.
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.fillRect(rect, ToQColor(box.BackColor));
    const double margin = EditorMargin(scale);
    const QTextDocument& doc =
        EditorDocument(EditorText(box.Text()), EditorFont(box, scale), margin, rect.width());
    auto* layout = static_cast<QPlainTextDocumentLayout*>(doc.documentLayout());
    const double widest = layout->documentSize().width();
    const int right = static_cast<int>(std::max<double>(rect.width(), widest) - margin + 1);
    p.setClipRect(QRect(rect.left(), rect.top(), right + 1, rect.height()), Qt::IntersectClip);
    p.setRenderHints(QPainter::RenderHints());
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(ToQColor(box.ForeColor));
    p.setBrushOrigin(QPointF(rect.topLeft()) + QPointF(0, margin));
    QPointF offset = QPointF(rect.topLeft()) + QPointF(0, margin);
    for (QTextBlock block = doc.firstBlock(); block.isValid(); block = block.next()) {
        const QRectF r = layout->blockBoundingRect(block);
        if (block.isVisible()) block.layout()->draw(&p, offset);
        offset.ry() += r.height();
        if (offset.y() > rect.bottom() + 1) break;
    }
    p.restore();
}

}  // namespace orv
