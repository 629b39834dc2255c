// Every mark can be reached: a click without a drag in the distance or colour tool leaves nothing
// (not on the canvas, not in the history, not in a saved picture), while a note still appears;
// a note's text fits its box in the saved picture.

#include <QFile>
#include <QTemporaryDir>

#include "CanvasFixture.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

class ReachableMarks : public CanvasTest {
  protected:
    // Through the handlers the window calls, undo recording included.
    void WiredPress(float x, float y) { ed().Picture2.MouseDown(Left(x, y)); }
    void WiredRelease(float x, float y) { ed().Picture2.MouseUp(Left(x, y)); }
    void Click(float x, float y) {
        WiredPress(x, y);
        WiredRelease(x, y);
    }
    int Marks() const {
        Form1& f = app->Editor();
        return f.Line1.Count() + f.aaaa.Count() + f.bbbb.Count() + f.aapx.Count() + f.zba.Count() +
               f.zbb.Count() + f.co.Count() + f.Shape1.Count();
    }
    QImage SavedPng() {
        const QString path = dir.filePath(QStringLiteral("capture.png"));
        QFile::remove(path);
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }
    QTemporaryDir dir;
};

TEST_F(ReachableMarks, ClickWithoutDragMakesNoDistanceOrColourMarkerButANote) {
    const QColor ground(30, 60, 90);
    Picture(200, 150, ground);
    ed().Command3_Click();
    Click(1500, 1500);
    Click(1500, 300);
    EXPECT_EQ(Marks(), 0);
    EXPECT_EQ(ed().qqqq, 1);  // no index used up
    EXPECT_EQ(ed().history.UndoCount(), 0u);

    ed().Command4_Click();
    Click(900, 900);
    EXPECT_EQ(Marks(), 0);
    EXPECT_EQ(ed().wwww, 1);
    EXPECT_EQ(ed().history.UndoCount(), 0u);
    // A drag that comes back to its press point has shown its label: it stays, reachable.
    WiredPress(2700, 300);
    DragTo(2100, 150);
    DragTo(2700, 300);
    WiredRelease(2700, 300);
    ASSERT_TRUE(ed().annotations.ColourMarkerAt(1));
    EXPECT_TRUE(ed().co(1).Visible);
    Choose(&Form1::co_MouseDown, 1, "delcolo");
    EXPECT_FALSE(ed().annotations.ColourMarkerAt(1));
    // Level with the press point the first leg has no length, but the foot leads to the label.
    WiredPress(600, 1800);
    DragTo(2400, 1800);
    WiredRelease(2400, 1800);
    ASSERT_TRUE(ed().annotations.ColourMarkerAt(2));
    EXPECT_TRUE(ed().co(2).Visible);
    EXPECT_EQ(ed().wwww, 3);

    ed().Command6_Click();
    Click(2250, 600);
    ASSERT_TRUE(ed().annotations.NoteAt(3));
    EXPECT_TRUE(ed().bz(3).Visible);
    EXPECT_EQ(ed().wwww, 4);

    // A drag after the clicks takes the first distance index; one undo step per kept mark.
    EXPECT_EQ(Draw(&Form1::Command3_Click, 300, 2100, 1500, 2100), 1);
    EXPECT_EQ(ed().history.UndoCount(), 3u);  // two colour markers and the note

    // The saved picture shows the picture where the clicks were.
    const QImage saved = SavedPng();
    ASSERT_EQ(saved.size(), QSize(200, 150));
    EXPECT_EQ(saved.pixelColor(100, 100), ground);
    EXPECT_EQ(saved.pixelColor(100, 20), ground);
    EXPECT_EQ(saved.pixelColor(60, 60), ground);
}

// The note box is as wide as its text drawn in bold, so the end of a long line is in the saved
// picture: the text stops short of the box's right edge instead of running into it.
TEST_F(ReachableMarks, SavedNoteShowsTheEndOfALongLine) {
    Picture(700, 200, Qt::white);
    const int n = Draw(&Form1::Command6_Click, 300, 1500, 600, 1200);
    const QString line = QStringLiteral("Increase the padding of the primary button baseline WWW");
    ed().bz(n).SetText(line);
    const QRect box = ControlPlace(ed().bz(n));
    const QImage saved = SavedPng();
    ASSERT_TRUE(QRect(QPoint(0, 0), saved.size()).contains(box));

    int first = saved.width(), last = -1;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = saved.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 110 && c.blue() < 110) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    ASSERT_GE(last, 0);
    const double bold = MeasureText(ed().bz(n).Font, line).width() / 15.0;
    EXPECT_GE(last - first + 1, bold - 3);  // the whole line, to its last letter
    EXPECT_LE(last, box.right() - 2);       // with the margin still clear after it
}

}  // namespace
}  // namespace orv::test
