// Notes after placing: automatic size, switching between the text box and the
// transparent label, the transparent, opaque and delete commands.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"
#include "platform/Fonts.h"

namespace orv::test {
namespace {

class Note : public CanvasTest {
  protected:
    int Place(float x = 2000) { return Draw(&Form1::Command6_Click, x, 2000, x + 1500, 2300); }
    TextBox& box(int i) { return ed().bz(i); }
    Label& label(int i) { return ed().bzz(i); }
    void Menu(int i, const char* item) { Choose(&Form1::bz_MouseDown, i, item); }
    void HoverBox(int i, float x, float y) { ed().bz_MouseMove(i, MouseEvent{0, 0, x, y}); }
    void HoverLabel(int i) { ed().bzz_MouseMove(i, MouseEvent{}); }
    void LeaveBox(int i) { HoverBox(i, box(i).Width + 300, 10); }
    /// What of note i shows: "box", "label", "both" or "none".
    std::string Shows(int i) {
        const bool b = box(i).Visible, l = label(i).Visible;
        return b && l ? "both" : b ? "box" : l ? "label" : "none";
    }
};

TEST_F(Note, BoxKeepsTheTemplateSizeUntilEachEditSizesItToTheTextPlusAMargin) {
    const int n = Place();
    EXPECT_EQ(box(n).Text(), QStringLiteral("TEXT\r\n"));
    EXPECT_EQ(QSizeF(box(n).Width, box(n).Height), QSizeF(735, 285));
    const QPointF place(3500, 2300 - 285 / 2.0);  // centred on the end of the level leg
    EXPECT_EQ(QPointF(box(n).Left, box(n).Top), place);
    // Measured in the box's own font, Arial 9 pt bold, the font its text is drawn in.
    const FontSpec boxFont{QStringLiteral("Arial"), 9.0, true};
    for (const QString& t : {QStringLiteral("a much longer line of note text, typed at once"),
                             QStringLiteral("one\r\ntwo\r\nthree\r\n"), QString()}) {
        box(n).SetText(t);
        const QSizeF e = MeasureText(boxFont, t);
        EXPECT_EQ(box(n).Width, static_cast<float>(e.width()) + 100) << t.toStdString();
        EXPECT_EQ(box(n).Height, static_cast<float>(e.height()) + 100) << t.toStdString();
    }
    EXPECT_EQ(QPointF(box(n).Left, box(n).Top), place);
    const QString wide = QStringLiteral("bdhnpqu bdhnpqu bdhnpqu bdhnpqu");
    box(n).SetText(wide);
    EXPECT_GT(box(n).Width,
              MeasureText(FontSpec{QStringLiteral("Arial"), 9.0, false}, wide).width() + 100);
}

// A transparent note shows its box while hovered and its label otherwise; deleting it while the
// box shows removes it completely.
TEST_F(Note, TransparentNoteShowsItsBoxOnlyWhileHoveredAndDeletesCompletely) {
    const int n = Place(), other = Place(6000);
    box(n).SetText(QStringLiteral("first line\r\nsecond"));
    box(n).ForeColor = RGB(0, 160, 0);
    Menu(n, "backtm");
    EXPECT_EQ(label(n).Caption(), box(n).Text());
    EXPECT_EQ(Shows(n), "label");
    EXPECT_GT(label(n).StackKey(), ed().zba(n).StackKey());

    ed().bzindex = 0;
    HoverLabel(n);  // the box takes the label's place
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_EQ(Shows(n), "box");
    HoverBox(n, box(n).Width, box(n).Height);  // the corner counts as inside
    EXPECT_EQ(ed().Capture, &box(n));

    // Edits while shown, then leaving: the label shows the new text in the box's place.
    box(n).Left += 450;
    box(n).SetText(QStringLiteral("edited"));
    LeaveBox(n);
    EXPECT_EQ(ed().Capture, nullptr);
    EXPECT_EQ(Shows(n), "label");
    EXPECT_EQ(label(n).Caption(), QStringLiteral("edited"));
    EXPECT_EQ(QRectF(label(n).Left, label(n).Top, label(n).Width, label(n).Height),
              QRectF(box(n).Left, box(n).Top, box(n).Width, box(n).Height));
    EXPECT_EQ(label(n).ForeColor, RGB(0, 160, 0));
    EXPECT_EQ(label(n).BackStyle, 0);

    ed().bzz_Click(n);  // a click on the label shows the box as well
    EXPECT_EQ(Shows(n), "box");

    HoverBox(n, 10, 10);
    Menu(n, "Delete");
    EXPECT_FALSE(ed().zba.Exists(n) || ed().zbb.Exists(n) || ed().bz.Exists(n));
    EXPECT_FALSE(label(n).Visible);
    EXPECT_TRUE(ed().Capture == nullptr && ed().FocusRequest == nullptr);
    EXPECT_TRUE(ed().bz.Exists(other));
    // Deleting again, or making the gone note transparent, is harmless.
    EXPECT_NO_THROW(ed().Command19_Click());
    EXPECT_NO_THROW(ed().Command15_Click());

    // One element already gone does not stop the others.
    ed().zba.Unload(other);
    ed().bzindex = other;
    ed().Command19_Click();
    EXPECT_FALSE(ed().zbb.Exists(other) || ed().bz.Exists(other));
}

// An empty note made transparent stays opaque; the opaque command switches back even when its
// dialog is cancelled (its colour choice is checked with the other colour commands).
TEST_F(Note, TransparentCommandOnAnEmptyNoteLeavesItOpaqueAndOpaqueAlwaysSwitchesBack) {
    const int n = Place();
    box(n).SetText(QString());
    Menu(n, "backtm");
    EXPECT_TRUE(label(n).Caption().isEmpty());
    EXPECT_EQ(Shows(n), "label");  // an empty label, until the pointer passes over
    HoverLabel(n);
    HoverBox(n, 10, 10);
    EXPECT_EQ(ed().Capture, &box(n));
    LeaveBox(n);
    EXPECT_EQ(ed().Capture, nullptr);
    EXPECT_EQ(Shows(n), "box");
    HoverBox(n, 10, 10);
    HoverBox(n, -1, 10);  // left of the box is outside too
    EXPECT_EQ(ed().Capture, nullptr);

    box(n).SetText(QStringLiteral("TEXT"));
    Menu(n, "backtm");
    HoverLabel(n);
    Menu(n, "backno");  // dialog cancelled
    EXPECT_TRUE(label(n).Caption().isEmpty());
    EXPECT_EQ(Shows(n), "box");
    LeaveBox(n);
    EXPECT_EQ(Shows(n), "box");  // opaque now
}

}  // namespace
}  // namespace orv::test
