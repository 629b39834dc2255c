// The tool strip's window as the Qt layer shows it (offscreen, so with no
// window manager): owned by the full-screen editor while both show, moved by a
// drag on its background only while the left button is held.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>

#include "app/Wiring.h"
#include "platform/Screen.h"
#include "platform/Timer.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv::test {
namespace {

class StripWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        Connect(app, desktop);
    }
    void TearDown() override {
        FormWindow::AfterEvent() = nullptr;
        Timer::AfterTick() = nullptr;
    }
    /// Shows the strip at (left, top) pixels, alone or over the editor.
    FormWindow& ShowStrip(int left, int top, bool withEditor) {
        form3& strip = app.Strip();
        if (withEditor) app.ShowEditor();
        strip.Left = static_cast<float>(left) * 15;
        strip.Top = static_cast<float>(top) * 15;
        strip.Visible = true;
        desktop.SyncAll();
        return *desktop.WindowOf(strip);
    }
    /// Sends a pointer event at pixel `at` of the strip's window, at `global` on the screen.
    static void Pointer(FormWindow& w, QEvent::Type type, QPoint at, QPoint global,
                        Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }

    QtDesktop desktop;
    QString commandLine;
    App app{desktop, commandLine};
};

TEST_F(StripWindow, OverTheEditorItIsItsToolWindowAndTheEditorIsFullScreen) {
    FormWindow& strip = ShowStrip(1920 - 376, 0, true);
    FormWindow* editor = desktop.WindowOf(app.Editor());
    ASSERT_TRUE(editor && editor->isVisible() && strip.isVisible());
    EXPECT_TRUE(editor->isFullScreen());
    EXPECT_FALSE(strip.isFullScreen());
    EXPECT_EQ(strip.windowType(), Qt::Tool);
    EXPECT_TRUE(strip.windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_TRUE(strip.windowHandle());
    EXPECT_EQ(strip.windowHandle()->transientParent(), editor->windowHandle());
    EXPECT_EQ(strip.geometry(), QRect(1920 - 376, 0, 376, 34));

    // Shown again on its own, it belongs to no window.
    app.Strip().Visible = false;
    app.Editor().Visible = false;
    desktop.SyncAll();
    ShowStrip(100, 50, false);
    EXPECT_EQ(strip.windowHandle()->transientParent(), nullptr);
}

TEST_F(StripWindow, BackgroundDragMovesTheWindowOnlyWithTheLeftButtonHeld) {
    FormWindow& w = ShowStrip(500, 300, false);
    const QPoint at(370, 10);  // the background right of the close icon
    ASSERT_EQ(w.HitTest(at), &app.Strip().Picture1);
    const QPoint origin(500, 300);

    // Passing over the background, then a press elsewhere and moves without a button.
    Pointer(w, QEvent::MouseMove, at, origin + at, Qt::NoButton, Qt::NoButton);
    Pointer(w, QEvent::MouseMove, at + QPoint(40, 0), origin + at + QPoint(40, 0), Qt::NoButton,
            Qt::NoButton);
    EXPECT_EQ(QPointF(app.Strip().Left, app.Strip().Top), QPointF(500 * 15, 300 * 15));
    EXPECT_EQ(w.pos(), origin);

    // A left drag: the first move with the button held starts it, the next ones move.
    Pointer(w, QEvent::MouseButtonPress, at, origin + at, Qt::LeftButton, Qt::LeftButton);
    Pointer(w, QEvent::MouseMove, at, origin + at, Qt::NoButton, Qt::LeftButton);
    Pointer(w, QEvent::MouseMove, at, origin + at + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    Pointer(w, QEvent::MouseMove, at, origin + at + QPoint(-10, 45), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(QPointF(app.Strip().Left, app.Strip().Top), QPointF(490 * 15, 345 * 15));
    EXPECT_EQ(w.pos(), QPoint(490, 345));
    Pointer(w, QEvent::MouseButtonRelease, at, origin + at + QPoint(-10, 45), Qt::LeftButton,
            Qt::NoButton);

    // Released: the pointer passes over the background again and nothing moves.
    Pointer(w, QEvent::MouseMove, at, origin + at + QPoint(200, 200), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.pos(), QPoint(490, 345));
    EXPECT_EQ(QPointF(app.Strip().Left, app.Strip().Top), QPointF(490 * 15, 345 * 15));
}

TEST_F(StripWindow, DockedWhereWindowsHaveNoPlacesItSitsInsideTheEditorAtTheTopRight) {
    desktop.DockTopmostWindows(true);
    FormWindow& strip = ShowStrip(1920 - 376, 0, true);
    FormWindow* editor = desktop.WindowOf(app.Editor());
    ASSERT_TRUE(editor && editor->isVisible() && strip.isVisible());
    EXPECT_TRUE(editor->isFullScreen());
    EXPECT_FALSE(strip.isWindow());
    EXPECT_EQ(strip.parentWidget(), editor);
    // The editor covers the screen from its corner: its places are the screen's.
    EXPECT_EQ(strip.geometry(), QRect(1920 - 376, 0, 376, 34));

    // Still dragged by its background, the held left button moving it in the editor.
    const QPoint at(370, 10), origin = strip.pos();
    Pointer(strip, QEvent::MouseButtonPress, at, origin + at, Qt::LeftButton, Qt::LeftButton);
    Pointer(strip, QEvent::MouseMove, at, origin + at, Qt::NoButton, Qt::LeftButton);
    Pointer(strip, QEvent::MouseMove, at, origin + at + QPoint(-300, 40), Qt::NoButton,
            Qt::LeftButton);
    Pointer(strip, QEvent::MouseButtonRelease, at, origin + at + QPoint(-300, 40), Qt::LeftButton,
            Qt::NoButton);
    EXPECT_EQ(strip.pos(), origin + QPoint(-300, 40));

    // The editor's window goes: the strip lives on as a window of its own, topmost.
    QPointer<FormWindow> kept(&strip);
    desktop.RemoveWindow(app.Editor());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->isWindow());
    EXPECT_EQ(kept->windowType(), Qt::Tool);
    EXPECT_TRUE(kept->windowFlags() & Qt::WindowStaysOnTopHint);
}

}  // namespace
}  // namespace orv::test
