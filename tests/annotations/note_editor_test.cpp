// The real editors over text boxes: placed and coloured from the model, text
// flowing both ways, pointer events reaching the model's handlers, keys offered
// to the model first, and the parts of a box that other windows cover.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "../editor/CanvasFixture.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {
namespace {

void Type(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

/// Sends a pointer event at (x, y) pixels of w; returns whether w accepted it.
void Pointer(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
             Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class NoteEditor : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        ed().Visible = true;
        window = std::make_unique<FormWindow>(ed());
        FormWindow::AfterEvent() = [this] { window->Sync(); };
    }
    void TearDown() override {
        FormWindow::AfterEvent() = nullptr;
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int PlaceNote(float x = 3000, float y = 3000) {
        Picture(800, 600);
        ed().Command6_Click();
        const int n = ed().wwww;
        Drag(x, y, x + 1500, y + 300);
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
    std::unique_ptr<FormWindow> window;
};

TEST_F(NoteEditor, EditorLiesOverTheBoxInItsColoursAndFont) {
    const int n = PlaceNote();
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isVisibleTo(window.get()));
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    EXPECT_EQ(e->toPlainText(), QStringLiteral("TEXT\n"));
    EXPECT_EQ(e->palette().color(QPalette::Base), ToQColor(kLabelBack));
    EXPECT_EQ(e->palette().color(QPalette::Text), ToQColor(kAnnotationRed));
    EXPECT_EQ(e->font(), MakeQFont(ed().bz(n).Font));
    EXPECT_EQ(e->frameStyle(), QFrame::NoFrame);
    EXPECT_EQ(e->contextMenuPolicy(), Qt::NoContextMenu);

    // The model moves and recolours the box: the editor follows.
    ed().bz(n).Left += 600;
    ed().bz(n).BackColor = RGB(10, 20, 30);
    window->Sync();
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    EXPECT_EQ(e->palette().color(QPalette::Base), QColor(10, 20, 30));

    // Hidden box, hidden editor; a deleted box loses its editor.
    ed().bz(n).Visible = false;
    window->Sync();
    EXPECT_FALSE(e->isVisibleTo(window.get()));
    ed().bz.Unload(n);
    window->Sync();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(EditorOf(n), nullptr);
}

TEST_F(NoteEditor, TypingFlowsIntoTheModelAndResizesTheBox) {
    const int n = PlaceNote();
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    e->selectAll();
    for (QChar c : QStringLiteral("Hello")) Type(e, 0, QString(c));
    Type(e, Qt::Key_Return, QStringLiteral("\r"));
    for (QChar c : QStringLiteral("a longer second line")) Type(e, 0, QString(c));

    const TextBox& box = ed().bz(n);
    EXPECT_EQ(box.Text(), QStringLiteral("Hello\r\na longer second line"));
    const QSizeF extent = MeasureText(FontSpec{QStringLiteral("Arial"), 9.0, false}, box.Text());
    EXPECT_EQ(box.Width, static_cast<float>(extent.width()) + 100);
    EXPECT_EQ(e->geometry(), PlaceOf(n));  // resized at once

    // Undo of typing is the editor's own, and flows into the model too.
    e->undo();
    EXPECT_NE(ed().bz(n).Text(), QStringLiteral("Hello\r\na longer second line"));
}

TEST_F(NoteEditor, ModelTextReachesTheEditorWithoutEchoing) {
    const int n = PlaceNote();
    int changes = 0;
    ed().bz(n).Change = [&] { ++changes; };
    ed().bz(n).SetText(QStringLiteral("one\r\ntwo"));
    window->Sync();
    window->Sync();
    EXPECT_EQ(EditorOf(n)->toPlainText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(ed().bz(n).Text(), QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(changes, 1);
}

TEST_F(NoteEditor, PointerOverTheEditorReachesTheNoteHandlers) {
    const int n = PlaceNote();
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    QWidget* surface = e->viewport();

    // Hovering captures the pointer for the box.
    Pointer(surface, QEvent::MouseMove, QPoint(4, 6), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, &ed().bz(n));

    // A left press grabs the box at the pointer, in twips relative to it.
    Pointer(surface, QEvent::MouseButtonPress, QPoint(4, 6), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(ed().bzindex, n);
    EXPECT_EQ(ed().vars.grabX, 60);
    EXPECT_EQ(ed().vars.grabY, 90);
    EXPECT_EQ(ed().zba(n).BorderColor, RGB(0, 0, 255));
    const float left = ed().bz(n).Left;
    Pointer(surface, QEvent::MouseMove, QPoint(14, 6), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(ed().bz(n).Left, left + 150);
    EXPECT_EQ(e->geometry(), PlaceOf(n));
    Pointer(surface, QEvent::MouseButtonRelease, QPoint(4, 6), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ed().zba(n).BorderColor, kAnnotationRed);

    // The right press opens the note menu only, and asks focus for the box.
    desktop.menuChoices.push_back(QStringLiteral("editys"));
    desktop.colourChoices.push_back(RGB(1, 2, 3));
    Pointer(surface, QEvent::MouseButtonPress, QPoint(4, 6), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(desktop.menusOpened, std::vector<QString>{QStringLiteral("cddd")});
    EXPECT_EQ(ed().bz(n).BackColor, RGB(1, 2, 3));
    EXPECT_EQ(e->palette().color(QPalette::Base), QColor(1, 2, 3));
    EXPECT_EQ(window->focusWidget(), e);
    EXPECT_EQ(ed().FocusRequest, nullptr);

    // Deleting from the menu frees the editor safely.
    desktop.menuChoices.push_back(QStringLiteral("Delete"));
    Pointer(surface, QEvent::MouseButtonPress, QPoint(4, 6), Qt::RightButton, Qt::RightButton);
    EXPECT_FALSE(ed().bz.Exists(n));
    EXPECT_FALSE(e->isVisibleTo(window.get()));
}

TEST_F(NoteEditor, AMenuThatTookTheReleaseEndsThePress) {
    const int first = PlaceNote();
    const int second = PlaceNote(3000, 6000);
    QWidget* one = EditorOf(first)->viewport();
    QWidget* two = EditorOf(second)->viewport();
    // The right press opens the menu, which takes the release with it.
    Pointer(one, QEvent::MouseButtonPress, QPoint(4, 6), Qt::RightButton, Qt::RightButton);
    Pointer(window.get(), QEvent::MouseMove, QPoint(5, 900), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, nullptr);
    // Moves with no button held go to what lies under the pointer again.
    Pointer(two, QEvent::MouseMove, QPoint(4, 6), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(ed().Capture, &ed().bz(second));
}

TEST_F(NoteEditor, PartsUnderTheTopBarAreMaskedOff) {
    const int n = PlaceNote(3000, 300);
    QPlainTextEdit* e = EditorOf(n);
    ASSERT_NE(e, nullptr);
    ed().Picture2.Top = 0;  // the canvas slides under the top bar
    window->Sync();
    const QRect place = PlaceOf(n);
    const QRect bar = ControlPlace(ed().Picture6);
    ASSERT_TRUE(place.intersects(bar));
    ASSERT_LT(bar.bottom(), place.bottom());
    EXPECT_FALSE(e->mask().contains(QPoint(2, 0)));
    EXPECT_TRUE(e->mask().contains(QPoint(2, place.height() - 1)));

    ed().Picture2.Top = 5000;  // clear of the bar again
    window->Sync();
    EXPECT_TRUE(e->mask().isEmpty());
}

TEST(TextBoxKeys, TheModelSeesEveryKeyFirstAndMayConsumeIt) {
    Form form(QStringLiteral("f"));
    form.Width = 6000;
    form.Height = 3000;
    form.Visible = true;
    TextBox box;
    box.Name = QStringLiteral("shuzhi");
    box.Width = 1500;
    box.Height = 300;
    form.Add(box);
    std::vector<int> keys;
    box.KeyPress = [&](int key) {
        keys.push_back(key);
        if (key == Qt::Key_Escape) box.Visible = false;
    };
    FormWindow window(form);
    window.Sync();
    auto* e = window.findChild<QLineEdit*>(QStringLiteral("shuzhi"));
    ASSERT_NE(e, nullptr);
    Type(e, Qt::Key_A, QStringLiteral("a"));
    Type(e, Qt::Key_B, QStringLiteral("b"));
    EXPECT_EQ(box.Text(), QStringLiteral("ab"));
    Type(e, Qt::Key_Escape);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_A, Qt::Key_B, Qt::Key_Escape}));
    window.Sync();
    EXPECT_FALSE(e->isVisibleTo(&window));
}

}  // namespace
}  // namespace orv::test
