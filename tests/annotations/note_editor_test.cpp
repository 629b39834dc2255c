// The real editors over text boxes: placed and coloured from the model, text
// flowing both ways, pointer events reaching the model's handlers, keys offered
// to the model first, and the parts of a box that the top bar covers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "WindowedCanvas.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {
namespace {

void Type(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

/// Sends a pointer event at pixel `at` of w.
void Pointer(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
             Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class NoteEditor : public WindowedCanvasTest {
  protected:
    int PlaceNote(float x = 3000, float y = 3000) {
        const int n = Draw(&Form1::Command6_Click, x, y, x + 1500, y + 300);
        window->Sync();
        return n;
    }
    QPlainTextEdit* EditorOf(int n) {
        return window->findChild<QPlainTextEdit*>(QStringLiteral("bz%1").arg(n));
    }
    /// Where the note box lies in the window, in pixels.
    QRect PlaceOf(int n) {
        return ControlPlace(ed().bz(n)).translated(ControlPlace(ed().Picture2).topLeft());
    }
};

TEST_F(NoteEditor, EditorFollowsTheBoxInPlaceColourFontAndTextAndHidesUnderTheTopBar) {
    const int n = PlaceNote(3000, 300);
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isVisibleTo(window.get()));
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    EXPECT_EQ(e->toPlainText(), QStringLiteral("TEXT\n"));
    EXPECT_EQ(e->palette().color(QPalette::Text), ToQColor(kAnnotationRed));
    EXPECT_EQ(e->font(), MakeQFont(ed().bz(n).Font));
    EXPECT_EQ(e->contextMenuPolicy(), Qt::NoContextMenu);

    // The model moves, recolours and rewrites the box: the editor follows without echoing.
    int changes = 0;
    ed().bz(n).Change = [&] { ++changes; };
    ed().bz(n).Left += 600;
    ed().bz(n).BackColor = RGB(10, 20, 30);
    ed().bz(n).SetText(QStringLiteral("one\r\ntwo"));
    window->Sync();
    window->Sync();
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    EXPECT_EQ(e->palette().color(QPalette::Base), QColor(10, 20, 30));
    EXPECT_EQ(e->toPlainText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(ed().bz(n).Text(), QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(changes, 1);

    // The parts of the box that the top bar covers are masked off.
    EXPECT_TRUE(e->mask().isEmpty());
    ed().Picture2.Top = 0;  // the canvas slides under the top bar
    window->Sync();
    const QRect place = PlaceOf(n);
    ASSERT_TRUE(place.intersects(ControlPlace(ed().Picture6)));
    ASSERT_LT(ControlPlace(ed().Picture6).bottom(), place.bottom());
    EXPECT_FALSE(e->mask().contains(QPoint(2, 0)));
    EXPECT_TRUE(e->mask().contains(QPoint(2, place.height() - 1)));
    ed().Picture2.Top = 5000;  // clear of the bar again
    window->Sync();
    EXPECT_TRUE(e->mask().isEmpty());

    // Hidden box, hidden editor; a deleted box loses its editor.
    ed().bz(n).Visible = false;
    window->Sync();
    EXPECT_FALSE(e->isVisibleTo(window.get()));
    ed().bz.Unload(n);
    window->Sync();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(EditorOf(n), nullptr);
}

TEST_F(NoteEditor, TypingFlowsIntoTheModelAndResizesTheBoxAtOnce) {
    const int n = PlaceNote();
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    e->selectAll();
    for (QChar c : QStringLiteral("Hello")) Type(e, 0, QString(c));
    Type(e, Qt::Key_Return, QStringLiteral("\r"));
    for (QChar c : QStringLiteral("a longer second line")) Type(e, 0, QString(c));
    const TextBox& box = ed().bz(n);
    EXPECT_EQ(box.Text(), QStringLiteral("Hello\r\na longer second line"));
    const QSizeF extent = MeasureText(FontSpec{QStringLiteral("Arial"), 9.0, true}, box.Text());
    EXPECT_EQ(box.Width, static_cast<float>(extent.width()) + 100);
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    e->undo();  // the editor's own undo flows into the model too
    EXPECT_NE(ed().bz(n).Text(), QStringLiteral("Hello\r\na longer second line"));
}

TEST_F(NoteEditor, PointerOverTheEditorReachesTheNoteHandlers) {
    const int n = PlaceNote();
    const int other = PlaceNote(3000, 6000);
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    QWidget* surface = e->viewport();

    Pointer(surface, QEvent::MouseMove, QPoint(4, 6), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, &ed().bz(n));  // hovering captures the pointer for the box
    // A left press grabs the box at the pointer, in twips relative to it.
    Pointer(surface, QEvent::MouseButtonPress, QPoint(4, 6), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_EQ(QPointF(ed().vars.grabX, ed().vars.grabY), QPointF(60, 90));
    const float left = ed().bz(n).Left;
    Pointer(surface, QEvent::MouseMove, QPoint(14, 6), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(ed().bz(n).Left, left + 150);
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    EXPECT_EQ(ed().zba(n).BorderColor, RGB(0, 0, 255));
    Pointer(surface, QEvent::MouseButtonRelease, QPoint(4, 6), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ed().zba(n).BorderColor, kAnnotationRed);

    // The right press opens the note menu only, and asks focus for the box.
    Pointer(surface, QEvent::MouseButtonPress, QPoint(4, 6), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(desktop.menusOpened, std::vector<QString>{QStringLiteral("cddd")});
    EXPECT_EQ(window->focusWidget(), e);
    EXPECT_EQ(ed().FocusRequest, nullptr);
    // The menu took the release: moves with no button held go to what lies under the pointer.
    Pointer(window.get(), QEvent::MouseMove, QPoint(5, 900), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, nullptr);
    QPlainTextEdit* two = EditorOf(other);
    Pointer(two->viewport(), QEvent::MouseMove, QPoint(4, 6), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, &ed().bz(other));

    desktop.menuChoices.push_back(QStringLiteral("Delete"));  // frees the editor safely
    Pointer(two->viewport(), QEvent::MouseButtonPress, QPoint(4, 6), Qt::RightButton,
            Qt::RightButton);
    EXPECT_FALSE(ed().bz.Exists(other));
    EXPECT_FALSE(two->isVisibleTo(window.get()));
}

// Escape closes the label's edit box without applying its text; Return and Enter apply it.
TEST_F(NoteEditor, LabelEditBoxOffersEveryKeyToTheModelFirst) {
    Draw(&Form1::Command3_Click, 1000, 2000, 2500, 2050);  // "101px"
    const struct {
        int key;
        const char *typed, *caption;
    } cases[] = {
        {Qt::Key_Escape, "x", "101px"}, {Qt::Key_Return, "r", "r"}, {Qt::Key_Enter, "e", "e"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ed().aapxindex = 1;
        ed().Command25_Click();
        window->Sync();
        auto* e = window->findChild<QLineEdit*>(QStringLiteral("shuzhi"));
        ASSERT_NE(e, nullptr);
        e->selectAll();
        Type(e, 0, QString::fromLatin1(c.typed));
        Type(e, c.key);
        EXPECT_EQ(ed().aapx(1).Caption(), QString::fromLatin1(c.caption));
        window->Sync();
        EXPECT_FALSE(e->isVisibleTo(window.get()));
    }
}

}  // namespace
}  // namespace orv::test
