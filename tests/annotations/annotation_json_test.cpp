// The annotation block of our PSD files: every kind with every property survives the trip
// through JSON exactly, the same snapshot gives the same bytes, and damaged or newer blocks
// are refused with a reason, leaving the target untouched.
#include "annotations/AnnotationJson.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

LineState Line(float x, Colour c, bool visible, int rank) {
    return {x, x + 0.5f, x * 3 + 1.0f / 3.0f, -x, c, 2, visible, rank};
}

LabelState Label(const QString& caption, int rank) {
    LabelState l;
    l.Left = 120.25f;
    l.Top = 340.0f / 3.0f;
    l.Width = 615;
    l.Height = 225;
    l.Caption = caption;
    l.ToolTipText = QStringLiteral("复制颜色代码");
    l.Font = {QStringLiteral("Arial"), 9.5, true};
    l.ForeColor = RGB(255, 255, 255);
    l.BackColor = RGB(0x6C, 0x5C, 0xE7);
    l.BackStyle = 0;
    l.AutoSize = true;
    l.Visible = true;
    l.Rank = rank;
    return l;
}

AnnotationSnapshot EveryKind() {
    AnnotationSnapshot s;
    s.Items.push_back(DistanceState{1, Line(1800, RGB(255, 0, 0), true, 4),
                                    Line(1800, RGB(255, 0, 0), true, 5),
                                    Line(6450, RGB(255, 0, 0), false, 6), Label("311px", 7)});
    ShapeState swatch{12180, 6825, 300, 300, 0x80000012u, RGB(1, 2, 3), 3, 1, true, 9};
    s.Items.push_back(ColourState{2, Line(12000, RGB(0, 128, 255), true, 8),
                                  Line(12100, RGB(0, 128, 255), true, 10), Label("#6C5CE7", 11),
                                  swatch});
    TextBoxState box{900,
                     1500,
                     2400,
                     900,
                     QStringLiteral("Peak day: keep this bar colour\r\n第二行 ✓"),
                     {QStringLiteral("Liberation Sans"), 12, false},
                     RGB(0, 0, 0),
                     RGB(255, 255, 225),
                     true,
                     false,
                     12};
    s.Items.push_back(
        NoteState{3, Line(600, 0, true, 13), Line(700, 0, true, 14), box, Label("", 15)});
    s.Items.push_back(DistanceState{5, {}, {}, {}, {}});  // defaults, an index after a gap
    s.qqqq = 6;
    s.wwww = 4;
    return s;
}

TEST(AnnotationJson, EveryKindRoundTripsExactlyAndDeterministically) {
    const AnnotationSnapshot s = EveryKind();
    const QByteArray json = AnnotationsToJson(s);
    EXPECT_TRUE(json.startsWith("{\"annotations\":[")) << json.left(40).toStdString();
    EXPECT_TRUE(json.contains("\"version\":1"));
    EXPECT_TRUE(json.contains("\"#6C5CE7\""));  // colours read as designers write them
    AnnotationSnapshot back;
    QString why;
    ASSERT_EQ(AnnotationsFromJson(json, back, why), AnnotationJsonError::None) << why.toStdString();
    EXPECT_EQ(back, s);
    EXPECT_EQ(AnnotationsToJson(back), json);
    EXPECT_EQ(AnnotationsToJson(EveryKind()), json);

    AnnotationSnapshot empty;
    ASSERT_EQ(AnnotationsFromJson(AnnotationsToJson({}), back, why), AnnotationJsonError::None);
    EXPECT_EQ(back, empty);
}

TEST(AnnotationJson, DamagedAndNewerBlocksAreRefusedWithAReason) {
    const QByteArray good = AnnotationsToJson(EveryKind());
    const auto edit = [&](const char* from, const char* to) {
        QByteArray b = good;
        EXPECT_TRUE(b.contains(from)) << from;
        return b.replace(from, to);
    };
    const std::pair<QByteArray, AnnotationJsonError> cases[] = {
        {good.left(good.size() / 2), AnnotationJsonError::Damaged},
        {"[1,2]", AnnotationJsonError::Damaged},
        {edit("\"version\":1", "\"version\":3"), AnnotationJsonError::UnknownVersion},
        {edit("\"version\":1", "\"version\":\"1\""), AnnotationJsonError::Damaged},
        {edit("orvane-annotations", "other"), AnnotationJsonError::Damaged},
        {edit("\"#6C5CE7\"", "\"#6C5CZ7\""), AnnotationJsonError::Damaged},
        {edit("\"kind\":\"note\"", "\"kind\":\"arrow\""), AnnotationJsonError::Damaged},
        {edit("\"index\":5", "\"index\":1"), AnnotationJsonError::Damaged},  // used twice
        {edit("\"index\":5", "\"index\":0"), AnnotationJsonError::Damaged},
        {edit("\"index\":5", "\"index\":2.5"), AnnotationJsonError::Damaged},
        {edit("\"qqqq\":6", "\"qqqq\":-1"), AnnotationJsonError::Damaged},
        {edit("\"x1\":1800", "\"x1\":1e300"), AnnotationJsonError::Damaged},
        {edit("\"bold\":true", "\"bold\":1"), AnnotationJsonError::Damaged},
        {edit("\"segment\":{", "\"segmentX\":{"), AnnotationJsonError::Damaged},
        // A version above ours is newer however it is written.
        {edit("\"version\":1", "\"version\":1e20"), AnnotationJsonError::UnknownVersion},
        {edit("\"version\":1", "\"version\":4294967296"), AnnotationJsonError::UnknownVersion},
        // A key given twice never wins silently, escaped or not, at any depth.
        {edit("\"version\":1", "\"annotations\":[],\"version\":1"), AnnotationJsonError::Damaged},
        {edit("\"version\":1", "\"qqq\\u0071\":6,\"version\":1"), AnnotationJsonError::Damaged},
        {edit("\"bold\":true", "\"bold\":true,\"bold\":false"), AnnotationJsonError::Damaged},
        // Texts are bounded: a 100,000-character caption or a 10 MB note is refused.
        {edit("\"311px\"", ("\"" + QByteArray(100000, 'x') + "\"").constData()),
         AnnotationJsonError::Damaged},
        {edit("Peak day", QByteArray(10 << 20, 'n').constData()), AnnotationJsonError::Damaged},
    };
    for (const auto& [json, expected] : cases) {
        SCOPED_TRACE(json.left(80).toStdString());
        AnnotationSnapshot target = EveryKind();
        target.qqqq = 99;
        const AnnotationSnapshot before = target;
        QString why;
        EXPECT_EQ(AnnotationsFromJson(json, target, why), expected);
        EXPECT_FALSE(why.isEmpty());
        EXPECT_EQ(target, before);
    }
}

}  // namespace
}  // namespace orv
