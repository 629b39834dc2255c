// Editing on a zoomed canvas: the label text editor opens over its label, edge
// scrolling keeps its pace on screen, and a second button pressed during a drag
// neither opens a menu nor ends the drag.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "ZoomedEditor.h"
#include "platform/ShownPlace.h"

namespace orv::test {
namespace {

// A distance marker from picture pixel (40, 20) to (160, 24): its label is aapx(1).
void DrawMarker(ZoomedEditor& z) {
    z.ed().Image5_Click();
    z.Drag(z.At(40, 20), z.At(160, 24));
}

// Opens "Custom text" on aapx(1) and returns the window rectangle of its edit box.
QRect OpenLabelEditor(ZoomedEditor& z) {
    z.ed().aapxindex = 1;
    z.ed().Command25_Click();
    z.win->Sync();
    auto* e = z.win->findChild<QLineEdit*>(QStringLiteral("shuzhi"));
    return e && e->isVisible() ? e->geometry() : QRect();
}

// The window positions just inside and just outside each corner of r hit the
// label (inside) and something else (outside): r is where the label shows.
void ExpectOverTheLabel(ZoomedEditor& z, const QRect& r) {
    Form1& e = z.ed();
    e.shuzhi.Visible = false;  // out of the way of the hit test
    z.win->Sync();
    const Control* label = &e.aapx(1);
    const QPoint inside[] = {r.topLeft() + QPoint(1, 1), r.bottomRight() - QPoint(1, 1)};
    for (QPoint p : inside) EXPECT_EQ(z.win->HitTest(QPointF(p)), label) << p.x() << "," << p.y();
    const QPoint outside[] = {r.topLeft() - QPoint(2, 2), r.bottomRight() + QPoint(2, 2)};
    for (QPoint p : outside) EXPECT_NE(z.win->HitTest(QPointF(p)), label) << p.x() << "," << p.y();
    e.shuzhi.Visible = true;
    z.win->Sync();
}

TEST(ZoomedEditing, LabelTextEditorCoversTheLabelAtEveryZoom) {
    struct Case {
        double zoom;
        bool viaSteps;  // zoomed in and out again about a point away from the corner
    };
    for (Case c : {Case{0.25, false}, Case{1.0, true}, Case{3.0, false}}) {
        SCOPED_TRACE(c.zoom);
        ZoomedEditor z(c.zoom);
        if (c.viaSteps) {
            const QPointF away = z.At(200, 150) + QPointF(7, 5);
            z.win->ZoomIn(away);
            z.win->ZoomIn(away);
            z.win->ZoomOut(away);
            z.win->ZoomOut(away);
            ASSERT_EQ(z.win->Zoom(), 1.0);
        }
        DrawMarker(z);
        const QRect box = OpenLabelEditor(z);
        ASSERT_FALSE(box.isEmpty());
        ExpectOverTheLabel(z, box);
        // It opens no wider than the label: the tick lies right beside it.
        const Form1& e = z.ed();
        EXPECT_EQ(e.szz.Left, e.shuzhi.Left + e.shuzhi.Width);
        EXPECT_EQ(e.szz.Top, e.shuzhi.Top);
        const ShownRect label = ShownPlace(e.aapx(1));
        EXPECT_EQ(e.shuzhi.Width, label.Width);
        EXPECT_FLOAT_EQ(e.shuzhi.Font.Size, e.aapx(1).Font().Size * c.zoom);
    }
}

// How far the canvas moves on screen (window pixels) in ten edge-scroll ticks with the
// pointer resting two pixels inside the window's right edge.
float ScrolledOnScreen(double zoom) {
    ZoomedEditor z(zoom);
    Form1& e = z.ed();
    e.Picture2.SetPicture(Checked(4000, 3000));
    z.win->Sync();
    e.Image5_Click();
    z.desktop.cursor = QPoint(static_cast<int>(e.Width / Screen().TwipsPerPixelX) - 3, 500);
    const float before = ShownPlace(e.Picture2).Left;
    for (int k = 0; k < 10; ++k) {
        e.Timer2_Timer();
        z.win->Sync();
    }
    return (before - ShownPlace(e.Picture2).Left) / Screen().TwipsPerPixelX;
}

TEST(ZoomedEditing, EdgeScrollingKeepsItsPaceOnScreenAtEveryZoom) {
    const float at100 = ScrolledOnScreen(1.0), at400 = ScrolledOnScreen(4.0);
    EXPECT_GT(at100, 20.0f);
    EXPECT_NEAR(at400, at100, at100 * 0.1f);  // pixel rounding of each step, not 4 times as far
}

TEST(ZoomedEditing, ARightPressDuringADragOpensNoMenuAndTheDragEndsWithItsOwnRelease) {
    ZoomedEditor z(1.0);
    Form1& e = z.ed();
    e.Image5_Click();
    const int first = e.qqqq;
    z.Send(QEvent::MouseButtonPress, z.At(40, 20), Qt::LeftButton, Qt::LeftButton);
    z.Send(QEvent::MouseMove, z.At(100, 20), Qt::NoButton, Qt::LeftButton);
    e.Timer1_Timer();
    z.Send(QEvent::MouseButtonPress, z.At(100, 20), Qt::RightButton,
           Qt::LeftButton | Qt::RightButton);
    z.Send(QEvent::MouseButtonRelease, z.At(100, 20), Qt::RightButton, Qt::LeftButton);
    EXPECT_TRUE(z.desktop.menusOpened.empty());
    // Still drawing: the measuring and edge-scroll timers run and the marker follows.
    EXPECT_TRUE(e.Timer1.Enabled());
    EXPECT_TRUE(e.Timer2.Enabled());
    EXPECT_EQ(e.qqqq, first);
    for (int k = 0; k < 2; ++k) {
        z.Send(QEvent::MouseMove, z.At(160, 20), Qt::NoButton, Qt::LeftButton);
        e.Timer1_Timer();
    }
    z.Send(QEvent::MouseButtonRelease, z.At(160, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(e.Timer1.Enabled());
    EXPECT_FALSE(e.Timer2.Enabled());
    EXPECT_EQ(e.qqqq, first + 1);
    EXPECT_EQ(e.aapx(first).Caption(), QStringLiteral("121px"));

    // A custom text put on the marker afterwards stays.
    e.aapxindex = first;
    e.Command25_Click();
    e.shuzhi.SetText(QStringLiteral("gutter"));
    e.szz_Click();
    EXPECT_EQ(e.aapx(first).Caption(), QStringLiteral("gutter"));

    // A right press on its own still opens the canvas menu.
    z.Send(QEvent::MouseButtonPress, z.At(200, 100), Qt::RightButton, Qt::RightButton);
    z.Send(QEvent::MouseButtonRelease, z.At(200, 100), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(z.desktop.menusOpened, std::vector<QString>{QStringLiteral("canvasmenu")});
}

}  // namespace
}  // namespace orv::test
