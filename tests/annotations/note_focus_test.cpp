// The real editor of a note just placed holds the keyboard with its placeholder selected,
// so the first keys replace it; Escape in it gives the keyboard back to the window, where
// the tool keys are read again.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "WindowedCanvas.h"

namespace orv::test {
namespace {

void Type(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

class NoteFocus : public WindowedCanvasTest {};

TEST_F(NoteFocus, TypingAfterPlacingReplacesThePlaceholderAndEscapeEndsIt) {
    const int n = Draw(&Form1::Image7_Click, 3000, 3000, 4500, 3300);
    window->Sync();
    auto* e = window->findChild<QPlainTextEdit*>(QStringLiteral("bz%1").arg(n));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(window->focusWidget(), e);
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("TEXT") + QChar(0x2029));
    // The box is too small for the placeholder's empty second line: its first line shows.
    EXPECT_EQ(e->verticalScrollBar()->value(), 0);

    for (const QChar c : QStringLiteral("gap")) Type(e, 0, c);
    EXPECT_EQ(ed().bz(n).Text(), QStringLiteral("gap"));
    EXPECT_EQ(ed().pd, Tool::Note);

    Type(e, Qt::Key_Escape);
    window->Sync();
    EXPECT_NE(window->focusWidget(), e);
    EXPECT_EQ(ed().bz(n).Text(), QStringLiteral("gap"));
    EXPECT_TRUE(e->isVisibleTo(window.get()));
}

}  // namespace
}  // namespace orv::test
