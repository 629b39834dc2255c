// The measurements of a snapshot as text and JSON: every kind, direction words, numbering by the
// annotation's index, positions in picture pixels, and quoted text escaped.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "annotations/Measurements.h"

namespace orv {
namespace {

DistanceState DistanceAt(int index, float x1, float y1, float x2, float y2, const QString& label) {
    DistanceState d;
    d.Index = index;
    d.Segment = {x1, y1, x2, y2};
    d.Length.Caption = label;
    return d;
}

ColourState ColourAt(int index, float x, float y, Colour sampled, const QString& code) {
    ColourState c;
    c.Index = index;
    c.Leg = {x, y, x + 300, y - 300};
    c.Swatch.BackColor = sampled;
    c.Code.Caption = code;
    return c;
}

NoteState NoteAt(int index, float x, float y, const QString& text) {
    NoteState n;
    n.Index = index;
    n.Leg = {x, y, x + 300, y + 300};
    n.Box.Text = text;
    return n;
}

QStringList Lines(const AnnotationSnapshot& s, PixelScale scale = {}) {
    return MeasurementsText(s, scale).split(QLatin1Char('\n'));
}

TEST(Measurements, EveryKindGivesOneLineInOrderNumberedByItsIndex) {
    AnnotationSnapshot s;
    s.Items = {DistanceAt(1, 1800, 5100, 6450, 5100, QStringLiteral("311px")),
               ColourAt(1, 12180, 6825, RGB(0x6C, 0x5C, 0xE7), QStringLiteral("R108,G92,B231")),
               NoteAt(2, 300, 450, QStringLiteral("Peak day: keep this bar colour\r\n")),
               DistanceAt(3, 900, 2985, 900, 1500, QStringLiteral("100px"))};
    EXPECT_EQ(Lines(s), (QStringList{
                            "distance 1: 311px horizontal from (120,340) to (430,340)",
                            "colour 1: #6C5CE7 at (812,455)",
                            "note 2: \"Peak day: keep this bar colour\"",
                            "distance 3: 100px vertical from (60,199) to (60,100)",
                        }));
}

// A segment drawn leftwards or upwards keeps its ends as drawn and a positive length; a label
// with the user's own text is quoted after the measurement, one with a stale length is not.
TEST(Measurements, DirectionWordsEndsAndLabels) {
    AnnotationSnapshot s;
    s.Items = {DistanceAt(4, 3000, 600, 1500, 600, QStringLiteral("gap \"A\" \\ B")),
               DistanceAt(5, 600, 3000, 600, 1500, QStringLiteral("90px")),
               DistanceAt(6, 600, 600, 600, 600, QStringLiteral(""))};
    EXPECT_EQ(Lines(s), (QStringList{
                            "distance 4: 101px horizontal from (200,40) to (100,40) labelled "
                            "\"gap \\\"A\\\" \\\\ B\"",
                            "distance 5: 101px vertical from (40,200) to (40,100)",
                            "distance 6: 1px horizontal from (40,40) to (40,40) labelled \"\"",
                        }));
}

// At 120 dpi (12 twips a pixel) positions fall to the pixel they lie in and lengths may be
// fractional, as the length label shows them.
TEST(Measurements, PositionsAreThePixelsTheyLieIn) {
    AnnotationSnapshot s;
    s.Items = {DistanceAt(1, 100, 23.9f, 166, 23.9f, QStringLiteral("6.5px")),
               ColourAt(2, 11.99f, 0, RGB(1, 2, 3), QStringLiteral("#010203"))};
    EXPECT_EQ(Lines(s, {12, 12}), (QStringList{"distance 1: 6.5px horizontal from (8,1) to (13,1)",
                                               "colour 2: #010203 at (0,0)"}));
}

TEST(Measurements, NoteTextIsQuotedWithItsBreaksAndQuotesEscaped) {
    AnnotationSnapshot s;
    s.Items = {NoteAt(1, 0, 0, QStringLiteral("Say \"no\"\r\nto\tC:\\temp\r\n\r\n")),
               NoteAt(2, 0, 0, QStringLiteral("TEXT\r\n")), NoteAt(3, 0, 0, QString())};
    EXPECT_EQ(Lines(s), (QStringList{"note 1: \"Say \\\"no\\\"\\nto\\tC:\\\\temp\"",
                                     "note 2: \"TEXT\"", "note 3: \"\""}));
    EXPECT_EQ(MeasurementsText(AnnotationSnapshot{}, {}), QString());
}

TEST(Measurements, JsonCarriesTheSameMeasurementsAndTheExactText) {
    AnnotationSnapshot s;
    const QString said = QStringLiteral("Peak \"day\"\r\nkeep");
    s.Items = {DistanceAt(1, 1800, 5100, 6450, 5100, QStringLiteral("Gutter")),
               ColourAt(2, 12180, 6825, RGB(0x6C, 0x5C, 0xE7), QStringLiteral("#6C5CE7")),
               NoteAt(3, 300, 450, said)};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(MeasurementsJson(s, {}), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    const QJsonObject root = doc.object();
    EXPECT_EQ(root["format"].toString(), "orvane-measurements");
    EXPECT_EQ(root["version"].toInt(), kMeasurementsJsonVersion);
    EXPECT_EQ(root["unit"].toString(), "px");
    const QJsonArray items = root["items"].toArray();
    ASSERT_EQ(items.size(), 3);

    const QJsonObject d = items[0].toObject();
    EXPECT_EQ(d["kind"].toString(), "distance");
    EXPECT_EQ(d["number"].toInt(), 1);
    EXPECT_EQ(d["length"].toDouble(), 311.0);
    EXPECT_EQ(d["direction"].toString(), "horizontal");
    EXPECT_EQ(d["from"].toArray(), (QJsonArray{120, 340}));
    EXPECT_EQ(d["to"].toArray(), (QJsonArray{430, 340}));
    EXPECT_EQ(d["label"].toString(), "Gutter");

    const QJsonObject c = items[1].toObject();
    EXPECT_EQ(c["kind"].toString(), "colour");
    EXPECT_EQ(c["number"].toInt(), 2);
    EXPECT_EQ(c["colour"].toString(), "#6C5CE7");
    EXPECT_EQ(c["rgb"].toArray(), (QJsonArray{108, 92, 231}));
    EXPECT_EQ(c["at"].toArray(), (QJsonArray{812, 455}));

    const QJsonObject n = items[2].toObject();
    EXPECT_EQ(n["kind"].toString(), "note");
    EXPECT_EQ(n["number"].toInt(), 3);
    EXPECT_EQ(n["text"].toString(), QStringLiteral("Peak \"day\"\nkeep"));
    EXPECT_EQ(n["at"].toArray(), (QJsonArray{20, 30}));

    const QJsonValue none =
        QJsonDocument::fromJson(MeasurementsJson(AnnotationSnapshot{}, {})).object()["items"];
    EXPECT_TRUE(none.isArray() && none.toArray().isEmpty());
}

}  // namespace
}  // namespace orv
