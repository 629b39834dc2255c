// Custom label text: the in-place edit box over a length label and its tick.

#include <gtest/gtest.h>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

class CustomText : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        ed().Command3_Click();
        Drag(1000, 2000, 4735, 2050);  // 249 pixels apart: "250px"
        Drag(1000, 5000, 2500, 5050);
    }
    /// Right-clicks label n and chooses "Custom text".
    void Open(int n) {
        desktop.menuChoices.push_back(QStringLiteral("shizhi"));
        ed().aapx_MouseDown(n, Right(3, 3));
    }
    TextBox& box() { return ed().shuzhi; }
};

TEST_F(CustomText, EditBoxCoversTheLabelWithItsTextAndTheTickSitsBesideIt) {
    Open(1);
    const Label& label = ed().aapx(1);
    const PictureBox& canvas = ed().Picture2;
    ASSERT_EQ(label.Caption(), QStringLiteral("250px"));
    EXPECT_TRUE(box().Visible);
    EXPECT_TRUE(ed().szz.Visible);
    EXPECT_EQ(ed().ifsz, QStringLiteral("1"));
    EXPECT_EQ(box().Text(), QStringLiteral("250px"));
    EXPECT_EQ(box().Left, label.Left + canvas.Left);
    EXPECT_EQ(box().Top, label.Top + canvas.Top);
    EXPECT_EQ(box().Width, label.Width);
    EXPECT_EQ(box().Height, label.Height);
    EXPECT_EQ(ed().szz.Left, label.Left + canvas.Left + label.Width);
    EXPECT_EQ(ed().szz.Top, box().Top);
    EXPECT_EQ(ed().FocusRequest, &box());
}

TEST_F(CustomText, TickAppliesTheTextResizesTheLabelAndCloses) {
    Open(1);
    const float width = ed().aapx(1).Width;
    box().SetText(QStringLiteral("2.5 cm, measured twice"));
    ed().szz_Click();
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("2.5 cm, measured twice"));
    EXPECT_GT(ed().aapx(1).Width, width);
    EXPECT_FALSE(box().Visible);
    EXPECT_FALSE(ed().szz.Visible);
    EXPECT_TRUE(box().Text().isEmpty());
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("101px"));

    // An empty box gives an empty caption.
    Open(2);
    box().SetText(QString());
    ed().szz_Click();
    EXPECT_EQ(ed().aapx(2).Caption(), QString());
}

TEST_F(CustomText, TextLandsOnTheLabelPressedLastAndStaysWhereItIs) {
    Open(1);
    box().SetText(QStringLiteral("gap"));
    const float left = box().Left, top = box().Top;
    // Dragging the other label before the tick makes it the target.
    ed().aapx_MouseDown(2, Left(0, 0));
    ed().aapx_MouseMove(2, Left(300, 300));
    ed().aapx_MouseUp(2, Left(300, 300));
    EXPECT_EQ(box().Left, left);
    EXPECT_EQ(box().Top, top);
    ed().szz_Click();
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("gap"));
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("250px"));

    // Drawing another marker afterwards never overwrites the custom text.
    Drag(1000, 8000, 1300, 8000);
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("gap"));
    EXPECT_EQ(ed().aapx(3).Caption(), QStringLiteral("21px"));
}

TEST_F(CustomText, OpeningAgainMovesTheBoxToTheNewLabel) {
    Open(1);
    box().SetText(QStringLiteral("draft"));
    Open(2);
    EXPECT_EQ(box().Text(), QStringLiteral("101px"));
    EXPECT_EQ(box().Top, ed().aapx(2).Top + ed().Picture2.Top);
}

TEST_F(CustomText, DeletedTargetDiscardsTheEdit) {
    Open(1);
    box().SetText(QStringLiteral("lost"));
    desktop.menuChoices.push_back(QStringLiteral("Deleteline"));
    ed().aapx_MouseDown(1, Right(3, 3));
    ASSERT_FALSE(ed().aapx.Exists(1));
    EXPECT_NO_THROW(ed().szz_Click());
    EXPECT_FALSE(box().Visible);
    EXPECT_EQ(ed().aapx.Template().Caption(), QStringLiteral("aapx"));
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("101px"));
    // Opening on a marker that is gone shows nothing.
    ed().Command25_Click();
    EXPECT_FALSE(box().Visible);
}

TEST_F(CustomText, EnterAppliesAndEscapeClosesWithoutApplying) {
    Open(1);
    box().SetText(QStringLiteral("typed"));
    box().KeyPress(Qt::Key_A);  // ordinary keys are the box's own
    EXPECT_TRUE(box().Visible);
    box().KeyPress(Qt::Key_Escape);
    EXPECT_FALSE(box().Visible);
    EXPECT_FALSE(ed().szz.Visible);
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("250px"));

    Open(1);
    box().SetText(QStringLiteral("typed"));
    box().KeyPress(Qt::Key_Return);
    EXPECT_EQ(ed().aapx(1).Caption(), QStringLiteral("typed"));
    EXPECT_FALSE(box().Visible);
    Open(2);
    box().SetText(QStringLiteral("keypad"));
    box().KeyPress(Qt::Key_Enter);
    EXPECT_EQ(ed().aapx(2).Caption(), QStringLiteral("keypad"));
}

}  // namespace
}  // namespace orv::test
