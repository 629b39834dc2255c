// The annotation pressed last, which the arrows nudge and Delete removes, is framed in the
// window; Tab and Shift+Tab step through every annotation in the order they were made; the
// frame belongs to the window only and never reaches a saved picture.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "WindowedCanvas.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

class SelectionMark : public WindowedCanvasTest {
  protected:
    void SetUp() override {
        WindowedCanvasTest::SetUp();
        distance = Draw(&Form1::Command3_Click, 1500, 1500, 6000, 1500);
        colour = Draw(&Form1::Command4_Click, 2000, 4000, 3500, 5000);
        note = Draw(&Form1::Command6_Click, 6000, 4000, 7500, 5000);
        ed().Command2_Click();
        window->Sync();
        ed().Focused = nullptr;  // the new note's box gave the keyboard back
    }
    void Tab(int shift = 0) { ed().Key(Qt::Key_Tab, shift, true); }
    std::optional<Keyboard::Pick> Picked() { return ed().keyboard.LastPressed(); }
    /// Whether the frame's blue shows along the top of r, a few pixels out (window pixels).
    bool FrameAround(const QRect& r) {
        const QImage shot = window->grab().toImage();
        for (int y = r.top() - 5; y < r.top(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if ((shot.pixel(x, y) & 0xffffff) == 0x0078d7) return true;
        return false;
    }
    QRect PlaceOf(const Control& c) {
        return ControlPlace(c).translated(ControlPlace(ed().Picture2).topLeft());
    }
    int distance = 0, colour = 0, note = 0;
};

TEST_F(SelectionMark, TabAndShiftTabStepThroughEveryAnnotationAndWrap) {
    using K = Keyboard::Kind;
    const std::vector<Keyboard::Pick> order = {
        {K::Distance, distance}, {K::ColourMark, colour}, {K::Note, note}};
    EXPECT_FALSE(Picked().has_value());  // drawing picks nothing
    EXPECT_EQ(ed().Marked(), nullptr);
    Tab();
    EXPECT_EQ(Picked(), order[0]);
    Tab();
    EXPECT_EQ(Picked(), order[1]);
    EXPECT_EQ(ed().Marked(), &ed().co(colour));
    Tab(kShiftMask);
    EXPECT_EQ(Picked(), order[0]);
    EXPECT_EQ(ed().Marked(), &ed().aapx(distance));
    ed().Key(Qt::Key_Backtab, kShiftMask, true);
    EXPECT_EQ(Picked(), order[2]);
    EXPECT_EQ(ed().Marked(), &ed().bz(note));

    // What Tab reached is what Delete removes; the next Tab goes on from the start.
    Tab();
    Tab();
    ed().Key(Qt::Key_Delete, 0, true);
    EXPECT_FALSE(ed().annotations.ColourMarkerAt(colour).has_value());
    EXPECT_EQ(ed().Marked(), nullptr);
    Tab();
    EXPECT_EQ(Picked(), order[0]);
    // While a note holds the keyboard, Tab is the note's.
    ed().Focused = &ed().bz(note);
    Tab();
    EXPECT_EQ(Picked(), order[0]);
}

TEST_F(SelectionMark, TheFrameShowsInTheWindowAndNeverInASavedPicture) {
    Tab();  // the distance marker
    window->Sync();
    EXPECT_TRUE(FrameAround(PlaceOf(ed().aapx(distance))));
    EXPECT_FALSE(FrameAround(PlaceOf(ed().co(colour))));
    Tab();
    window->Sync();
    EXPECT_TRUE(FrameAround(PlaceOf(ed().co(colour))));
    EXPECT_FALSE(FrameAround(PlaceOf(ed().aapx(distance))));

    // Saved with the mark shown and with nothing marked: the same pixels.
    QTemporaryDir dir;
    const auto save = [&](const QString& name) {
        desktop.saveFiles = {dir.filePath(name)};
        ed().Command5_Click();
        return QImage(dir.filePath(name));
    };
    const QImage marked = save(QStringLiteral("marked.png"));
    ed().Key(Qt::Key_Delete, 0, true);
    ed().history.Undo();  // the marker back, nothing pressed
    window->Sync();
    ASSERT_EQ(ed().Marked(), nullptr);
    const QImage plain = save(QStringLiteral("plain.png"));
    ASSERT_FALSE(marked.isNull());
    EXPECT_EQ(marked, plain);
}

}  // namespace
}  // namespace orv::test
