// Notes on the canvas are painted by the window as their editors show them; a note gets a
// real editor only while it needs one (under the pointer, holding the keyboard), and a
// press on a painted note reaches an editor made for it at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "ZoomedEditor.h"
#include "platform/qt/EditorLook.h"

namespace orv::test {
namespace {

// The note editors that exist, once the freed ones are gone.
QList<QPlainTextEdit*> Editors(ZoomedEditor& z) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return z.win->findChildren<QPlainTextEdit*>();
}

void MoveTo(ZoomedEditor& z, QPointF at) {
    z.Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    z.win->Sync();
}

// Places a note with its box at picture pixel (x, y), gives the keyboard back to the
// window (Escape in its editor) and moves the pointer away, so the note needs no editor.
int PlaceNote(ZoomedEditor& z, int x, int y, const QString& text) {
    const int n = z.ed().wwww;
    z.ed().Image7_Click();
    z.Drag(z.At(x - 20, y + 20), z.At(x, y));
    z.win->Sync();
    if (!text.isNull()) z.ed().bz(n).SetText(text);
    z.win->Sync();
    if (auto* e = z.win->findChild<QPlainTextEdit*>(QStringLiteral("bz%1").arg(n))) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(e, &escape);
    }
    z.win->Sync();
    MoveTo(z, z.At(236, 156));
    return n;
}

QImage Rgb(const QPixmap& p) {
    return p.toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColour(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == colour;
    return n;
}

TEST(PaintedNotes, APaintedNoteShowsThePixelsOfItsEditorAtEveryZoom) {
    struct Case {
        double zoom;
        const char* text;
    };
    const Case cases[] = {{1.0, "TEXT\r\n"},
                          {1.0, "Padding 8px\r\nsecond line, longer\r\n3"},
                          {3.0, "Padding 8px\r\nsecond line, longer\r\n3"},
                          {0.5, "Gap 12px\r\ntwo"},
                          // Right-to-left text, shaped and placed as its editor does.
                          {2.0, "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 8px\r\nab"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zoom << " " << c.text);
        ZoomedEditor z(c.zoom);
        const int n = PlaceNote(z, 60, 40, QString::fromUtf8(c.text));
        ASSERT_TRUE(Editors(z).isEmpty());
        const QRect place = ControlPlace(z.ed().bz(n));

        // The pointer over the note: its editor lies over it.
        MoveTo(z, z.At(place.center().x(), place.center().y()));
        const QList<QPlainTextEdit*> over = Editors(z);
        ASSERT_EQ(over.size(), 1);
        QPlainTextEdit* editor = over.front();
        ASSERT_TRUE(editor->isVisible());
        const QRect shown = editor->geometry();
        const QImage real = Rgb(editor->grab());
        EXPECT_EQ(editor->font(), EditorFont(z.ed().bz(n), z.scale));

        // The pointer away: no editor, and the window shows the very same pixels.
        MoveTo(z, z.At(200, 140));
        ASSERT_TRUE(Editors(z).isEmpty());
        const QImage painted = Rgb(z.win->grab(shown));
        ASSERT_EQ(painted.size(), real.size());
        EXPECT_TRUE(painted == real);
        // Text is there to compare: glyphs on the note's yellow.
        const int yellow = CountColour(painted, qRgb(255, 255, 192));
        const int area = painted.width() * painted.height();
        EXPECT_GT(yellow, area / 2);
        EXPECT_GT(area - yellow, 10);
    }
}

TEST(PaintedNotes, APressOnAPaintedNotePutsTheCaretWhereItLandsAndReachesTheNoteOnce) {
    ZoomedEditor z(2.0);
    const int n = PlaceNote(z, 60, 40, QStringLiteral("abcdefgh"));
    ASSERT_TRUE(Editors(z).isEmpty());
    TextBox& box = z.ed().bz(n);
    int presses = 0;
    const auto down = box.MouseDown;
    box.MouseDown = [&](const MouseEvent& m) {
        ++presses;
        down(m);
    };
    // Between "d" and "e" of the zoomed text, with no move over the note before.
    const QRect place = ControlPlace(box);
    const double scale = z.scale;
    const QPointF corner = QPointF(z.corner) + scale * QPointF(place.topLeft());
    const double advance = QFontMetricsF(EditorFont(box, scale)).horizontalAdvance("abcd");
    const QPointF at = corner + QPointF(EditorMargin(scale) + advance + 1, scale * 5);
    z.Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    z.Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    z.win->Sync();
    const QList<QPlainTextEdit*> editors = Editors(z);
    ASSERT_EQ(editors.size(), 1);
    EXPECT_EQ(editors.front()->textCursor().position(), 4);
    EXPECT_EQ(z.win->focusWidget(), editors.front());
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(z.ed().bzindex, n);
    // The editor holds the keyboard: typing goes into the note where the caret is.
    QKeyEvent x(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("X"));
    QApplication::sendEvent(editors.front(), &x);
    EXPECT_EQ(box.Text(), QStringLiteral("abcdXefgh"));

    // A right press on it, painted again, opens the note menu only, once.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(editors.front(), &escape);
    MoveTo(z, z.At(236, 156));
    ASSERT_TRUE(Editors(z).isEmpty());
    z.Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(z.desktop.menusOpened, std::vector<QString>{QStringLiteral("cddd")});
    EXPECT_EQ(presses, 2);
    z.Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(box.Text(), QStringLiteral("abcdXefgh"));
}

TEST(PaintedNotes, OnlyTheNotesThatNeedOneKeepAnEditor) {
    ZoomedEditor z(1.0);
    std::vector<int> notes;
    for (int k = 0; k < 24; ++k) {
        notes.push_back(PlaceNote(z, 30 + (k % 6) * 34, 20 + (k / 6) * 34, QString()));
        EXPECT_LE(Editors(z).size(), 1);
    }
    ASSERT_TRUE(Editors(z).isEmpty());
    // The pointer passes over every note: one editor at a time, over that note.
    for (int n : notes) {
        const QRect place = ControlPlace(z.ed().bz(n));
        MoveTo(z, z.At(place.center().x(), place.center().y()));
        const QList<QPlainTextEdit*> editors = Editors(z);
        ASSERT_EQ(editors.size(), 1) << n;
        EXPECT_EQ(editors.front()->objectName(), QStringLiteral("bz%1").arg(n));
    }
    // A note that holds the keyboard keeps its editor when the pointer goes on.
    const int typed = notes[5];
    z.ed().FocusRequest = &z.ed().bz(typed);
    z.win->Sync();
    MoveTo(z, z.At(220, 150));
    const QList<QPlainTextEdit*> kept = Editors(z);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.front()->objectName(), QStringLiteral("bz%1").arg(typed));
    EXPECT_EQ(z.win->focusWidget(), kept.front());
    // Its keyboard given back, it keeps none.
    z.win->setFocus();
    z.win->Sync();
    EXPECT_TRUE(Editors(z).isEmpty());
}

}  // namespace
}  // namespace orv::test
