// Colour markers after placing: moving the code label, the right-click menu,
// the line colour and copying the colour code.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

constexpr Colour kBlue = RGB(0, 0, 255);
constexpr Colour kGreen = RGB(0, 160, 0);

class ColourMarker : public CanvasTest {
  protected:
    /// Places a marker on an orange picture and returns its index.
    int Place(float x0 = 1000, float y0 = 1000, float x1 = 3000, float y1 = 1500) {
        Picture(400, 300, QColor(255, 128, 0));
        ed().Command4_Click();
        const int n = ed().wwww;
        Drag(x0, y0, x1, y1);
        return n;
    }
    /// Right-clicks marker i and chooses item from its menu.
    void Choose(int i, const QString& item) {
        desktop.menuChoices.push_back(item);
        ed().co_MouseDown(i, Right(20, 20));
    }
};

TEST_F(ColourMarker, HoldingTheLabelMovesOnlyTheLabelWithBlueLegs) {
    const int n = Place();
    Label& label = ed().co(n);
    label.ForeColor = kGreen;  // a text colour of the marker's own
    const float left = label.Left, top = label.Top;
    const Shape& swatch = ed().Shape1(n);
    const float swLeft = swatch.Left, swTop = swatch.Top;
    const Line& a = ed().zba(n);
    const Line& b = ed().zbb(n);
    const float ax2 = a.X2, ay2 = a.Y2, bx1 = b.X1, bx2 = b.X2;

    ed().co_MouseDown(n, Left(30, 45));
    EXPECT_EQ(ed().coindex, n);
    EXPECT_EQ(a.BorderColor, kBlue);
    EXPECT_EQ(b.BorderColor, kBlue);

    ed().co_MouseMove(n, Left(130, 95));
    ed().co_MouseMove(n, Left(60, 45));  // relative to the label, which has moved
    EXPECT_EQ(label.Left, left + 130);
    EXPECT_EQ(label.Top, top + 50);
    EXPECT_GT(label.StackKey(), swatch.StackKey());  // brought to the front

    // Swatch and leader stay: the leader is no longer attached to the label.
    EXPECT_EQ(swatch.Left, swLeft);
    EXPECT_EQ(swatch.Top, swTop);
    EXPECT_EQ(a.X2, ax2);
    EXPECT_EQ(a.Y2, ay2);
    EXPECT_EQ(b.X1, bx1);
    EXPECT_EQ(b.X2, bx2);

    ed().co_MouseUp(n, Left(60, 45));
    EXPECT_EQ(a.BorderColor, kGreen);
    EXPECT_EQ(b.BorderColor, kGreen);
    EXPECT_EQ(label.ForeColor, kGreen);
}

TEST_F(ColourMarker, OnlyTheLeftButtonAloneMovesTheLabel) {
    const int n = Place();
    Label& label = ed().co(n);
    const float left = label.Left, top = label.Top;
    ed().co_MouseDown(n, Left(30, 45));
    ed().co_MouseMove(n, MouseEvent{3, 0, 500, 500});  // left and right held
    ed().co_MouseMove(n, MouseEvent{2, 0, 500, 500});
    ed().co_MouseMove(n, MouseEvent{0, 0, 500, 500});
    EXPECT_EQ(label.Left, left);
    EXPECT_EQ(label.Top, top);
}

TEST_F(ColourMarker, RightClickFillsTheScratchPairAndOpensOnlyTheMarkerMenu) {
    const int first = Place();
    Place(1000, 4000, 3000, 4500);  // the newest marker is not the one clicked
    ed().co(first).SetCaption(QStringLiteral("R1,G2,B3"));
    ed().co(first).ToolTipText = QStringLiteral("#010203");

    ed().co_MouseDown(first, Right(10, 10));  // menu dismissed
    EXPECT_EQ(desktop.menusOpened, std::vector<QString>{QStringLiteral("cdd")});
    EXPECT_EQ(ed().coindex, first);
    EXPECT_EQ(ed().cotext1.Text, QStringLiteral("R1,G2,B3"));
    EXPECT_EQ(ed().cotext1.ToolTipText, QStringLiteral("#010203"));
}

TEST_F(ColourMarker, CopyPutsTheShownFormOnTheClipboard) {
    const int n = Place();
    desktop.clipboardText = QStringLiteral("old");
    Choose(n, QStringLiteral("fzts"));
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("#FF8000"));

    Choose(n, QStringLiteral("getrgb"));
    EXPECT_EQ(ed().co(n).Caption(), QStringLiteral("R255,G128,B0"));
    Choose(n, QStringLiteral("fzts"));
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("R255,G128,B0"));

    Choose(n, QStringLiteral("getweb"));
    Choose(n, QStringLiteral("fzts"));
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("#FF8000"));
}

TEST_F(ColourMarker, CopyOfAMarkerThatIsGoneLeavesTheClipboard) {
    const int n = Place();
    ed().coindex = n;
    ed().co.Unload(n);
    desktop.clipboardText = QStringLiteral("kept");
    ed().Command11_Click();
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("kept"));
}

TEST_F(ColourMarker, LineColourRecoloursLegsAndTextButNeverTheSwatch) {
    const int first = Place();
    const int second = Place(1000, 4000, 3000, 4500);
    const Colour sampled = ed().Shape1(first).BackColor;
    ASSERT_EQ(sampled, RGB(255, 128, 0));

    desktop.colourChoices.push_back(kGreen);
    Choose(first, QStringLiteral("delys"));
    EXPECT_EQ(desktop.colourDialogStarts.front(), RGB(0, 0, 0));  // black at first
    EXPECT_EQ(ed().zba(first).BorderColor, kGreen);
    EXPECT_EQ(ed().zbb(first).BorderColor, kGreen);
    EXPECT_EQ(ed().co(first).ForeColor, kGreen);
    EXPECT_EQ(ed().Shape1(first).BackColor, sampled);
    // The other marker is untouched.
    EXPECT_EQ(ed().co(second).ForeColor, kAnnotationRed);
    EXPECT_EQ(ed().zba(second).BorderColor, kAnnotationRed);

    // Cancelling changes nothing; the dialog opens with the last choice.
    Choose(first, QStringLiteral("delys"));
    EXPECT_EQ(desktop.colourDialogStarts.back(), kGreen);
    EXPECT_EQ(ed().co(first).ForeColor, kGreen);
    EXPECT_EQ(ed().zba(first).BorderColor, kGreen);
}

TEST_F(ColourMarker, ReleaseAfterTheMenuKeepsTheChosenColour) {
    const int n = Place();
    // An earlier hold remembered red.
    ed().co_MouseDown(n, Left(5, 5));
    ed().co_MouseUp(n, Left(5, 5));
    desktop.colourChoices.push_back(kGreen);
    Choose(n, QStringLiteral("delys"));
    ed().co_MouseUp(n, Right(20, 20));
    EXPECT_EQ(ed().co(n).ForeColor, kGreen);
    EXPECT_EQ(ed().zba(n).BorderColor, kGreen);
}

TEST_F(ColourMarker, ReleaseOfADeletedMarkerIsHarmless) {
    const int n = Place();
    ed().co_MouseDown(n, Left(5, 5));
    for (auto* a : {&ed().zba, &ed().zbb}) a->Unload(n);
    ed().co.Unload(n);
    EXPECT_NO_THROW(ed().co_MouseUp(n, Left(5, 5)));
    EXPECT_NO_THROW(ed().co_MouseMove(n, Left(50, 5)));
}

}  // namespace
}  // namespace orv::test
