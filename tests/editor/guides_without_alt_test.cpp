// G turns the distance tool's edge guides on without Alt (which window managers keep for
// moving windows): a plain click then keeps both spans; G again, or another tool, ends it.

#include <gtest/gtest.h>

#include <QPainter>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr float kPx = 15;

class GuidesWithoutAlt : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        QImage img(400, 260, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter(&img).fillRect(QRect(50, 40, 240, 130), QColor(0x6C, 0x5C, 0xE7));
        ed().Picture2.SetPicture(img);
        ed().Image5_Click();
    }
    void Hover(int x, int y) { ed().Picture2.MouseMove({0, 0, x * kPx, y * kPx}); }
    void Click(int x, int y) {
        ed().Picture2.MouseDown({1, 0, x * kPx, y * kPx});
        ed().Picture2.MouseMove({1, 0, (x + 3) * kPx, (y + 2) * kPx});
        ed().Picture2.MouseUp({1, 0, (x + 3) * kPx, (y + 2) * kPx});
    }
    void G() {
        ed().Key(Qt::Key_G, 0, true);
        ed().Key(Qt::Key_G, 0, false);
    }
    EdgeGuides& guides() { return ed().guides; }
};

TEST_F(GuidesWithoutAlt, GThenAClickKeepsBothSpansAndGAgainEndsIt) {
    Hover(170, 100);
    EXPECT_FALSE(guides().Showing());
    G();
    EXPECT_TRUE(guides().Latched());
    EXPECT_TRUE(guides().Showing());  // at once, at the pointer
    Hover(170, 100);
    EXPECT_EQ(guides().horizontalText.Caption(), "240px");
    EXPECT_EQ(guides().verticalText.Caption(), "130px");
    // The tolerance keys work without Alt too.
    ed().Key(Qt::Key_BracketRight, 0, true);
    EXPECT_NE(guides().Tolerance(), kDefaultSpanTolerance);

    const int first = ed().qqqq;
    Click(170, 100);
    EXPECT_EQ(ed().qqqq, first + 2);
    EXPECT_EQ(ed().aapx(first).Caption(), "240px");
    EXPECT_EQ(ed().aapx(first + 1).Caption(), "130px");
    EXPECT_EQ(Seg(ed().Line1(first)), QLineF(50 * kPx, 100 * kPx, 289 * kPx, 100 * kPx));
    EXPECT_TRUE(guides().Showing());

    // Letting go of an Alt that was pressed meanwhile leaves them on.
    ed().Key(Qt::Key_Alt, 0, true);
    ed().Key(Qt::Key_Alt, 0, false);
    EXPECT_TRUE(guides().Showing());

    G();
    EXPECT_FALSE(guides().Showing());
    Hover(170, 100);
    EXPECT_FALSE(guides().Showing());
    // A plain click draws by hand again.
    ed().Picture2.MouseDown({1, 0, 60 * kPx, 200 * kPx});
    EXPECT_TRUE(ed().Line1.Exists(first + 2));

    // G in another tool does nothing; the colour tool never shows the guides.
    ed().Picture2.MouseUp({1, 0, 60 * kPx, 200 * kPx});
    ed().Image6_Click();
    G();
    EXPECT_FALSE(guides().Latched());
    Hover(170, 100);
    EXPECT_FALSE(guides().Showing());
}

}  // namespace
}  // namespace orv::test
