// Edge-snapping guides in the distance tool: live spans while Alt is held, the
// tolerance keys, and Alt + click keeping both spans as distance markers that
// equal markers drawn by hand between the same pixels.

#include <gtest/gtest.h>

#include <QPainter>
#include <sstream>
#include <string>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr float kPx = 15;  // twips per pixel in these tests
constexpr int kAlt = 4;

// The distance markers of a snapshot as text, so a difference reads plainly.
std::string Describe(const AnnotationSnapshot& s) {
    std::ostringstream os;
    auto line = [&](const LineState& l) {
        os << "(" << l.X1 << "," << l.Y1 << ")-(" << l.X2 << "," << l.Y2 << ") c" << l.BorderColor
           << " v" << l.Visible << " r" << l.Rank << "; ";
    };
    for (const AnnotationState& a : s.Items) {
        const auto* d = std::get_if<DistanceState>(&a);
        if (!d) continue;
        os << "#" << d->Index << ": ";
        line(d->Segment);
        line(d->StartTick);
        line(d->EndTick);
        const LabelState& l = d->Length;
        os << l.Caption.toStdString() << " at " << l.Left << "," << l.Top << " " << l.Width << "x"
           << l.Height << " v" << l.Visible << " r" << l.Rank << "\n";
    }
    os << "qqqq " << s.qqqq << " wwww " << s.wwww;
    return os.str();
}

class EdgeGuidesTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Open();
    }
    // The box picture in the editor, distance tool chosen.
    void Open() {
        ed().Picture2.AutoSize = true;
        QImage img(400, 260, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter(&img).fillRect(QRect(50, 40, 240, 130), QColor(0x6C, 0x5C, 0xE7));
        ed().Picture2.SetPicture(img);
        ed().Command3_Click();
    }
    void AltMove(int x, int y) { ed().Picture2_MouseMove({0, kAlt, x * kPx, y * kPx}); }
    void AltClick(int x, int y) {
        ed().Picture2_MouseDown({1, kAlt, x * kPx, y * kPx});
        ed().Picture2_MouseMove({1, kAlt, (x + 3) * kPx, (y + 2) * kPx});
        ed().Picture2_MouseUp({1, kAlt, (x + 3) * kPx, (y + 2) * kPx});
    }
    EdgeGuides& guides() { return ed().guides; }
};

TEST_F(EdgeGuidesTest, AltShowsBothSpansWithTheirLengthsAndTheTolerance) {
    AltMove(170, 100);
    ASSERT_TRUE(guides().Showing());
    EXPECT_EQ(Seg(guides().horizontal), QLineF(50 * kPx, 100 * kPx, 289 * kPx, 100 * kPx));
    EXPECT_EQ(Seg(guides().vertical), QLineF(170 * kPx, 40 * kPx, 170 * kPx, 169 * kPx));
    EXPECT_EQ(guides().horizontalText.Caption(), "240px");
    EXPECT_EQ(guides().verticalText.Caption(), "130px");
    EXPECT_EQ(guides().readout.Caption(), "Tolerance 8");
    for (const Control* c : std::initializer_list<const Control*>{
             &guides().horizontal, &guides().vertical, &guides().horizontalText,
             &guides().verticalText, &guides().readout})
        EXPECT_TRUE(c->Visible) << c->Name.toStdString();
    EXPECT_FALSE(ed().Line1.Exists(ed().qqqq));  // hovering makes no marker

    AltMove(20, 100);  // outside the box: border to box, border to border
    EXPECT_EQ(guides().horizontalText.Caption(), "50px");
    EXPECT_EQ(guides().verticalText.Caption(), "260px");

    ed().Picture2_MouseMove({0, 0, 170 * kPx, 100 * kPx});  // Alt let go
    EXPECT_FALSE(guides().Showing());
    EXPECT_FALSE(guides().horizontal.Visible);
    EXPECT_EQ(guides().horizontal.Parent(), nullptr);  // off the canvas while hidden
    EXPECT_FALSE(guides().readout.Visible);

    ed().Command4_Click();  // only the distance tool has guides
    AltMove(170, 100);
    EXPECT_FALSE(guides().Showing());
}

TEST_F(EdgeGuidesTest, AltKeyAndBracketsWorkAtThePointerAndTheToleranceDecides) {
    // One pixel inside the box 10 levels off: within 12, not within 8.
    QImage img = ed().Picture2.Picture();
    img.setPixel(200, 100, qRgb(0x6C + 10, 0x5C, 0xE7));
    ed().Picture2.SetPicture(img);
    ed().Picture2_MouseMove({0, 0, 170 * kPx, 100 * kPx});
    EXPECT_FALSE(guides().Showing());

    ed().Key(Qt::Key_Alt, kAlt, true);
    ASSERT_TRUE(guides().Showing());
    EXPECT_EQ(guides().Spans().horizontal, (Span{50, 199}));

    ed().Key(Qt::Key_BracketRight, kAlt, true);
    EXPECT_EQ(guides().Tolerance(), 12);
    EXPECT_EQ(guides().readout.Caption(), "Tolerance 12");
    EXPECT_EQ(guides().Spans().horizontal, (Span{50, 289}));
    EXPECT_EQ(guides().horizontalText.Caption(), "240px");

    ed().Key(Qt::Key_BracketLeft, kAlt, true);
    ed().Key(Qt::Key_BracketLeft, kAlt, true);
    EXPECT_EQ(guides().Tolerance(), 6);
    EXPECT_EQ(guides().Spans().horizontal, (Span{50, 199}));
    ed().Key(Qt::Key_BracketRight, 0, true);  // without Alt the keys do nothing
    EXPECT_EQ(guides().Tolerance(), 6);

    ed().Key(Qt::Key_Alt, 0, false);
    EXPECT_FALSE(guides().Showing());
}

TEST_F(EdgeGuidesTest, AltClickKeepsTwoMarkersEqualToHandDrawnOnes) {
    const int first = ed().qqqq;
    AltMove(170, 100);
    AltClick(170, 100);
    // The click's own moves and release draw nothing more.
    EXPECT_EQ(ed().qqqq, first + 2);
    EXPECT_FALSE(ed().Line1.Exists(first + 2));
    EXPECT_TRUE(guides().Showing());  // Alt still held
    EXPECT_EQ(ed().aapx(first).Caption(), "240px");
    EXPECT_EQ(ed().aapx(first + 1).Caption(), "130px");
    EXPECT_EQ(Seg(ed().Line1(first)), QLineF(50 * kPx, 100 * kPx, 289 * kPx, 100 * kPx));
    EXPECT_EQ(Seg(ed().Line1(first + 1)), QLineF(170 * kPx, 40 * kPx, 170 * kPx, 169 * kPx));
    const AnnotationSnapshot kept = ed().annotations.Take();
    ed().Picture2_MouseMove({0, 0, 170 * kPx, 100 * kPx});  // Alt let go

    // The same two measurements by hand in a fresh editor, as a designer drags
    // them: a little off the axis on the way, released on the far edge pixel.
    app = std::make_unique<App>(desktop, commandLine);
    Open();
    Press(50 * kPx, 100 * kPx);
    Move(120 * kPx, 103 * kPx);
    ed().Timer1_Timer();
    DragTo(289 * kPx, 100 * kPx);
    Release(289 * kPx, 100 * kPx);
    Press(170 * kPx, 40 * kPx);
    Move(172 * kPx, 90 * kPx);
    ed().Timer1_Timer();
    DragTo(171 * kPx, 169 * kPx);
    Release(171 * kPx, 169 * kPx);
    EXPECT_EQ(Describe(ed().annotations.Take()), Describe(kept));
    EXPECT_TRUE(ed().annotations.Take() == kept);
    ASSERT_EQ(ed().qqqq, first + 2);

    // A plain drag afterwards still draws its own marker at the next index.
    Press(10 * kPx, 200 * kPx);
    Move(20 * kPx, 203 * kPx);
    ed().Timer1_Timer();
    DragTo(30 * kPx, 200 * kPx);
    Release(30 * kPx, 200 * kPx);
    EXPECT_EQ(ed().aapx(first + 2).Caption(), "21px");
}

TEST_F(EdgeGuidesTest, SpansReadWhatTheCanvasShowsAndOnePixelSpansStayOrientated) {
    // What is drawn on the canvas surface counts, like Point reads it: a one-
    // pixel column splits the box.
    QImage& surface = ed().Picture2.Surface();
    surface.fill(Qt::transparent);
    for (int y = 0; y < surface.height(); ++y) surface.setPixel(100, y, qRgb(0, 0, 0));
    AltMove(170, 100);
    EXPECT_EQ(guides().Spans().horizontal, (Span{101, 289}));

    // Alt-click in that one-pixel column: the horizontal marker is 1px long
    // and still horizontal, the vertical one spans the picture.
    const int n = ed().qqqq;
    AltClick(100, 100);
    EXPECT_EQ(ed().aapx(n).Caption(), "1px");
    EXPECT_EQ(Seg(ed().Line1(n)), QLineF(100 * kPx, 100 * kPx, 100 * kPx, 100 * kPx));
    EXPECT_EQ(Seg(ed().aaaa(n)), QLineF(100 * kPx, 100 * kPx - 80, 100 * kPx, 100 * kPx + 80));
    EXPECT_EQ(ed().aapx(n + 1).Caption(), "260px");
    EXPECT_EQ(Seg(ed().aaaa(n + 1)), QLineF(100 * kPx - 80, 0, 100 * kPx + 80, 0));
}

}  // namespace
}  // namespace orv::test
