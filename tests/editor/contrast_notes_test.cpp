// "Contrast with…" on a colour marker: the next colour marker clicked gets
// compared, and an ordinary note with the ratio is placed between the two.

#include <gtest/gtest.h>

#include <QPainter>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr float kPx = 15;

class ContrastNotesTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        ed().Picture2.AutoSize = true;
        QImage img(400, 200, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter(&img).fillRect(QRect(0, 0, 200, 200), QColor(0x6C, 0x5C, 0xE7));
        ed().Picture2.SetPicture(img);
        ink = Draw(&Form1::Command4_Click, 50 * kPx, 50 * kPx, 90 * kPx, 20 * kPx);
        paper = Draw(&Form1::Command4_Click, 300 * kPx, 150 * kPx, 340 * kPx, 120 * kPx);
    }
    int ink = 0, paper = 0;
};

TEST_F(ContrastNotesTest, NextMarkerClickedPlacesAnOrdinaryNoteWithTheRatio) {
    const int note = ed().wwww;
    Choose(&Form1::co_MouseDown, ink, "contrast");
    EXPECT_FALSE(ed().bz.Exists(note));  // nothing until the second marker
    ed().co_MouseDown(ink, Left(5, 5));  // the first marker itself does not count
    EXPECT_FALSE(ed().bz.Exists(note));
    ed().co_MouseDown(paper, Left(5, 5));
    ed().co_MouseUp(paper, Left(5, 5));

    ASSERT_TRUE(ed().bz.Exists(note));
    EXPECT_EQ(ed().bz(note).Text(), QStringLiteral("#6C5CE7 on #FFFFFF — 4.9:1 — AA"));
    EXPECT_EQ(ed().wwww, note + 1);
    EXPECT_EQ(ed().pd, Tool::ColourPick);  // the colour tool stays chosen
    // The leader starts half-way between the two swatches.
    const Shape& a = ed().Shape1(ink);
    const Shape& b = ed().Shape1(paper);
    EXPECT_FLOAT_EQ(ed().zba(note).X1, (a.Left + a.Width / 2 + b.Left + b.Width / 2) / 2);
    EXPECT_FLOAT_EQ(ed().zba(note).Y1, (a.Top + a.Height / 2 + b.Top + b.Height / 2) / 2);
    EXPECT_TRUE(ed().zba(note).Visible);
    EXPECT_TRUE(ed().bz(note).Visible);
    // Sized to its text like a typed note, and deleted by the note menu.
    EXPECT_GT(ed().bz(note).Width, ed().bz.Template().Width * 2);
    Choose(&Form1::bz_MouseDown, note, "Delete");
    EXPECT_FALSE(ed().bz.Exists(note));
    EXPECT_FALSE(ed().zba.Exists(note));

    // One comparison per menu choice: a further click places nothing.
    ed().co_MouseDown(ink, Left(5, 5));
    EXPECT_FALSE(ed().bz.Exists(ed().wwww));
    EXPECT_EQ(ed().wwww, note + 1);
}

TEST_F(ContrastNotesTest, OrderFollowsTheMenuMarkerFirst) {
    Choose(&Form1::co_MouseDown, paper, "contrast");
    const int note = ed().wwww;
    ed().co_MouseDown(ink, Left(5, 5));
    ASSERT_TRUE(ed().bz.Exists(note));
    EXPECT_EQ(ed().bz(note).Text(), QStringLiteral("#FFFFFF on #6C5CE7 — 4.9:1 — AA"));
}

}  // namespace
}  // namespace orv::test
