// The editor window: fresh state, tool pictures, hide and close, start mode "0".
#include <gtest/gtest.h>

#include "AppFixture.h"

namespace orv::test {
namespace {

using EditorWindowTest = AppTest;

TEST_F(EditorWindowTest, FreshEditorIsInTheMoveToolWithCountersAtOneAndNoAnnotation) {
    Form1& e = ed();
    EXPECT_EQ(e.pd, QStringLiteral("2"));
    EXPECT_EQ(e.qqqq, 1);
    EXPECT_EQ(e.wwww, 1);
    EXPECT_EQ(e.moshi, 2);
    EXPECT_EQ(e.vars.lensWidth, 100);
    EXPECT_EQ(e.vars.lensHeight, 100);
    EXPECT_EQ(e.Width, Screen().Width);
    EXPECT_EQ(e.Height, Screen().Height);
    EXPECT_EQ(e.Line1.Count() + e.aapx.Count() + e.co.Count() + e.bz.Count() + e.zba.Count(), 0);
    EXPECT_TRUE(e.Picture1.Visible);
    EXPECT_TRUE(e.Picture6.Visible);
    EXPECT_TRUE(desktop.waits.empty());
    // The background pattern was tiled over the whole window.
    EXPECT_EQ(e.Surface.width(), 1920);
    EXPECT_EQ(e.Surface.height(), 1080);
}

TEST_F(EditorWindowTest, ToolPicturesFollowTheTable) {
    Form1& e = ed();
    struct Case {
        Image* click;
        void (Form1::*handler)();
        const char* pd;
    } cases[] = {{&e.Image7, &Form1::Image7_Click, "3"},
                 {&e.Image5, &Form1::Image5_Click, "0"},
                 {&e.Image6, &Form1::Image6_Click, "1"},
                 {&e.Image8, &Form1::Image8_Click, "2"}};
    Image* normals[] = {&e.Image5, &e.Image6, &e.Image7, &e.Image8};
    Image* selected[] = {&e.Image55, &e.Image66, &e.Image77, &e.Image88};
    for (const Case& c : cases) {
        (e.*c.handler)();
        EXPECT_EQ(e.pd, QString::fromLatin1(c.pd));
        for (int k = 0; k < 4; ++k) {
            const bool chosen = normals[k] == c.click;
            EXPECT_EQ(normals[k]->Visible, !chosen) << c.pd << " normal " << k;
            EXPECT_EQ(selected[k]->Visible, chosen) << c.pd << " selected " << k;
        }
    }
    // Choosing a tool on the strip leaves the editor's pictures alone.
    app->Strip().Imag6_Click();
    EXPECT_EQ(e.pd, QStringLiteral("1"));
    EXPECT_TRUE(e.Image88.Visible);
    EXPECT_TRUE(app->Strip().Imag66.Visible);
    EXPECT_FALSE(app->Strip().Imag6.Visible);
}

TEST_F(EditorWindowTest, HideKeepsEverythingAndCloseStartsAfresh) {
    Form1* first = &ed();
    first->Image7_Click();
    first->qqqq = 4;
    first->Line1.Load(3);
    first->Image1_Click();
    EXPECT_FALSE(first->Visible);
    app->ShowEditor();
    EXPECT_EQ(&ed(), first);
    EXPECT_TRUE(ed().Visible);
    EXPECT_EQ(ed().pd, QStringLiteral("3"));
    EXPECT_EQ(ed().qqqq, 4);
    EXPECT_TRUE(ed().Line1.Exists(3));
    EXPECT_TRUE(ed().Image77.Visible);

    ed().vars.lensWidth = 7;
    ed().Image3_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    app->CollectGarbage();
    app->ShowEditor();
    EXPECT_EQ(ed().pd, QStringLiteral("2"));
    EXPECT_EQ(ed().qqqq, 1);
    EXPECT_FALSE(ed().Line1.Exists(3));
    EXPECT_EQ(ed().vars.lensWidth, 100);
}

TEST_F(EditorWindowTest, StartModeZeroHidesTheBarsAndCopiesTheScreen) {
    desktop.screenPicture = QImage(1920, 1080, QImage::Format_RGB32);
    desktop.screenPicture.fill(QColor(1, 2, 3));
    app->Strip().Text1 = QStringLiteral("0");
    Form1& e = ed();
    EXPECT_FALSE(e.Picture1.Visible);
    EXPECT_FALSE(e.Picture6.Visible);
    EXPECT_EQ(e.Picture2.Left, 0);
    EXPECT_EQ(e.Picture2.Top, 0);
    EXPECT_EQ(e.Picture2.Width, Screen().Width);
    EXPECT_EQ(e.Picture2.Height, Screen().Height);
    EXPECT_EQ(e.Picture2.Point(15 * 1919, 15 * 1079), RGB(1, 2, 3));
}

TEST_F(EditorWindowTest, TilingStopsOnAnEmptyTileAndCountsBeyondSixteenBits) {
    Form wide(QStringLiteral("wide"));
    wide.Width = 40000 * 15.0f;  // far beyond what 16-bit counters hold
    wide.Height = 30;
    PictureBox tile;
    QImage dot(2, 2, QImage::Format_RGB32);
    dot.fill(QColor(9, 9, 9));
    tile.SetPicture(dot);
    tile.Width = 30;
    tile.Height = 30;
    Form1::PictureTile(wide, tile);
    EXPECT_EQ(wide.Surface.pixelColor(39999, 0), QColor(9, 9, 9));
    EXPECT_EQ(tile.BorderStyle, 0);
    PictureBox empty;
    empty.SetPicture(dot);
    Form small(QStringLiteral("small"));
    small.Width = 300;
    small.Height = 300;
    Form1::PictureTile(small, empty);  // a zero-sized tile must not loop forever
    EXPECT_EQ(small.Surface.width(), 20);
}

}  // namespace
}  // namespace orv::test
