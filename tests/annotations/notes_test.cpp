// Notes after placing: automatic size, switching between the text box and the
// transparent label, moving, the right-click menu and its commands.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"
#include "platform/Fonts.h"

namespace orv::test {
namespace {

constexpr Colour kBlue = RGB(0, 0, 255);
constexpr Colour kGreen = RGB(0, 160, 0);
constexpr Colour kGrey = RGB(200, 200, 200);

/// The extent of text in the editor window's font (Arial 9 pt, normal weight).
QSizeF Extent(const QString& text) {
    return MeasureText(FontSpec{QStringLiteral("Arial"), 9.0, false}, text);
}

class Note : public CanvasTest {
  protected:
    /// Places a note with the note tool and returns its index.
    int Place(float x = 2000, float y = 2000) {
        ed().Command6_Click();
        const int n = ed().wwww;
        Drag(x, y, x + 1500, y + 300);
        return n;
    }
    TextBox& box(int i) { return ed().bz(i); }
    Label& label(int i) { return ed().bzz(i); }
    /// Right-clicks note i's box and chooses item from its menu.
    void Choose(int i, const QString& item) {
        desktop.menuChoices.push_back(item);
        ed().bz_MouseDown(i, Right(20, 20));
    }
    void HoverBox(int i, float x, float y) { ed().bz_MouseMove(i, MouseEvent{0, 0, x, y}); }
    /// The pointer leaves the box to the right.
    void LeaveBox(int i) { HoverBox(i, box(i).Width + 300, 10); }
};

TEST_F(Note, NewBoxKeepsTheTemplateUntilTheFirstEdit) {
    const int n = Place();
    EXPECT_EQ(box(n).Text(), QStringLiteral("TEXT\r\n"));
    EXPECT_EQ(box(n).Width, 735);
    EXPECT_EQ(box(n).Height, 285);
    EXPECT_TRUE(box(n).Visible);

    const float left = box(n).Left, top = box(n).Top;
    box(n).SetText(QStringLiteral("TEXT\r\nX"));
    // Two lines now; the box stays where it is.
    EXPECT_EQ(box(n).Height, Extent(QStringLiteral("A\nB")).height() + 100);
    EXPECT_EQ(box(n).Left, left);
    EXPECT_EQ(box(n).Top, top);
}

TEST_F(Note, EveryEditSizesTheBoxToTheTextPlusAMargin) {
    const int n = Place();
    const QString texts[] = {
        QStringLiteral("short"),
        QStringLiteral("a much longer line of note text, typed at once"),
        QStringLiteral("a much longer line of note text, typed at once\r\nand a second"),
        QStringLiteral("one\r\ntwo\r\nthree\r\n"),
        QString(),
    };
    float lastWidth = 0;
    for (const QString& t : texts) {
        box(n).SetText(t);
        const QSizeF e = Extent(t);
        EXPECT_EQ(box(n).Width, static_cast<float>(e.width()) + 100) << t.toStdString();
        EXPECT_EQ(box(n).Height, static_cast<float>(e.height()) + 100) << t.toStdString();
        lastWidth = box(n).Width;
    }
    EXPECT_EQ(lastWidth, 100);  // an empty text leaves only the margin

    // Measured in normal weight, not in the box's own bold font.
    const QString wide = QStringLiteral("bdhnpqu bdhnpqu bdhnpqu bdhnpqu");
    box(n).SetText(wide);
    EXPECT_LT(box(n).Width, MeasureText(box(n).Font, wide).width() + 100);
}

TEST_F(Note, TransparentNoteShowsItsBoxOnlyWhileHovered) {
    const int n = Place();
    box(n).SetText(QStringLiteral("first line\r\nsecond"));
    box(n).ForeColor = kGreen;
    Choose(n, QStringLiteral("backtm"));
    EXPECT_EQ(label(n).Caption(), box(n).Text());
    EXPECT_TRUE(label(n).Visible);
    EXPECT_FALSE(box(n).Visible);
    EXPECT_GT(label(n).StackKey(), ed().zba(n).StackKey());

    // Pointer over the label: the box takes its place.
    ed().bzindex = 0;
    ed().bzz_MouseMove(n, MouseEvent{0, 0, 5, 5});
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_FALSE(label(n).Visible);

    // Inside the box the pointer is captured; the corner counts as inside.
    HoverBox(n, box(n).Width, box(n).Height);
    EXPECT_EQ(ed().Capture, &box(n));

    // Edits while shown, then leaving: the label shows the new text in place.
    box(n).Left += 450;
    box(n).SetText(QStringLiteral("edited"));
    LeaveBox(n);
    EXPECT_EQ(ed().Capture, nullptr);
    EXPECT_TRUE(label(n).Visible);
    EXPECT_FALSE(box(n).Visible);
    EXPECT_EQ(label(n).Caption(), QStringLiteral("edited"));
    EXPECT_EQ(label(n).Left, box(n).Left);
    EXPECT_EQ(label(n).Top, box(n).Top);
    EXPECT_EQ(label(n).Width, box(n).Width);
    EXPECT_EQ(label(n).Height, box(n).Height);
    EXPECT_EQ(label(n).ForeColor, kGreen);
    EXPECT_EQ(label(n).BackStyle, 0);

    // A click on the label shows the box as well.
    ed().bzz_Click(n);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_FALSE(label(n).Visible);
}

TEST_F(Note, OpaqueNoteKeepsItsBoxWhenThePointerLeaves) {
    const int n = Place();
    HoverBox(n, 10, 10);
    EXPECT_EQ(ed().Capture, &box(n));
    LeaveBox(n);
    EXPECT_EQ(ed().Capture, nullptr);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_FALSE(label(n).Visible);
    // Above or left of the box is outside too.
    HoverBox(n, 10, 10);
    HoverBox(n, -1, 10);
    EXPECT_EQ(ed().Capture, nullptr);
}

TEST_F(Note, ClearedTransparentNoteTurnsOpaque) {
    const int n = Place();
    Choose(n, QStringLiteral("backtm"));
    ed().bzz_MouseMove(n, MouseEvent{});
    box(n).SetText(QString());
    LeaveBox(n);
    // An empty label lies in the box's place...
    EXPECT_TRUE(label(n).Visible);
    EXPECT_TRUE(label(n).Caption().isEmpty());
    EXPECT_EQ(label(n).Width, box(n).Width);
    EXPECT_FALSE(box(n).Visible);
    // ...and once the pointer has passed over it the box stays.
    ed().bzz_MouseMove(n, MouseEvent{});
    LeaveBox(n);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_FALSE(label(n).Visible);
}

TEST_F(Note, TransparentCommandOnAnEmptyNoteLeavesItOpaque) {
    const int n = Place();
    box(n).SetText(QString());
    Choose(n, QStringLiteral("backtm"));
    EXPECT_TRUE(label(n).Caption().isEmpty());
    EXPECT_FALSE(box(n).Visible);  // hidden until the pointer passes over
    ed().bzz_MouseMove(n, MouseEvent{});
    HoverBox(n, 10, 10);
    LeaveBox(n);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_FALSE(label(n).Visible);
}

TEST_F(Note, DraggingMovesOnlyTheBoxWithABlueLeader) {
    const int n = Place();
    box(n).ForeColor = kGreen;
    const Line& a = ed().zba(n);
    const Line& b = ed().zbb(n);
    const float bx2 = b.X2, by2 = b.Y2, ax2 = a.X2;
    const float left = box(n).Left, top = box(n).Top;

    ed().bz_MouseDown(n, Left(40, 60));
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_EQ(a.BorderColor, kBlue);
    EXPECT_EQ(b.BorderColor, kBlue);
    ed().bz_MouseMove(n, Left(340, 10));
    ed().bz_MouseMove(n, MouseEvent{3, 0, 900, 900});  // two buttons: no move
    EXPECT_EQ(box(n).Left, left + 300);
    EXPECT_EQ(box(n).Top, top - 50);
    EXPECT_EQ(ed().Capture, nullptr);  // a held button takes no hover capture
    EXPECT_EQ(b.X2, bx2);
    EXPECT_EQ(b.Y2, by2);
    EXPECT_EQ(a.X2, ax2);

    ed().bz_MouseUp(n, Left(40, 60));
    EXPECT_EQ(a.BorderColor, kGreen);
    EXPECT_EQ(b.BorderColor, kGreen);
    EXPECT_EQ(box(n).ForeColor, kGreen);
}

TEST_F(Note, RightPressOpensOnlyTheNoteMenuAndFocusesTheBox) {
    const int n = Place();
    Place(6000, 2000);
    ed().bz_MouseDown(n, Right(10, 10));
    EXPECT_EQ(desktop.menusOpened, std::vector<QString>{QStringLiteral("cddd")});
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_EQ(ed().FocusRequest, &box(n));
    EXPECT_TRUE(box(n).Enabled);
}

TEST_F(Note, ColourCommandsActOnTheClickedNote) {
    const int n = Place();
    const int other = Place(6000, 2000);
    desktop.colourChoices = {kGrey, kGreen};
    Choose(n, QStringLiteral("editys"));
    Choose(n, QStringLiteral("editfore"));
    EXPECT_EQ(box(n).BackColor, kGrey);
    EXPECT_EQ(box(n).ForeColor, kGreen);
    EXPECT_EQ(box(other).BackColor, kLabelBack);
    EXPECT_EQ(desktop.colourDialogStarts.back(), kGrey);  // the last choice

    // Cancelled dialogs change nothing.
    Choose(n, QStringLiteral("editys"));
    Choose(n, QStringLiteral("editfore"));
    EXPECT_EQ(box(n).BackColor, kGrey);
    EXPECT_EQ(box(n).ForeColor, kGreen);

    // The leader takes the text colour at the next release of the box, and a
    // release after the menu does not undo the colour chosen there.
    EXPECT_EQ(ed().zba(n).BorderColor, kAnnotationRed);
    ed().bz_MouseUp(n, Right(20, 20));
    EXPECT_EQ(box(n).ForeColor, kGreen);
    ed().bz_MouseDown(n, Left(5, 5));
    ed().bz_MouseUp(n, Left(5, 5));
    EXPECT_EQ(ed().zba(n).BorderColor, kGreen);
    EXPECT_EQ(ed().zbb(n).BorderColor, kGreen);
}

TEST_F(Note, OpaqueCommandSwitchesBackEvenWhenTheDialogIsCancelled) {
    const int n = Place();
    Choose(n, QStringLiteral("backtm"));
    ed().bzz_MouseMove(n, MouseEvent{});
    Choose(n, QStringLiteral("backno"));  // dialog cancelled
    EXPECT_TRUE(label(n).Caption().isEmpty());
    EXPECT_FALSE(label(n).Visible);
    EXPECT_TRUE(box(n).Visible);
    EXPECT_EQ(box(n).BackColor, kLabelBack);
    LeaveBox(n);
    EXPECT_TRUE(box(n).Visible);  // opaque now

    desktop.colourChoices.push_back(kGrey);
    Choose(n, QStringLiteral("backno"));
    EXPECT_EQ(box(n).BackColor, kGrey);
}

TEST_F(Note, DeletingATransparentNoteWhileShownRemovesItFromView) {
    const int n = Place();
    const int other = Place(6000, 2000);
    Choose(n, QStringLiteral("backtm"));
    ed().bzz_MouseMove(n, MouseEvent{});
    HoverBox(n, 10, 10);
    Choose(n, QStringLiteral("Delete"));
    EXPECT_FALSE(ed().zba.Exists(n));
    EXPECT_FALSE(ed().zbb.Exists(n));
    EXPECT_FALSE(ed().bz.Exists(n));
    EXPECT_FALSE(label(n).Visible);
    EXPECT_EQ(ed().Capture, nullptr);
    EXPECT_EQ(ed().FocusRequest, nullptr);
    EXPECT_TRUE(ed().bz.Exists(other));

    // Deleting again, and pointer events for the gone box, are harmless.
    EXPECT_NO_THROW(ed().Command19_Click());
    EXPECT_NO_THROW(ed().bz_MouseMove(n, Left(10, 10)));
    EXPECT_NO_THROW(ed().bz_MouseUp(n, Left(10, 10)));
    EXPECT_NO_THROW(ed().Command15_Click());
}

TEST_F(Note, DeleteToleratesElementsAlreadyGone) {
    const int n = Place();
    ed().zba.Unload(n);
    ed().bzindex = n;
    ed().Command19_Click();
    EXPECT_FALSE(ed().zbb.Exists(n));
    EXPECT_FALSE(ed().bz.Exists(n));
}

}  // namespace
}  // namespace orv::test
