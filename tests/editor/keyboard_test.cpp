// The editor's keys, sent through Form::Key as the window delivers them, with
// presses and drags through the handlers the window calls.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr int kShift = 1, kCtrl = 2;

class KeyboardTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400);
    }
    void Key(int key, int shift = 0) { ed().Key(key, shift, true); }
    /// Draws through the canvas's wired handlers and returns the new annotation's index.
    int DrawWired(void (Form1::*tool)(), float x0, float y0, float x1, float y1) {
        (ed().*tool)();
        const int n = tool == &Form1::Command3_Click ? ed().qqqq : ed().wwww;
        ed().Picture2.MouseDown(Left(x0, y0));
        for (int k = 0; k < 2; ++k) {
            ed().Picture2.MouseMove({1, 0, x1, y1});
            ed().Timer1_Timer();
        }
        ed().Picture2.MouseUp(Left(x1, y1));
        return n;
    }
    /// A click (press and release in place) on an element, as the window sends it.
    static void Click(Control& c) {
        c.MouseDown(Left(10, 10));
        c.MouseUp(Left(10, 10));
    }
    AnnotationSnapshot Now() { return ed().annotations.Take(); }
};

TEST_F(KeyboardTest, LettersAndDigitsChooseTheToolsAndTheirPicturesNameThem) {
    const struct {
        int letter, digit;
        Tool tool;
        Image* active;
    } keys[] = {{Qt::Key_D, Qt::Key_1, Tool::Distance, &ed().Image55},
                {Qt::Key_C, Qt::Key_2, Tool::ColourPick, &ed().Image66},
                {Qt::Key_N, Qt::Key_3, Tool::Note, &ed().Image77},
                {Qt::Key_M, Qt::Key_4, Tool::Move, &ed().Image88}};
    for (const auto& k : keys) {
        for (int key : {k.letter, k.digit}) {
            ed().Image5_Click();
            ed().Image8_Click();
            if (k.tool == Tool::Move) ed().Image5_Click();
            Key(key);
            EXPECT_EQ(ed().pd, k.tool) << key;
            EXPECT_TRUE(k.active->Visible) << key;
        }
    }
    // With Ctrl, Shift or Alt a letter chooses nothing.
    ed().Image8_Click();
    for (int mask : {kCtrl, kShift, 4}) {
        Key(Qt::Key_D, mask);
        EXPECT_EQ(ed().pd, Tool::Move) << mask;
    }
    EXPECT_EQ(ed().Image5.ToolTipText, QStringLiteral("Mark Length"));
    EXPECT_EQ(ed().Image5.KeyHint, QStringLiteral("D"));
    EXPECT_EQ(ed().Image6.KeyHint, QStringLiteral("C"));
    EXPECT_EQ(ed().Image7.KeyHint, QStringLiteral("N"));
    EXPECT_EQ(ed().Image8.KeyHint, QStringLiteral("M"));
}

TEST_F(KeyboardTest, ArrowsMoveThePressedAnnotationAsADragOfItsLabelDoes) {
    const int d = DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    const int c = DrawWired(&Form1::Command4_Click, 900, 1500, 2400, 2100);
    const int n = DrawWired(&Form1::Command6_Click, 900, 3000, 2400, 3600);
    ASSERT_TRUE(ed().aapx.Exists(d) && ed().co.Exists(c) && ed().bz.Exists(n));
    const size_t steps = ed().history.UndoCount();

    Click(ed().aapx(d));
    const Label before = ed().aapx(d);
    const QLineF segment = Seg(ed().Line1(d));
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, kShift);
    EXPECT_FLOAT_EQ(ed().aapx(d).Left, before.Left + 15);
    EXPECT_FLOAT_EQ(ed().aapx(d).Top, before.Top + 150);
    EXPECT_EQ(Seg(ed().Line1(d)), segment);                // a drag moves only the label
    EXPECT_EQ(ed().Line1(d).BorderColor, kAnnotationRed);  // the held colour is given back
    EXPECT_EQ(ed().history.UndoCount(), steps + 2);

    Click(ed().co(c));
    const float codeLeft = ed().co(c).Left, swatchLeft = ed().Shape1(c).Left;
    Key(Qt::Key_Left, kShift);
    EXPECT_FLOAT_EQ(ed().co(c).Left, codeLeft - 150);
    EXPECT_FLOAT_EQ(ed().Shape1(c).Left, swatchLeft);
    EXPECT_EQ(ed().zba(c).BorderColor, kAnnotationRed);

    Click(ed().bz(n));
    const float boxTop = ed().bz(n).Top;
    Key(Qt::Key_Up);
    EXPECT_FLOAT_EQ(ed().bz(n).Top, boxTop - 15);
    EXPECT_EQ(ed().history.UndoCount(), steps + 4);

    // Each press is one step back.
    const float labelTop = ed().aapx(d).Top;
    Key(Qt::Key_Z, kCtrl);
    EXPECT_FLOAT_EQ(ed().bz(n).Top, boxTop);
    Key(Qt::Key_Z, kCtrl);
    EXPECT_FLOAT_EQ(ed().co(c).Left, codeLeft);
    Key(Qt::Key_Z, kCtrl);
    EXPECT_FLOAT_EQ(ed().aapx(d).Top, labelTop - 150);
}

TEST_F(KeyboardTest, ATransparentNoteMovesWithItsShownLabel) {
    const int n = DrawWired(&Form1::Command6_Click, 900, 900, 2400, 1500);
    ed().bz(n).SetText(QStringLiteral("see"));
    desktop.menuChoices.push_back(QStringLiteral("backtm"));
    ed().bz(n).MouseDown(Right(5, 5));
    ASSERT_FALSE(ed().bz(n).Visible);
    ASSERT_TRUE(ed().bzz(n).Visible);
    ed().bzz(n).Click();  // the box opens under the pointer: the note is picked
    ed().bz_MouseMove(n, MouseEvent{0, 0, -1, -1});  // and the pointer leaves again
    const float left = ed().bzz(n).Left;
    Key(Qt::Key_Right, kShift);
    EXPECT_FLOAT_EQ(ed().bz(n).Left, left + 150);
    EXPECT_FLOAT_EQ(ed().bzz(n).Left, left + 150);
    EXPECT_TRUE(ed().bzz(n).Visible);
    EXPECT_FALSE(ed().bz(n).Visible);
}

TEST_F(KeyboardTest, DeleteRemovesThePressedAnnotationAsItsMenuDoes) {
    const int d = DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    const int c = DrawWired(&Form1::Command4_Click, 900, 1500, 2400, 2100);
    const int n = DrawWired(&Form1::Command6_Click, 900, 3000, 2400, 3600);
    const AnnotationSnapshot all = Now();
    Key(Qt::Key_Delete);  // nothing pressed yet: nothing goes
    EXPECT_EQ(Now(), all);

    Click(ed().co(c));
    Key(Qt::Key_Delete);
    EXPECT_FALSE(ed().co.Exists(c));
    EXPECT_TRUE(ed().bz.Exists(n));  // the note sharing the leader arrays stays
    Key(Qt::Key_Delete);             // what was pressed is gone: nothing more goes
    EXPECT_TRUE(ed().aapx.Exists(d));
    Click(ed().bz(n));
    Key(Qt::Key_Delete);
    EXPECT_FALSE(ed().annotations.NoteAt(n));
    Click(ed().aapx(d));
    Key(Qt::Key_Delete);
    EXPECT_FALSE(ed().Line1.Exists(d) || ed().aapx.Exists(d));
    EXPECT_TRUE(Now().Items.empty());

    for (int k = 0; k < 3; ++k) Key(Qt::Key_Z, kCtrl);
    EXPECT_EQ(Now(), all);
}

TEST_F(KeyboardTest, BoxesAndRedactionsTakeTheArrowsTabAndDeleteLikeTheOtherKinds) {
    QImage noise(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb(x * 7, y * 5, x ^ y));
    ed().Picture2.SetPicture(noise);
    const auto drag = [&](int key, float x0, float y0, float x1, float y1) {
        Key(key);
        ed().Picture2.MouseDown(Left(x0, y0));
        ed().Picture2.MouseMove({1, 0, x1, y1});
        ed().Picture2.MouseUp(Left(x1, y1));
    };
    const int d = DrawWired(&Form1::Command3_Click, 600, 300, 3000, 300);
    drag(Qt::Key_B, 600, 600, 3000, 1500);
    const int b = ed().annotations.Next().boxes - 1;
    drag(Qt::Key_R, 600, 2400, 2400, 3600);  // pixels 40..160 by 160..240
    const int r = ed().annotations.Next().redactions - 1;
    ASSERT_TRUE(ed().boxSize.Exists(b) && ed().redaction.Exists(r));
    const AnnotationSnapshot all = Now();
    const size_t steps = ed().history.UndoCount();

    // The redaction just drawn is the pressed one: it moves whole, and the picture with it.
    const Shape area = ed().redaction(r);
    Key(Qt::Key_Right, kShift);
    EXPECT_FLOAT_EQ(ed().redaction(r).Left, area.Left + 150);
    EXPECT_FLOAT_EQ(ed().redaction(r).Width, area.Width);
    const QImage shown = ed().Picture2.Picture();
    EXPECT_EQ(shown.pixel(42, 200), noise.pixel(42, 200));  // uncovered again
    EXPECT_NE(shown.pixel(165, 200), noise.pixel(165, 200));
    EXPECT_EQ(ed().Marked(), nullptr);  // an area shows nothing of its own to frame

    // A press on a box's label picks the box: its label moves alone, as a drag of it does.
    Click(ed().boxSize(b));
    EXPECT_EQ(ed().Marked(), &ed().boxSize(b));
    const Label label = ed().boxSize(b);
    const Shape frame = ed().boxFrame(b);
    Key(Qt::Key_Left);
    Key(Qt::Key_Up, kShift);
    EXPECT_FLOAT_EQ(ed().boxSize(b).Left, label.Left - 15);
    EXPECT_FLOAT_EQ(ed().boxSize(b).Top, label.Top - 150);
    EXPECT_EQ(ed().boxFrame(b).Left, frame.Left);
    EXPECT_EQ(ed().history.UndoCount(), steps + 3);

    // Tab goes through them in the order they were made, whatever their kind.
    Click(ed().aapx(d));
    Key(Qt::Key_Tab);
    EXPECT_EQ(ed().Marked(), &ed().boxSize(b));
    Key(Qt::Key_Tab);
    Key(Qt::Key_Delete);  // the redaction goes, and the picture shows through again
    EXPECT_FALSE(ed().redaction.Exists(r));
    EXPECT_EQ(ed().Picture2.Picture().pixel(100, 200), noise.pixel(100, 200));
    Key(Qt::Key_Backtab);
    Key(Qt::Key_Delete);  // the box goes whole
    EXPECT_FALSE(ed().boxSize.Exists(b) || ed().boxFrame.Exists(b));
    EXPECT_TRUE(ed().aapx.Exists(d));
    Key(Qt::Key_Delete);  // nothing pressed is left: nothing more goes
    EXPECT_TRUE(ed().aapx.Exists(d));

    for (int k = 0; k < 5; ++k) Key(Qt::Key_Z, kCtrl);
    EXPECT_EQ(Now(), all);
    EXPECT_NE(ed().Picture2.Picture().pixel(100, 200), noise.pixel(100, 200));
}

TEST_F(KeyboardTest, EscapeCallsOffADragAndLeavesNoStep) {
    const int d = DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    const AnnotationSnapshot start = Now();
    const size_t steps = ed().history.UndoCount();

    // A marker half drawn goes; the rest of that press does nothing.
    for (void (Form1::*tool)() :
         {&Form1::Command3_Click, &Form1::Command4_Click, &Form1::Command6_Click}) {
        (ed().*tool)();
        ed().Picture2.MouseDown(Left(900, 2000));
        ed().Picture2.MouseMove({1, 0, 2500, 2600});
        ed().Timer1_Timer();
        ed().Picture2.MouseMove({1, 0, 2600, 2700});
        Key(Qt::Key_Escape);
        EXPECT_EQ(Now(), start);
        EXPECT_FALSE(ed().Timer1.Enabled());
        ed().Picture2.MouseMove({1, 0, 3000, 3000});
        ed().Picture2.MouseUp(Left(3000, 3000));
        EXPECT_EQ(Now(), start);
        EXPECT_EQ(ed().history.UndoCount(), steps);
    }
    // The next press draws as usual.
    const int next = DrawWired(&Form1::Command3_Click, 600, 3000, 3000, 3000);
    EXPECT_TRUE(ed().annotations.DistanceMarkerAt(next));
    EXPECT_EQ(ed().history.UndoCount(), steps + 1);
    Key(Qt::Key_Z, kCtrl);
    EXPECT_EQ(Now(), start);

    // A label being dragged goes back, in its own colours.
    Label& label = ed().aapx(d);
    label.MouseDown(Left(10, 10));
    label.MouseMove({1, 0, 400, 300});
    ASSERT_NE(Now(), start);
    Key(Qt::Key_Escape);
    label.MouseMove({1, 0, 600, 600});
    label.MouseUp(Left(600, 600));
    EXPECT_EQ(Now(), start);
    EXPECT_EQ(ed().history.UndoCount(), steps);

    // The move tool's pan goes back too.
    ed().Command2_Click();
    const float left = ed().Picture2.Left;
    ed().Picture2.MouseDown(Left(1000, 1000));
    ed().Picture2.MouseMove({1, 0, 1600, 1000});
    ASSERT_NE(ed().Picture2.Left, left);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ed().Picture2.Left, left);

    // Escape with no press held is no one's.
    Key(Qt::Key_Escape);
    EXPECT_EQ(Now(), start);
}

TEST_F(KeyboardTest, KeysTypeIntoATextBoxThatHoldsTheKeyboard) {
    const int d = DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    const int n = DrawWired(&Form1::Command6_Click, 900, 3000, 2400, 3600);
    Click(ed().aapx(d));
    ed().Image8_Click();
    const AnnotationSnapshot start = Now();
    for (const TextBox* box :
         {static_cast<const TextBox*>(&ed().bz(n)), static_cast<const TextBox*>(&ed().shuzhi)}) {
        ed().Focused = box;
        for (int key : {Qt::Key_D, Qt::Key_2, Qt::Key_Right, Qt::Key_Delete}) Key(key);
        Key(Qt::Key_S, kCtrl);
        EXPECT_EQ(ed().pd, Tool::Move);
        EXPECT_EQ(Now(), start);
        EXPECT_TRUE(desktop.saveRequests.empty());
    }
    ed().Focused = nullptr;
    Key(Qt::Key_Delete);
    EXPECT_FALSE(ed().aapx.Exists(d));
}

TEST_F(KeyboardTest, CtrlSSavesAndCtrlVOpensTheClipboardPicture) {
    DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    const QString file = QDir::temp().filePath(QStringLiteral("orvane-keyboard-save.png"));
    QFile::remove(file);
    desktop.saveFiles.push_back(file);
    Key(Qt::Key_S, kCtrl);
    ASSERT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_TRUE(QFile::exists(file));
    QFile::remove(file);

    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    desktop.clipboardPicture = picture;
    Key(Qt::Key_V, kCtrl);
    EXPECT_EQ(ed().Picture2.Picture().size(), picture.size());
    EXPECT_EQ(ed().Picture2.Picture().pixel(5, 5), picture.pixel(5, 5));
    EXPECT_TRUE(ed().Visible);
    EXPECT_EQ(ed().history.UndoCount(), 0u);  // a fresh history with the new picture
    // An empty clipboard says so, as the tray menu's route does.
    desktop.clipboardPicture = QImage();
    Key(Qt::Key_V, kCtrl);
    ASSERT_FALSE(desktop.messages.empty());
    EXPECT_EQ(desktop.messages.back().second, QStringLiteral("no picture in clipboard"));
}

}  // namespace
}  // namespace orv::test
