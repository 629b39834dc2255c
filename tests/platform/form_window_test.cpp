// The Qt window of a form under real Qt events (offscreen): which control a
// press, move and release reach, what a click is, that a partial repaint
// covers every pixel that changed, and that the canvas's drawn surface shows
// in the window and in the saved file alike.

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "AppFixture.h"
#include "editor/Form1.h"
#include "platform/PathBytes.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {
namespace {

// Records the region of every paint event the window gets while armed.
class PaintRecorder : public QObject {
  public:
    bool armed = false;
    QRegion painted;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (armed && e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

class FormWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        form.Width = 400 * 15;
        form.Height = 300 * 15;
        form.Visible = true;
    }
    /// A window for the form, shown and painted once.
    std::unique_ptr<FormWindow> Show() {
        auto w = std::make_unique<FormWindow>(form);
        w->Sync();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
    /// A pointer move with buttons held, as the window system delivers it.
    static void MoveWithLeftHeld(QWidget& w, QPoint to) {
        QMouseEvent e(QEvent::MouseMove, QPointF(to), w.mapToGlobal(QPointF(to)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
    Form form{QStringLiteral("test")};
};

TEST_F(FormWindowTest, AClickIsALeftReleaseOverThePressedControl) {
    Label button;
    button.Left = 20 * 15, button.Top = 20 * 15, button.Width = 60 * 15, button.Height = 30 * 15;
    form.Add(button);
    int clicks = 0;
    button.Click = [&] { ++clicks; };
    auto w = Show();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(300, 250));  // released elsewhere
    EXPECT_EQ(clicks, 0);
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(w.get(), Qt::RightButton, {}, QPoint(30, 30));
    QTest::mouseRelease(w.get(), Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(clicks, 1);  // only the left button clicks
}

TEST_F(FormWindowTest, ThePressedControlGetsEveryMoveAndTheReleaseWhereverThePointerGoes) {
    Label label;
    label.Left = 20 * 15, label.Top = 20 * 15, label.Width = 40 * 15, label.Height = 20 * 15;
    form.Add(label);
    std::vector<MouseEvent> moves, ups;
    label.MouseMove = [&](const MouseEvent& e) { moves.push_back(e); };
    label.MouseUp = [&](const MouseEvent& e) { ups.push_back(e); };
    auto w = Show();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(25, 25));
    // The pointer outruns the label: it is far outside before the label follows.
    MoveWithLeftHeld(*w, QPoint(250, 200));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(260, 210));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].Button, 1);
    // Relative to the label, in twips.
    EXPECT_FLOAT_EQ(moves[0].X, (250 - 20) * 15.0f);
    EXPECT_FLOAT_EQ(moves[0].Y, (200 - 20) * 15.0f);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_FLOAT_EQ(ups[0].X, (260 - 20) * 15.0f);
}

TEST_F(FormWindowTest, APartialRepaintCoversEveryPixelThatChanged) {
    Line line;
    line.X1 = 40.4f * 15, line.Y1 = 30 * 15, line.X2 = 200 * 15, line.Y2 = 90.6f * 15;
    line.BorderColor = RGB(255, 0, 0);
    form.Add(line);
    Line level;  // a thick level line: its square ends and edges reach past its two points
    level.X1 = 30 * 15, level.Y1 = 150.5f * 15, level.X2 = 300 * 15, level.Y2 = 150.5f * 15;
    level.BorderColor = RGB(0, 0, 255);
    level.BorderWidth = 3;
    form.Add(level);
    auto w = Show();
    const QImage before = w->grab().toImage();
    PaintRecorder recorder;
    w->installEventFilter(&recorder);
    recorder.armed = true;
    line.X2 = 120 * 15, line.Y2 = 200.3f * 15;
    level.Y1 = level.Y2 = 170.5f * 15;
    w->Sync();
    QCoreApplication::processEvents();
    recorder.armed = false;
    const QImage after = w->grab().toImage();
    ASSERT_EQ(before.size(), after.size());
    int changed = 0, missed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                ++changed;
                if (!recorder.painted.contains(QPoint(x, y))) ++missed;
            }
    EXPECT_GT(changed, 100);
    EXPECT_EQ(missed, 0) << "changed pixels outside every repainted area";
}

// A control that a timer changes alone (the magnifier's view) is looked at alone: its new
// pixels are all repainted, nothing else is, and a control that is not one of the form's own
// is left to the whole sync.
TEST_F(FormWindowTest, OneControlIsSyncedAloneWhenOnlyItChanged) {
    PictureBox view;
    view.Left = 20 * 15, view.Top = 20 * 15, view.Width = 80 * 15, view.Height = 60 * 15;
    view.BorderStyle = 1;
    form.Add(view);
    Shape frame;
    frame.Left = 5 * 15, frame.Top = 5 * 15, frame.Width = 10 * 15, frame.Height = 10 * 15;
    frame.BorderColor = RGB(0, 255, 0);
    view.Add(frame);
    Label other;
    other.Left = 200 * 15, other.Top = 200 * 15, other.Width = 100 * 15, other.Height = 30 * 15;
    other.SetCaption(QStringLiteral("before"));
    form.Add(other);
    view.Surface().fill(QColor(200, 10, 10));
    auto w = Show();
    QCoreApplication::processEvents();
    const QImage before = w->grab().toImage();
    PaintRecorder recorder;
    w->installEventFilter(&recorder);
    recorder.armed = true;
    view.Surface().fill(QColor(10, 10, 200));
    frame.Left = 40 * 15;
    other.SetCaption(QStringLiteral("after"));  // changed too, but not what the tick touches
    EXPECT_TRUE(w->SyncOne(view));
    QCoreApplication::processEvents();
    recorder.armed = false;
    const QImage after = w->grab().toImage();
    const QRect label(200, 200, 100, 30);
    int changed = 0, missed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            // (grab() draws the label's new caption too, though the window was never told.)
            if (before.pixel(x, y) != after.pixel(x, y) && !label.contains(x, y)) {
                ++changed;
                if (!recorder.painted.contains(QPoint(x, y))) ++missed;
            }
    EXPECT_GT(changed, 80 * 60 / 2);
    EXPECT_EQ(missed, 0) << "the view's new pixels were not all repainted";
    EXPECT_FALSE(recorder.painted.intersects(label))
        << "a control the sync was not about was looked at";
    // The view changed where it lies: what lies round it (its frame, the controls under
    // the frame) is not painted again.
    EXPECT_TRUE((recorder.painted - QRegion(20, 20, 80, 60)).isEmpty());
    EXPECT_FALSE(w->SyncOne(frame));  // not a top-level control of the form
}

class EditorWindowSurfaceTest : public AppTest {};

// A PSD or a screen copy is drawn on the canvas's surface, not assigned as its
// picture: it must show in the window and be in the saved file.
TEST_F(EditorWindowSurfaceTest, TheCanvasSurfaceShowsInTheWindowAndTheSavedFile) {
    Form1& e = ed();
    e.Picture2.AutoSize = false;
    e.Picture2.Width = 100 * 15;
    e.Picture2.Height = 80 * 15;
    e.Picture2.Surface().fill(QColor(12, 34, 200));
    e.Visible = true;
    FormWindow w(e);
    w.Sync();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QImage shown = w.grab().toImage();
    const QPoint inside(static_cast<int>(e.Picture2.Left / 15) + 50,
                        static_cast<int>(e.Picture2.Top / 15) + 40);
    EXPECT_EQ(shown.pixelColor(inside), QColor(12, 34, 200));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("surface.png"));
    desktop.saveFiles.push_back(path);
    e.Command5_Click();
    const QImage saved(path);
    ASSERT_EQ(saved.size(), QSize(100, 80));
    EXPECT_EQ(saved.pixelColor(50, 40), QColor(12, 34, 200));
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// A file dropped on a window is named by the bytes its URL's escapes stand for, also where
// they are not UTF-8.
TEST_F(FormWindowTest, ADroppedFileKeepsTheBytesOfItsName) {
    auto w = Show();
    QStringList dropped;
    w->setAcceptDrops(true);  // as the editor's window is wired
    w->FileDropped = [&](const QString& path) { dropped << path; };
    for (const char* url : {"file:///tmp/caf%E9%20x.png", "file:///tmp/caf%C3%A9.png"}) {
        QMimeData data;
        data.setUrls({QUrl(QString::fromLatin1(url))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
    }
    EXPECT_EQ(dropped, QStringList({PathFromBytes("/tmp/caf\xe9 x.png"),
                                    QStringLiteral("/tmp/caf\u00e9.png")}));
    EXPECT_EQ(BytesOfPath(dropped.value(0)), QByteArray("/tmp/caf\xe9 x.png"));
}

}  // namespace
}  // namespace orv::test
