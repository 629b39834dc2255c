#include "annotations/AnnotationJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "annotations/Annotations.h"
#include "annotations/Kinds.h"

namespace orv {

namespace {

// Bounds a file may not pass: indices and counters, items, and positions in twips.
constexpr int kMaxIndex = 1000000;
constexpr qsizetype kMaxItems = 100000;
constexpr double kMaxTwips = 1.0e9;
// The longest text (a caption, a note, a tip) a block may hold, in UTF-16 units.
constexpr qsizetype kMaxText = 64 * 1024;

QString ColourText(Colour c) {
    const uint32_t rgb = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    const uint32_t high = c >> 24;
    return high ? QStringLiteral("#%1%2")
                      .arg(high, 2, 16, QLatin1Char('0'))
                      .arg(rgb, 6, 16, QLatin1Char('0'))
                      .toUpper()
                : QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QJsonObject Font(const FontSpec& f) {
    return {{"name", f.Name}, {"size", f.Size}, {"bold", f.Bold}};
}

QJsonObject Line(const LineState& l) {
    return {{"x1", l.X1},
            {"y1", l.Y1},
            {"x2", l.X2},
            {"y2", l.Y2},
            {"colour", ColourText(l.BorderColor)},
            {"width", l.BorderWidth},
            {"visible", l.Visible},
            {"rank", l.Rank}};
}

QJsonObject Label(const LabelState& l) {
    return {{"left", l.Left},
            {"top", l.Top},
            {"width", l.Width},
            {"height", l.Height},
            {"caption", l.Caption},
            {"tooltip", l.ToolTipText},
            {"font", Font(l.Font)},
            {"foreColour", ColourText(l.ForeColor)},
            {"backColour", ColourText(l.BackColor)},
            {"backStyle", l.BackStyle},
            {"autoSize", l.AutoSize},
            {"visible", l.Visible},
            {"rank", l.Rank}};
}

QJsonObject Shape(const ShapeState& s) {
    return {{"left", s.Left},
            {"top", s.Top},
            {"width", s.Width},
            {"height", s.Height},
            {"borderColour", ColourText(s.BorderColor)},
            {"backColour", ColourText(s.BackColor)},
            {"borderWidth", s.BorderWidth},
            {"backStyle", s.BackStyle},
            {"visible", s.Visible},
            {"rank", s.Rank}};
}

QJsonObject Box(const TextBoxState& b) {
    return {{"left", b.Left},
            {"top", b.Top},
            {"width", b.Width},
            {"height", b.Height},
            {"text", b.Text},
            {"font", Font(b.Font)},
            {"foreColour", ColourText(b.ForeColor)},
            {"backColour", ColourText(b.BackColor)},
            {"multiLine", b.MultiLine},
            {"visible", b.Visible},
            {"rank", b.Rank}};
}

[[maybe_unused]] QJsonObject ElementJson(const LineState& s) {
    return Line(s);
}
[[maybe_unused]] QJsonObject ElementJson(const LabelState& s) {
    return Label(s);
}
[[maybe_unused]] QJsonObject ElementJson(const ShapeState& s) {
    return Shape(s);
}
[[maybe_unused]] QJsonObject ElementJson(const TextBoxState& s) {
    return Box(s);
}

QJsonObject Item(const AnnotationState& a) {
    QJsonObject described;
    if (VisitKind(a, [&](auto k, const auto& st) {
            using K = decltype(k);
            described = {{"kind", K::Name}, {"index", st.Index}};
            ForEachPart<K>([&](const auto& p) {
                described.insert(QLatin1String(p.name), ElementJson(st.*p.state));
            });
        }))
        return described;
    if (const auto* d = std::get_if<DistanceState>(&a))
        return {{"kind", "distance"},          {"index", d->Index},
                {"segment", Line(d->Segment)}, {"startTick", Line(d->StartTick)},
                {"endTick", Line(d->EndTick)}, {"length", Label(d->Length)}};
    if (const auto* c = std::get_if<ColourState>(&a))
        return {{"kind", "colour"},      {"index", c->Index},      {"leg", Line(c->Leg)},
                {"foot", Line(c->Foot)}, {"code", Label(c->Code)}, {"swatch", Shape(c->Swatch)}};
    const auto& n = std::get<NoteState>(a);
    return {{"kind", "note"},       {"index", n.Index},  {"leg", Line(n.Leg)},
            {"foot", Line(n.Foot)}, {"box", Box(n.Box)}, {"display", Label(n.Display)}};
}

// The key a quoted JSON string stands for; escapes (rare in keys) are decoded by Qt's parser.
std::string KeyText(const QByteArray& json, qsizetype from, qsizetype to, bool escaped) {
    if (!escaped) return std::string(json.constData() + from, std::size_t(to - from));
    const QJsonDocument one =
        QJsonDocument::fromJson("[" + json.mid(from - 1, to - from + 2) + "]");
    return one.array().at(0).toString().toStdString();
}

// Whether some object of a well-formed JSON text holds the same key twice (Qt's parser keeps
// the last one silently, so a trailing "annotations":[] would empty the markup).
bool HasDuplicateKey(const QByteArray& json) {
    struct Level {
        bool object;
        bool expectKey;
        std::vector<std::string> keys;
    };
    std::vector<Level> levels;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"') {
            qsizetype end = i + 1;
            bool escaped = false;
            while (end < json.size() && json[end] != '"') {
                if (json[end] == '\\') {
                    escaped = true;
                    ++end;
                }
                ++end;
            }
            if (!levels.empty() && levels.back().object && levels.back().expectKey) {
                std::string key = KeyText(json, i + 1, end, escaped);
                auto& keys = levels.back().keys;
                if (std::find(keys.begin(), keys.end(), key) != keys.end()) return true;
                keys.push_back(std::move(key));
                levels.back().expectKey = false;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            levels.push_back({c == '{', c == '{', {}});
        } else if ((c == '}' || c == ']') && !levels.empty()) {
            levels.pop_back();
        } else if (c == ',' && !levels.empty() && levels.back().object) {
            levels.back().expectKey = true;
        }
    }
    return false;
}

// Reading: every accessor checks presence, type and range, and records the first failure.
class Reader {
  public:
    QString why;

    QJsonObject Object(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isObject()) Fail(key);
        return v.toObject();
    }
    QString Text(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString() || v.toString().size() > kMaxText) Fail(key);
        return v.toString();
    }
    bool Flag(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isBool()) Fail(key);
        return v.toBool();
    }
    double Number(const QJsonObject& o, const char* key, double lo, double hi) {
        const QJsonValue v = o.value(QLatin1String(key));
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !(d >= lo && d <= hi)) Fail(key);
        return v.isDouble() && d >= lo && d <= hi ? d : lo;
    }
    int Int(const QJsonObject& o, const char* key, int lo, int hi) {
        const double d = Number(o, key, lo, hi);
        if (d != std::floor(d)) Fail(key);
        return static_cast<int>(d);
    }
    float Twips(const QJsonObject& o, const char* key) {
        return static_cast<float>(Number(o, key, -kMaxTwips, kMaxTwips));
    }
    Colour ColourOf(const QJsonObject& o, const char* key) {
        const QString t = Text(o, key);
        bool ok = false;
        const uint32_t v = t.mid(1).toUInt(&ok, 16);
        if (!t.startsWith(u'#') || (t.size() != 7 && t.size() != 9) || !ok) {
            Fail(key);
            return 0;
        }
        const uint32_t high = t.size() == 9 ? v >> 24 : 0;
        return high << 24 | (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
    }
    FontSpec Font(const QJsonObject& o) {
        FontSpec f;
        f.Name = Text(o, "name");
        f.Size = Number(o, "size", 0, 1000);
        f.Bold = Flag(o, "bold");
        return f;
    }
    LineState Line(const QJsonObject& o) {
        return {Twips(o, "x1"),        Twips(o, "y1"),
                Twips(o, "x2"),        Twips(o, "y2"),
                ColourOf(o, "colour"), Int(o, "width", 0, 1000),
                Flag(o, "visible"),    Int(o, "rank", -kMaxIndex * 8, kMaxIndex * 8)};
    }
    LabelState Label(const QJsonObject& o) {
        LabelState l;
        l.Left = Twips(o, "left");
        l.Top = Twips(o, "top");
        l.Width = Twips(o, "width");
        l.Height = Twips(o, "height");
        l.Caption = Text(o, "caption");
        l.ToolTipText = Text(o, "tooltip");
        l.Font = Font(Object(o, "font"));
        l.ForeColor = ColourOf(o, "foreColour");
        l.BackColor = ColourOf(o, "backColour");
        l.BackStyle = Int(o, "backStyle", 0, 1);
        l.AutoSize = Flag(o, "autoSize");
        l.Visible = Flag(o, "visible");
        l.Rank = Int(o, "rank", -kMaxIndex * 8, kMaxIndex * 8);
        return l;
    }
    ShapeState Shape(const QJsonObject& o) {
        ShapeState s;
        s.Left = Twips(o, "left");
        s.Top = Twips(o, "top");
        s.Width = Twips(o, "width");
        s.Height = Twips(o, "height");
        s.BorderColor = ColourOf(o, "borderColour");
        s.BackColor = ColourOf(o, "backColour");
        s.BorderWidth = Int(o, "borderWidth", 0, 1000);
        s.BackStyle = Int(o, "backStyle", 0, 1);
        s.Visible = Flag(o, "visible");
        s.Rank = Int(o, "rank", -kMaxIndex * 8, kMaxIndex * 8);
        return s;
    }
    TextBoxState Box(const QJsonObject& o) {
        TextBoxState b;
        b.Left = Twips(o, "left");
        b.Top = Twips(o, "top");
        b.Width = Twips(o, "width");
        b.Height = Twips(o, "height");
        b.Text = Text(o, "text");
        b.Font = Font(Object(o, "font"));
        b.ForeColor = ColourOf(o, "foreColour");
        b.BackColor = ColourOf(o, "backColour");
        b.MultiLine = Flag(o, "multiLine");
        b.Visible = Flag(o, "visible");
        b.Rank = Int(o, "rank", -kMaxIndex * 8, kMaxIndex * 8);
        return b;
    }
    void Element(const QJsonObject& o, LineState& s) { s = Line(o); }
    void Element(const QJsonObject& o, LabelState& s) { s = Label(o); }
    void Element(const QJsonObject& o, ShapeState& s) { s = Shape(o); }
    void Element(const QJsonObject& o, TextBoxState& s) { s = Box(o); }

    AnnotationState Item(const QJsonObject& o) {
        const QString kind = Text(o, "kind");
        const int index = Int(o, "index", 1, kMaxIndex);
        std::optional<AnnotationState> described;
        ForEachKind([&](auto k) {
            using K = decltype(k);
            if (kind != QLatin1String(K::Name)) return;
            typename K::State st;
            st.Index = index;
            ForEachPart<K>([&](const auto& p) { Element(Object(o, p.name), st.*p.state); });
            described = std::move(st);
        });
        if (described) return std::move(*described);
        if (kind == QLatin1String("distance"))
            return DistanceState{index, Line(Object(o, "segment")), Line(Object(o, "startTick")),
                                 Line(Object(o, "endTick")), Label(Object(o, "length"))};
        if (kind == QLatin1String("colour"))
            return ColourState{index, Line(Object(o, "leg")), Line(Object(o, "foot")),
                               Label(Object(o, "code")), Shape(Object(o, "swatch"))};
        if (kind != QLatin1String("note")) Fail("kind");
        return NoteState{index, Line(Object(o, "leg")), Line(Object(o, "foot")),
                         Box(Object(o, "box")), Label(Object(o, "display"))};
    }

  private:
    void Fail(const char* key) {
        if (why.isEmpty()) why = QStringLiteral("bad or missing \"%1\"").arg(QLatin1String(key));
    }
};

}  // namespace

QByteArray AnnotationsToJson(const AnnotationSnapshot& s) {
    QJsonArray items;
    for (const AnnotationState& a : s.Items) items.append(Item(a));
    QJsonObject root{{"format", "orvane-annotations"},
                     {"version", 1},
                     {"qqqq", s.qqqq},
                     {"wwww", s.wwww},
                     {"annotations", items}};
    // The counters of the later kinds, only where they moved, so files without them stay as
    // they were.
    if (s.next.boxes != 1) root.insert(QStringLiteral("boxes"), s.next.boxes);
    if (s.next.redactions != 1) root.insert(QStringLiteral("redactions"), s.next.redactions);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

AnnotationJsonError AnnotationsFromJson(const QByteArray& json, AnnotationSnapshot& out,
                                        QString& why) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        why = QStringLiteral("not JSON");
        return AnnotationJsonError::Damaged;
    }
    if (HasDuplicateKey(json)) {
        why = QStringLiteral("a key is given twice");
        return AnnotationJsonError::Damaged;
    }
    const QJsonObject root = doc.object();
    Reader r;
    // A version above ours is newer however large it is written (1e20 included).
    const double stated = root.value(QLatin1String("version")).toDouble(0);
    if (root.value(QLatin1String("format")).toString() == QLatin1String("orvane-annotations") &&
        stated > kAnnotationJsonVersion) {
        why = QStringLiteral("format version %1 is newer than this program reads")
                  .arg(stated < 1e15 ? QString::number(qint64(stated)) : QString::number(stated));
        return AnnotationJsonError::UnknownVersion;
    }
    const int version = r.Int(root, "version", 1, 1 << 30);
    if (r.Text(root, "format") != QLatin1String("orvane-annotations") || !r.why.isEmpty()) {
        why = r.why.isEmpty() ? QStringLiteral("not an annotation block") : r.why;
        return AnnotationJsonError::Damaged;
    }
    if (version > kAnnotationJsonVersion) {
        why = QStringLiteral("format version %1 is newer than this program reads").arg(version);
        return AnnotationJsonError::UnknownVersion;
    }
    AnnotationSnapshot s;
    s.qqqq = r.Int(root, "qqqq", 1, kMaxIndex);
    s.wwww = r.Int(root, "wwww", 1, kMaxIndex);
    if (root.contains(QLatin1String("boxes"))) s.next.boxes = r.Int(root, "boxes", 1, kMaxIndex);
    if (root.contains(QLatin1String("redactions")))
        s.next.redactions = r.Int(root, "redactions", 1, kMaxIndex);
    const QJsonValue items = root.value(QLatin1String("annotations"));
    if (!items.isArray() || items.toArray().size() > kMaxItems) {
        why = QStringLiteral("bad or missing \"annotations\"");
        return AnnotationJsonError::Damaged;
    }
    std::set<AnnotationKey> keys;
    for (const QJsonValue& v : items.toArray()) {
        if (!v.isObject()) {
            why = QStringLiteral("an annotation is not an object");
            return AnnotationJsonError::Damaged;
        }
        s.Items.push_back(r.Item(v.toObject()));
        if (!r.why.isEmpty()) break;
        // Distance markers share no index; colour markers and notes share their leaders';
        // every described kind counts its own.
        const AnnotationKey key = KeyOf(s.Items.back());
        const int index = key.index;
        if (!keys.insert(key).second) {
            why = QStringLiteral("annotation index %1 is used twice").arg(index);
            return AnnotationJsonError::Damaged;
        }
    }
    if (!r.why.isEmpty()) {
        why = r.why;
        return AnnotationJsonError::Damaged;
    }
    out = std::move(s);
    return AnnotationJsonError::None;
}

}  // namespace orv
