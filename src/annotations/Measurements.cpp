#include "annotations/Measurements.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <vector>

#include "annotations/Kinds.h"
#include "imaging/ColourCodes.h"

namespace orv {

namespace {

struct Pixel {
    int x = 0, y = 0;
};

// One annotation in picture pixels, whatever its kind.
struct Measured {
    enum class Kind { Distance, Colour, Note, Described } kind = Kind::Distance;
    QString line;      // a described kind's own line (empty: it measures nothing)
    QJsonObject json;  // and its JSON item
    int number = 0;
    Pixel from, to;     // distance ends; from is also where a leader starts
    double length = 0;  // distance, pixels counting both end pixels
    bool horizontal = true;
    QString label;  // distance: what its label shows
    Colour colour = 0;
    QString text;  // note
};

Pixel At(float x, float y, PixelScale s) {
    return {static_cast<int>(std::floor(x / s.X)), static_cast<int>(std::floor(y / s.Y))};
}

QString WithoutTrailingBreaks(QString t) {
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    return t;
}

std::vector<Measured> Measure(const AnnotationSnapshot& snapshot, PixelScale s) {
    std::vector<Measured> out;
    out.reserve(snapshot.Items.size());
    for (const AnnotationState& a : snapshot.Items) {
        Measured m;
        if (VisitKind(a, [&](auto k, const auto& st) {
                m.kind = Measured::Kind::Described;
                m.line = decltype(k)::MeasurementLine(st, s);
                m.json = decltype(k)::MeasurementJson(st, s);
            })) {
            if (!m.line.isEmpty()) out.push_back(std::move(m));
            continue;
        }
        if (const auto* d = std::get_if<DistanceState>(&a)) {
            const LineState& l = d->Segment;
            m.kind = Measured::Kind::Distance;
            m.number = d->Index;
            m.from = At(l.X1, l.Y1, s);
            m.to = At(l.X2, l.Y2, s);
            const double dx = static_cast<double>(l.X2) - l.X1;
            const double dy = static_cast<double>(l.Y2) - l.Y1;
            // As the length label counts: both end pixels.
            m.length = std::sqrt(dx * dx + dy * dy) / s.X + 1;
            m.horizontal = std::abs(dx) >= std::abs(dy);
            m.label = d->Length.Caption;
        } else if (const auto* c = std::get_if<ColourState>(&a)) {
            m.kind = Measured::Kind::Colour;
            m.number = c->Index;
            m.from = At(c->Leg.X1, c->Leg.Y1, s);
            m.colour = c->Swatch.BackColor;  // the sampled colour, whatever the label's form
        } else {
            const auto& n = std::get<NoteState>(a);
            m.kind = Measured::Kind::Note;
            m.number = n.Index;
            m.from = At(n.Leg.X1, n.Leg.Y1, s);
            m.text = WithoutTrailingBreaks(n.Box.Text);
        }
        out.push_back(std::move(m));
    }
    return out;
}

QString Quoted(const QString& t) {
    QString q;
    q.reserve(t.size() + 2);
    q += QLatin1Char('"');
    for (const QChar c : t) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            q += QLatin1Char('\\');
            q += c;
        } else if (c == QLatin1Char('\n')) {
            q += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\t')) {
            q += QStringLiteral("\\t");
        } else {
            q += c;
        }
    }
    q += QLatin1Char('"');
    return q;
}

// A label showing a length of its own kind ("201px") shows the measurement,
// perhaps from a tick before the last move; anything else is the user's text.
bool IsCustomLabel(const QString& label) {
    static const QRegularExpression lengthText(QStringLiteral("^[0-9]+(\\.[0-9]+)?px$"));
    return !lengthText.match(label).hasMatch();
}

QString PointText(Pixel p) {
    return QStringLiteral("(%1,%2)").arg(p.x).arg(p.y);
}

QJsonArray PointJson(Pixel p) {
    return {p.x, p.y};
}

}  // namespace

QString MeasurementsText(const AnnotationSnapshot& snapshot, PixelScale scale) {
    QStringList lines;
    for (const Measured& m : Measure(snapshot, scale)) {
        switch (m.kind) {
            case Measured::Kind::Distance: {
                const QString length = LengthText(m.length);
                QString line = QStringLiteral("distance %1: %2 %3 from %4 to %5")
                                   .arg(m.number)
                                   .arg(length,
                                        m.horizontal ? QStringLiteral("horizontal")
                                                     : QStringLiteral("vertical"),
                                        PointText(m.from), PointText(m.to));
                if (IsCustomLabel(m.label)) line += QStringLiteral(" labelled ") + Quoted(m.label);
                lines << line;
                break;
            }
            case Measured::Kind::Colour:
                lines << QStringLiteral("colour %1: %2 at %3")
                             .arg(m.number)
                             .arg(WebColour(m.colour), PointText(m.from));
                break;
            case Measured::Kind::Note:
                lines << QStringLiteral("note %1: %2").arg(m.number).arg(Quoted(m.text));
                break;
            case Measured::Kind::Described:
                lines << m.line;
                break;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray MeasurementsJson(const AnnotationSnapshot& snapshot, PixelScale scale) {
    QJsonArray items;
    for (const Measured& m : Measure(snapshot, scale)) {
        switch (m.kind) {
            case Measured::Kind::Distance:
                items.append(QJsonObject{
                    {"kind", "distance"},
                    {"number", m.number},
                    {"length", m.length},
                    {"direction", m.horizontal ? "horizontal" : "vertical"},
                    {"from", PointJson(m.from)},
                    {"to", PointJson(m.to)},
                    {"label", m.label},
                });
                break;
            case Measured::Kind::Colour: {
                const ColourParts p = SplitColour(m.colour);
                items.append(QJsonObject{
                    {"kind", "colour"},
                    {"number", m.number},
                    {"colour", WebColour(m.colour)},
                    {"rgb", QJsonArray{p.R, p.G, p.B}},
                    {"at", PointJson(m.from)},
                });
                break;
            }
            case Measured::Kind::Note:
                items.append(QJsonObject{
                    {"kind", "note"},
                    {"number", m.number},
                    {"text", m.text},
                    {"at", PointJson(m.from)},
                });
                break;
            case Measured::Kind::Described:
                items.append(m.json);
                break;
        }
    }
    const QJsonObject root{{"format", "orvane-measurements"},
                           {"version", kMeasurementsJsonVersion},
                           {"unit", "px"},
                           {"items", items}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

}  // namespace orv
