// The index of where a picture box's children lie: it finds exactly the children whose
// pixel places meet an area, in painting order; it declines while the children changed
// since its refresh; and a partial repaint through it paints the pixels a full one does,
// on a box and in the editor's zoomed canvas after annotations moved.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <memory>
#include <vector>

#include "ZoomedEditor.h"
#include "platform/ChildIndex.h"
#include "platform/Painter.h"
#include "platform/Screen.h"

namespace orv::test {
namespace {

// A box of 600 x 400 pixels holding a grid of small shapes and labels, a few text boxes,
// a line across the whole box and a label larger than most of it.
struct Crowd {
    PictureBox box;
    std::vector<std::unique_ptr<Control>> children;

    Crowd() {
        box.Width = 600 * 15, box.Height = 400 * 15;
        box.BackColor = RGB(250, 250, 250);
        for (int i = 0; i < 300; ++i) {
            const float x = static_cast<float>((i * 37) % 580),
                        y = static_cast<float>((i * 53) % 380);
            if (i % 3 == 0) {
                auto l = std::make_unique<Label>();
                l->Left = x * 15, l->Top = y * 15, l->Width = 30 * 15, l->Height = 14 * 15;
                l->BackColor = RGB(i % 256, 120, 40);
                l->SetCaption(QStringLiteral("n%1").arg(i));
                children.push_back(std::move(l));
            } else if (i % 50 == 1) {
                auto t = std::make_unique<TextBox>();
                t->Left = x * 15, t->Top = y * 15, t->Width = 40 * 15, t->Height = 20 * 15;
                t->BackColor = RGB(255, 255, 200);
                t->SetText(QStringLiteral("note %1").arg(i));
                children.push_back(std::move(t));
            } else {
                auto s = std::make_unique<Shape>();
                s->Left = x * 15, s->Top = y * 15, s->Width = 22 * 15, s->Height = 18 * 15;
                s->BackStyle = 1;
                s->BackColor = RGB(40, i % 256, 200);
                s->BorderColor = RGB(0, 0, 0);
                children.push_back(std::move(s));
            }
        }
        auto line = std::make_unique<Line>();
        line->X1 = 0, line->Y1 = 10 * 15, line->X2 = 599 * 15, line->Y2 = 390 * 15;
        line->BorderColor = RGB(255, 0, 0);
        line->BorderWidth = 3;
        children.push_back(std::move(line));
        auto big = std::make_unique<Label>();
        big->Left = 100 * 15, big->Top = 50 * 15, big->Width = 450 * 15, big->Height = 300 * 15;
        big->BackStyle = 0;
        big->SetCaption(QStringLiteral("wide"));
        children.push_back(std::move(big));
        for (auto& c : children) box.Add(*c);
    }

    /// What a walk of all children finds for r: those whose pixel places meet it, in order.
    std::vector<const Control*> Walk(const QRect& r) const {
        std::vector<const Control*> out;
        for (const Control* c : box.PaintOrder())
            if (r.intersects(ControlPixelRect(*c, box.ScalePixels))) out.push_back(c);
        return out;
    }
};

std::vector<QRect> SomeAreas() {
    QRandomGenerator random(26);
    std::vector<QRect> areas{QRect(0, 0, 600, 400), QRect(-50, -50, 20, 20),
                             QRect(590, 390, 40, 40), QRect(300, 200, 1, 1)};
    for (int i = 0; i < 200; ++i)
        areas.emplace_back(random.bounded(-20, 620), random.bounded(-20, 420),
                           random.bounded(1, 120), random.bounded(1, 120));
    return areas;
}

TEST(ChildIndexTest, FindsExactlyTheChildrenThatMeetAnAreaInPaintingOrder) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    Crowd crowd;
    // Stacking changed before the index is built: the order is the box's, not the adding one.
    crowd.children[5]->ZOrder();
    crowd.children[0]->ZOrder();
    ChildIndex index;
    std::vector<const Control*> found;
    EXPECT_FALSE(index.Meeting(crowd.box, QRect(0, 0, 10, 10), found)) << "nothing built yet";
    index.Refresh(crowd.box);
    for (const QRect& r : SomeAreas()) {
        ASSERT_TRUE(index.Meeting(crowd.box, r, found));
        EXPECT_EQ(found, crowd.Walk(r))
            << "area " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    }
    // Children moved, then refreshed: found at their new places only, the order kept.
    const QRect corner(560, 360, 40, 40);
    crowd.children[3]->Left = 570 * 15, crowd.children[3]->Top = 370 * 15;
    auto& line = static_cast<Line&>(*crowd.children[300]);
    line.X1 = 560 * 15, line.Y1 = 5 * 15, line.X2 = 560 * 15, line.Y2 = 395 * 15;
    index.Refresh(crowd.box);
    for (const QRect& r : SomeAreas()) {
        ASSERT_TRUE(index.Meeting(crowd.box, r, found));
        EXPECT_EQ(found, crowd.Walk(r));
    }
    ASSERT_TRUE(index.Meeting(crowd.box, corner, found));
    EXPECT_NE(std::find(found.begin(), found.end(), crowd.children[3].get()), found.end());
    // Another box is never answered from this one's index.
    PictureBox other;
    EXPECT_FALSE(index.Meeting(other, corner, found));
}

TEST(ChildIndexTest, DeclinesAfterTheChildrenOrTheirStackingChangedUntilRefreshed) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    Crowd crowd;
    ChildIndex index;
    index.Refresh(crowd.box);
    std::vector<const Control*> found;
    const QRect at(200, 200, 30, 30);

    Shape added;
    added.Left = 205 * 15, added.Top = 205 * 15, added.Width = 10 * 15, added.Height = 10 * 15;
    crowd.box.Add(added);
    EXPECT_FALSE(index.Meeting(crowd.box, at, found));
    index.Refresh(crowd.box);
    ASSERT_TRUE(index.Meeting(crowd.box, at, found));
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.back(), &added) << "the newest windowless child is painted last of them";

    // Brought to the front: out of step until refreshed, then painted above the others.
    crowd.children[10]->Left = 210 * 15, crowd.children[10]->Top = 210 * 15;
    index.Refresh(crowd.box);
    crowd.children[10]->ZOrder();
    EXPECT_FALSE(index.Meeting(crowd.box, at, found));
    index.Refresh(crowd.box);
    ASSERT_TRUE(index.Meeting(crowd.box, at, found));
    EXPECT_EQ(found, crowd.Walk(at));

    // A child that is gone (freed) is never handed out: the index declines until refreshed.
    crowd.children[10].reset();
    EXPECT_FALSE(index.Meeting(crowd.box, at, found));
    crowd.box.Remove(added);
    index.Refresh(crowd.box);
    ASSERT_TRUE(index.Meeting(crowd.box, at, found));
    EXPECT_EQ(found, crowd.Walk(at));
    EXPECT_EQ(std::find(found.begin(), found.end(), &added), found.end());
}

// A small area of the box painted through the index and by a walk of all children: the same
// pixels, for areas all over the box, before and after every child moved.
TEST(ChildIndexTest, APartialPaintThroughTheIndexGivesTheWalksPixels) {
    Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    Crowd crowd;
    ChildIndex index;
    const auto paint = [&](const QRect& area, const ChildIndex* through) {
        QImage img(600, 400, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::black);
        QPainter p(&img);
        p.setClipRect(area);
        PaintPictureBoxContent(p, crowd.box, through);
        return img;
    };
    for (int round = 0; round < 2; ++round) {
        index.Refresh(crowd.box);
        int painted = 0;
        for (int y = -10; y < 400; y += 70)
            for (int x = -10; x < 600; x += 90) {
                const QRect area(x, y, 90, 70);
                const QImage walked = paint(area, nullptr);
                ASSERT_EQ(paint(area, &index), walked)
                    << "round " << round << " at " << x << "," << y;
                std::vector<const Control*> found;
                painted += index.Meeting(crowd.box, area, found) && found.size() > 1 ? 1 : 0;
            }
        EXPECT_GT(painted, 30) << "the areas hold children";
        // Everything moves a little, one child comes to the front.
        for (auto& c : crowd.children) c->Left += 7 * 15, c->Top += 3 * 15;
        crowd.children[2]->ZOrder();
    }
}

// In the editor's zoomed canvas: annotations moved by the model and synced are painted at
// their new places by a small repaint of the window, as a repaint of the whole window paints them.
TEST(ChildIndexTest, TheZoomedCanvasRepaintsMovedChildrenAtTheirNewPlaces) {
    ZoomedEditor z(2.0);
    Form1& e = z.ed();
    std::vector<std::unique_ptr<Shape>> marks;
    for (int i = 0; i < 200; ++i) {
        auto s = std::make_unique<Shape>();
        s->Left = static_cast<float>((i * 29) % 220) * 15,
        s->Top = static_cast<float>((i * 17) % 150) * 15;
        s->Width = 8 * 15, s->Height = 6 * 15;
        s->BackStyle = 1;
        s->BackColor = RGB(255, i % 256, 0);
        e.Picture2.Add(*s);
        marks.push_back(std::move(s));
    }
    z.win->Sync();
    z.win->repaint();
    // One moves into an empty corner; a repaint of that corner alone must show it there.
    marks[7]->Left = 225 * 15, marks[7]->Top = 150 * 15;
    marks[7]->BackColor = RGB(0, 0, 255);
    z.win->Sync();
    const QPointF corner = z.At(226, 151);
    z.win->repaint(QRect(corner.toPoint() - QPoint(4, 4), QSize(8, 8)));
    const QImage partial = z.win->grab(QRect(corner.toPoint(), QSize(1, 1))).toImage();
    z.win->repaint();
    const QImage whole = z.win->grab(QRect(corner.toPoint(), QSize(1, 1))).toImage();
    EXPECT_EQ(QColor(whole.pixel(0, 0)), QColor(0, 0, 255));
    EXPECT_EQ(partial.pixel(0, 0), whole.pixel(0, 0));
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// The magnifier's view over a crowded canvas: its tick repaints its place, where the canvas is
// painted only round the view and the view over the rest; no pixel is left unpainted and the
// window shows what a repaint of everything shows.
TEST(ChildIndexTest, AMagnifierTickPaintsTheCanvasOnlyRoundTheView) {
    ZoomedEditor z(1.0);
    Form1& e = z.ed();
    const QPoint canvas = ControlPlace(e.Picture2).topLeft();
    e.fd.Left = static_cast<float>(canvas.x() + 100) * 15;
    e.fd.Top = static_cast<float>(canvas.y() + 40) * 15;
    std::vector<std::unique_ptr<Shape>> marks;
    for (int y = 20; y < 140; y += 6)
        for (int x = 80; x < 200; x += 6) {
            auto s = std::make_unique<Shape>();
            s->Left = static_cast<float>(x) * 15, s->Top = static_cast<float>(y) * 15;
            s->Width = 5 * 15, s->Height = 4 * 15;
            s->BackStyle = 1;
            s->BackColor = RGB(x, y, 255);
            e.Picture2.Add(*s);
            marks.push_back(std::move(s));
        }
    z.win->Sync();
    QCoreApplication::processEvents();
    e.Timer3_Timer();
    ASSERT_TRUE(z.win->SyncOne(e.fd));
    QCoreApplication::processEvents();

    const QRect around = ControlPlace(e.fd).adjusted(-4, -4, 4, 4);
    QImage tick(around.size(), QImage::Format_ARGB32_Premultiplied);
    tick.fill(QColor(255, 0, 255));
    z.win->render(&tick, QPoint(), QRegion(around), QWidget::RenderFlags());
    const QImage whole =
        z.win->grab().toImage().copy(around).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int unpainted = 0, differ = 0;
    for (int y = 0; y < tick.height(); ++y)
        for (int x = 0; x < tick.width(); ++x) {
            unpainted += tick.pixel(x, y) == qRgb(255, 0, 255) ? 1 : 0;
            differ += tick.pixel(x, y) != whole.pixel(x, y) ? 1 : 0;
        }
    EXPECT_EQ(unpainted, 0);
    EXPECT_EQ(differ, 0);
    // Round the view's frame, the canvas's marks show.
    EXPECT_EQ(QColor(tick.pixel(1, 1)), QColor(whole.pixel(1, 1)));
    EXPECT_NE(QColor(tick.pixel(1, 1)), QColor(0, 0, 0));
}

}  // namespace
}  // namespace orv::test
