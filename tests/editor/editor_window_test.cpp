// The editor window: fresh state, tool pictures, hide and close, tiling.
#include <gtest/gtest.h>

#include "AppFixture.h"

namespace orv::test {
namespace {

using EditorWindowTest = AppTest;

TEST_F(EditorWindowTest, ToolPicturesFollowTheTable) {
    Form1& e = ed();
    Image* normals[] = {&e.Image5, &e.Image6, &e.Image7, &e.Image8};
    Image* selected[] = {&e.Image55, &e.Image66, &e.Image77, &e.Image88};
    const Tool modes[] = {Tool::Distance, Tool::ColourPick, Tool::Note, Tool::Move};
    for (int k : {2, 0, 1, 3}) {
        normals[k]->Click();
        EXPECT_EQ(e.pd, modes[k]) << k;
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(normals[j]->Visible, j != k) << k << j;
            EXPECT_EQ(selected[j]->Visible, j == k) << k << j;
        }
    }
}

// A fresh editor is in the move tool with its counters at one and no annotation; hiding keeps
// everything, closing discards it and the next showing loads afresh.
TEST_F(EditorWindowTest, FreshEditorAfterLoadingAndAfterCloseButNotAfterHide) {
    const auto expectFresh = [&] {
        Form1& e = ed();
        EXPECT_EQ(e.pd, Tool::Move);
        EXPECT_EQ(std::pair(e.qqqq, e.wwww), std::pair(1, 1));
        EXPECT_EQ(e.Line1.Count() + e.aapx.Count() + e.co.Count() + e.bz.Count() + e.zba.Count(),
                  0);
        EXPECT_TRUE(e.Picture1.Visible && e.Picture6.Visible);
        EXPECT_EQ(e.Surface.size(), QSize(1920, 1080));  // the pattern tiled over the whole screen
        EXPECT_EQ(e.vars.lensWidth, 100);
    };
    expectFresh();
    Form1* first = &ed();
    first->Image7.Click();
    first->Line1.Load(3);
    first->qqqq = 4;
    first->Image1.Click();
    EXPECT_FALSE(first->Visible);
    app->ShowEditor();
    ASSERT_EQ(&ed(), first);
    EXPECT_TRUE(ed().Visible && ed().Line1.Exists(3) && ed().Image77.Visible);
    EXPECT_EQ(ed().pd, Tool::Note);
    EXPECT_EQ(ed().qqqq, 4);

    ed().vars.lensWidth = 7;
    ed().Image3.Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    app->CollectGarbage();
    app->ShowEditor();
    expectFresh();
}

TEST_F(EditorWindowTest, TilingStopsOnAnEmptyTileAndCountsBeyondSixteenBits) {
    Form wide(QStringLiteral("wide"));
    wide.Width = 40000 * 15.0f;  // far beyond what 16-bit counters hold
    wide.Height = 30;
    PictureBox tile;
    QImage dot(2, 2, QImage::Format_RGB32);
    dot.fill(QColor(9, 9, 9));
    tile.SetPicture(dot);
    tile.Width = tile.Height = 30;
    Form1::PictureTile(wide, tile);
    EXPECT_EQ(wide.Surface.pixelColor(39999, 0), QColor(9, 9, 9));
    PictureBox empty;
    empty.SetPicture(dot);
    Form small(QStringLiteral("small"));
    small.Width = small.Height = 300;
    Form1::PictureTile(small, empty);  // a zero-sized tile must not loop forever
    EXPECT_EQ(small.Surface.width(), 20);
}

}  // namespace
}  // namespace orv::test
