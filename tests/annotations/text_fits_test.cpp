// Typed text stays in view: the label's edit box widens with what is typed (its tick moving
// along) so the start of the text is never scrolled away, an empty text is refused, and a note's
// editor shows the start of a long line, since the box is measured in its bold font.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "WindowedCanvas.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {
namespace {

void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

class TextFits : public WindowedCanvasTest {
  protected:
    QLineEdit* OpenLabelEditor(int n) {
        ed().aapxindex = n;
        ed().Command25_Click();
        window->Sync();
        return window->findChild<QLineEdit*>(QStringLiteral("shuzhi"));
    }
};

TEST_F(TextFits, LabelEditBoxGrowsWithWhatIsTypedAndShowsItsStart) {
    const int n = Draw(&Form1::Command3_Click, 1000, 2000, 2500, 2050);  // "101px"
    const float labelWidth = ed().aapx(n).Width;
    QLineEdit* e = OpenLabelEditor(n);
    ASSERT_NE(e, nullptr);
    const TextBox& box = ed().shuzhi;
    // Even the label's own text shows whole when the box opens.
    EXPECT_EQ(e->cursorPositionAt(QPoint(3, e->height() / 2)), 0);
    EXPECT_GE(box.Width, labelWidth);

    e->end(false);
    Type(e, QStringLiteral(" from the left edge of the card to the icon"));
    const QString typed = QStringLiteral("101px from the left edge of the card to the icon");
    ASSERT_EQ(box.Text(), typed);
    EXPECT_GT(box.Width, MeasureText(box.Font, typed).width());
    EXPECT_EQ(e->geometry(), ControlPlace(box));
    EXPECT_EQ(e->cursorPositionAt(QPoint(3, e->height() / 2)), 0);  // the start is in view
    EXPECT_EQ(QPointF(ed().szz.Left, ed().szz.Top), QPointF(box.Left + box.Width, box.Top));

    // Deleting text never leaves the box narrower than the label it covers.
    const float wide = box.Width;
    e->selectAll();
    Type(e, QStringLiteral("x"));
    EXPECT_EQ(box.Width, wide);
    EXPECT_GE(box.Width, labelWidth);
}

// An empty or blank text would leave a label without width that no click can reach: the tick
// and Return refuse it, the label keeps its text and the box stays open until Escape.
TEST_F(TextFits, EmptyCustomTextIsRefused) {
    const int n = Draw(&Form1::Command3_Click, 1000, 2000, 2500, 2050);
    const Label& label = ed().aapx(n);
    const QSizeF size(label.Width, label.Height);
    for (const char* blank : {"", "   "}) {
        SCOPED_TRACE(blank);
        QLineEdit* e = OpenLabelEditor(n);
        ASSERT_NE(e, nullptr);
        e->selectAll();
        e->del();
        Type(e, QString::fromLatin1(blank));
        ed().szz.Click();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(e, &enter);
        EXPECT_EQ(label.Caption(), QStringLiteral("101px"));
        EXPECT_EQ(QSizeF(label.Width, label.Height), size);
        EXPECT_TRUE(ed().shuzhi.Visible && ed().szz.Visible);
        EXPECT_EQ(ed().history.UndoCount(), 0u);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(e, &escape);
        EXPECT_FALSE(ed().shuzhi.Visible);
    }
}

TEST_F(TextFits, NoteEditorKeepsTheStartOfALongLineInView) {
    const int n = Draw(&Form1::Command6_Click, 3000, 3000, 4500, 3300);
    window->Sync();
    auto* e = window->findChild<QPlainTextEdit*>(QStringLiteral("bz%1").arg(n));
    ASSERT_NE(e, nullptr);
    e->selectAll();
    Type(e, QStringLiteral("Increase the padding of the primary button baseline WWW"));
    window->Sync();
    EXPECT_EQ(e->geometry(),
              ControlPlace(ed().bz(n)).translated(ControlPlace(ed().Picture2).topLeft()));
    EXPECT_EQ(e->horizontalScrollBar()->value(), 0);
}

}  // namespace
}  // namespace orv::test
