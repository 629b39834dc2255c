// The palette, the colour and background commands of the distance-marker and
// colour-marker menus, and deleting either kind of marker.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

constexpr Colour kGreen = RGB(0, 192, 0);
constexpr Colour kChosen = RGB(10, 20, 30);

class Styling : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400, QColor(0, 128, 255));
    }
    /// Draws a horizontal distance marker on row y (twips); returns its index.
    int Distance(float y) {
        ed().Command3_Click();
        const int n = ed().qqqq;
        Drag(1000, y, 3000, y + 50);
        return n;
    }
    /// Places a colour marker or a note (tool command) pressed at (x, y).
    int Leader(void (Form1::*tool)(), float x, float y) {
        (ed().*tool)();
        const int n = ed().wwww;
        Drag(x, y, x + 600, y + 300);
        return n;
    }
    /// Right-clicks the element's label and picks a menu item.
    void ChooseFromDistanceMenu(int n, const char* item) {
        desktop.menuChoices.push_back(QString::fromLatin1(item));
        ed().aapx_MouseDown(n, Right(5, 5));
    }
    void ChooseFromColourMenu(int n, const char* item) {
        ed().coindex = n;  // what the code label's press records
        app->TrayHost().RunMenuItem(QString::fromLatin1(item));
    }
};

TEST_F(Styling, PaletteColoursOnlyAnnotationsMadeAfterwards) {
    const int before = Distance(1500);
    ed().colormenu_Click(1);
    EXPECT_EQ(ed().colorshape.Left, 600 - 60);
    EXPECT_EQ(ed().colorshape.Top, 60);

    const int after = Distance(3000);
    const int note = Leader(&Form1::Command6_Click, 4000, 4000);
    const int marker = Leader(&Form1::Command4_Click, 1500, 4500);
    for (Line* l : {&ed().Line1(after), &ed().aaaa(after), &ed().bbbb(after), &ed().zba(note),
                    &ed().zbb(note), &ed().zba(marker), &ed().zbb(marker)})
        EXPECT_EQ(l->BorderColor, kGreen) << l->Name.toStdString() << l->Index;
    EXPECT_EQ(ed().aapx(after).ForeColor, kGreen);
    EXPECT_EQ(ed().bz(note).ForeColor, kGreen);
    EXPECT_EQ(ed().co(marker).ForeColor, kGreen);

    for (Line* l : {&ed().Line1(before), &ed().aaaa(before), &ed().bbbb(before)})
        EXPECT_EQ(l->BorderColor, kAnnotationRed);
    EXPECT_EQ(ed().aapx(before).ForeColor, kAnnotationRed);
    // The swatch shows the sampled colour, the note label keeps its own.
    EXPECT_EQ(ed().Shape1.Template().BackColor, RGB(128, 255, 128));
    EXPECT_EQ(ed().Shape1(marker).BackColor, RGB(0, 128, 255));
    EXPECT_EQ(ed().bzz.Template().ForeColor, RGB(0, 0, 0));
}

TEST_F(Styling, ToolStripPaletteSetsTheEditorsTemplatesAndMovesOnlyItsOwnFrame) {
    form3& strip = app->Strip();
    strip.colormenu_Click(4);
    EXPECT_EQ(strip.colorshape.Left, strip.colormenu[4].Left - 60);
    EXPECT_EQ(ed().colorshape.Left, 180);  // the editor's frame stays round red
    EXPECT_EQ(ed().Line1.Template().BorderColor, RGB(255, 128, 0));
    EXPECT_EQ(ed().co.Template().ForeColor, RGB(255, 128, 0));
    // Back to red from the editor's palette; out-of-range swatches do nothing.
    ed().colormenu_Click(0);
    ed().colormenu_Click(6);
    ed().colormenu_Click(-1);
    EXPECT_EQ(ed().colorshape.Left, 180);
    EXPECT_EQ(ed().zba.Template().BorderColor, kAnnotationRed);
}

TEST_F(Styling, LineColourRecoloursTheWholeDistanceMarkerOnly) {
    const int a = Distance(1500), b = Distance(3000);
    desktop.colourChoices.push_back(kChosen);
    ChooseFromDistanceMenu(b, "delyanse");
    for (Line* l : {&ed().Line1(b), &ed().aaaa(b), &ed().bbbb(b)})
        EXPECT_EQ(l->BorderColor, kChosen);
    EXPECT_EQ(ed().aapx(b).ForeColor, kChosen);
    EXPECT_EQ(ed().aapx(b).BackColor, kLabelBack);
    EXPECT_EQ(ed().Line1(a).BorderColor, kAnnotationRed);
    EXPECT_EQ(ed().aapx(a).ForeColor, kAnnotationRed);

    // Cancelling the dialog changes nothing.
    ChooseFromDistanceMenu(a, "delyanse");
    EXPECT_EQ(desktop.colourDialogStarts.size(), 2u);
    EXPECT_EQ(ed().Line1(a).BorderColor, kAnnotationRed);
    EXPECT_EQ(ed().aapx(a).ForeColor, kAnnotationRed);
}

TEST_F(Styling, DistanceLabelBackgroundIsTransparentOrTheNewlyChosenColour) {
    const int n = Distance(1500);
    Label& label = ed().aapx(n);
    ASSERT_EQ(label.BackStyle, 1);
    ChooseFromDistanceMenu(n, "tmbjs");
    EXPECT_EQ(label.BackStyle, 0);
    desktop.colourChoices.push_back(kChosen);
    ChooseFromDistanceMenu(n, "btmbjs");
    EXPECT_EQ(label.BackStyle, 1);
    EXPECT_EQ(label.BackColor, kChosen);
    // A cancelled choice keeps the label as it is, also when transparent.
    ChooseFromDistanceMenu(n, "tmbjs");
    ChooseFromDistanceMenu(n, "btmbjs");
    EXPECT_EQ(label.BackStyle, 0);
    EXPECT_EQ(label.BackColor, kChosen);
}

TEST_F(Styling, DeletingADistanceMarkerRemovesAllFourElements) {
    const int a = Distance(1500), b = Distance(3000);
    ChooseFromDistanceMenu(a, "Deleteline");
    EXPECT_FALSE(ed().Line1.Exists(a));
    EXPECT_FALSE(ed().aapx.Exists(a));
    EXPECT_FALSE(ed().aaaa.Exists(a));
    EXPECT_FALSE(ed().bbbb.Exists(a));
    EXPECT_TRUE(ed().Line1.Exists(b) && ed().aapx.Exists(b) && ed().aaaa.Exists(b) &&
                ed().bbbb.Exists(b));
    // Indices are not reused.
    EXPECT_EQ(Distance(4500), b + 1);

    // Commands addressing a marker that is gone, or nothing yet, do nothing.
    ed().aapxindex = a;
    desktop.colourChoices.push_back(kChosen);
    for (auto cmd : {&Form1::Command9_Click, &Form1::Command18_Click, &Form1::Command20_Click,
                     &Form1::delline_Click})
        EXPECT_NO_THROW((ed().*cmd)());
    EXPECT_TRUE(desktop.colourDialogStarts.empty());
    ed().aapxindex = 0;
    ed().Command20_Click();
    ed().delline_Click();
    EXPECT_TRUE(ed().aapx.Exists(0));
    EXPECT_EQ(ed().aapx.Template().BackStyle, 1);
}

TEST_F(Styling, ColourLabelBackgroundIsTransparentOrTheNewlyChosenColour) {
    const int n = Leader(&Form1::Command4_Click, 1500, 1500);
    Label& label = ed().co(n);
    ChooseFromColourMenu(n, "coltran");
    EXPECT_EQ(label.BackStyle, 0);
    desktop.colourChoices.push_back(kChosen);
    ChooseFromColourMenu(n, "tjbjs");
    EXPECT_EQ(label.BackStyle, 1);
    EXPECT_EQ(label.BackColor, kChosen);
    ChooseFromColourMenu(n, "coltran");
    ChooseFromColourMenu(n, "tjbjs");  // cancelled
    EXPECT_EQ(label.BackStyle, 0);
    // The dialog opens with the colour chosen last.
    EXPECT_EQ(desktop.colourDialogStarts.back(), kChosen);
}

TEST_F(Styling, DeletingAColourMarkerRemovesItsSwatchAndSparesNotes) {
    const int marker = Leader(&Form1::Command4_Click, 1500, 1500);
    const int note = Leader(&Form1::Command6_Click, 3000, 3000);
    ChooseFromColourMenu(marker, "delcolo");
    EXPECT_FALSE(ed().zba.Exists(marker));
    EXPECT_FALSE(ed().zbb.Exists(marker));
    EXPECT_FALSE(ed().co.Exists(marker));
    EXPECT_FALSE(ed().Shape1.Exists(marker));
    EXPECT_TRUE(ed().zba.Exists(note) && ed().zbb.Exists(note) && ed().bz.Exists(note));

    // An index without a colour marker (a note's, or a deleted one) deletes nothing.
    for (int i : {note, marker, 0}) {
        ed().coindex = i;
        EXPECT_NO_THROW(ed().delzbb_Click());
        EXPECT_NO_THROW(ed().coltm_Click());
    }
    EXPECT_TRUE(ed().zba.Exists(note) && ed().zbb.Exists(note));
    EXPECT_TRUE(ed().co.Exists(0) && ed().Shape1.Exists(0));
    EXPECT_EQ(ed().co.Template().BackStyle, 1);
}

}  // namespace
}  // namespace orv::test
