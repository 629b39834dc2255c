// A note placed with the note tool is ready for typing: it asks for the keyboard with its
// placeholder selected, a click without a drag puts it beside the point (never at the
// picture's corner), the second press of a double-click edits it instead of stacking
// another note on it, and Escape hands the keyboard back to the tool keys.

#include <Qt>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

class NoteTyping : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(400, 300);
        ed().Image7_Click();
    }
    size_t Notes() {
        size_t n = 0;
        for (int i = 1; i < 20; ++i) n += ed().annotations.NoteAt(i).has_value();
        return n;
    }
};

TEST_F(NoteTyping, ANewNoteAsksForTheKeyboardWithItsTextSelected) {
    Form1& e = ed();
    // Dragged out, and placed by a plain click: both ask for the keyboard.
    for (const bool drag : {true, false}) {
        SCOPED_TRACE(drag ? "dragged" : "clicked");
        e.FocusRequest = nullptr;
        e.FocusSelectsAll = false;
        const int n = e.wwww;
        Press(600, 600);
        if (drag) DragTo(2400, 1500);
        Release(drag ? 2400 : 600, drag ? 1500 : 600);
        ASSERT_TRUE(e.annotations.NoteAt(n).has_value());
        EXPECT_EQ(e.FocusRequest, &e.bz(n));
        EXPECT_TRUE(e.FocusSelectsAll);
        EXPECT_EQ(e.bzindex, n);
        // The placeholder and the template size stay until the first edit.
        EXPECT_EQ(e.bz(n).Text(), QStringLiteral("TEXT\r\n"));
        EXPECT_EQ(e.bz(n).Width, 735);
        EXPECT_EQ(e.bz(n).Height, 285);
        EXPECT_EQ(e.pd, Tool::Note);
    }
}

TEST_F(NoteTyping, AClickPutsTheBoxBesideThePointAndADoubleClickMakesOneNote) {
    Form1& e = ed();
    const int n = e.wwww;
    // A double-click: press, release, press, release at one point.
    for (int k = 0; k < 2; ++k) {
        Press(3000, 1500);
        Release(3000, 1500);
    }
    EXPECT_EQ(Notes(), 1u);
    const TextBox& box = e.bz(n);
    EXPECT_TRUE(box.Visible);
    EXPECT_EQ(box.Left, 3000);
    EXPECT_FLOAT_EQ(box.Top, 1500 - 285 / 2.0f);
    EXPECT_EQ(e.FocusRequest, &box);
    EXPECT_EQ(e.wwww, n + 1);

    // A click elsewhere afterwards is a new note as usual.
    Press(4500, 2500);
    Release(4500, 2500);
    EXPECT_EQ(Notes(), 2u);
    EXPECT_EQ(e.bz(n + 1).Left, 4500);
}

TEST_F(NoteTyping, EscapeInANoteGivesTheKeyboardBackAndKeepsTheText) {
    Form1& e = ed();
    const int n = Draw(&Form1::Image7_Click, 600, 600, 2400, 1500);
    TextBox& box = e.bz(n);
    box.SetText(QStringLiteral("use 16px gap"));
    e.Focused = &box;  // the window reports the box holds the keyboard
    // While it does, the tool letters type text rather than switch tools.
    e.Key(Qt::Key_D, 0, true);
    EXPECT_EQ(e.pd, Tool::Note);

    box.KeyPress(Qt::Key_A);
    EXPECT_FALSE(e.FocusToWindow);
    box.KeyPress(Qt::Key_Escape);
    EXPECT_TRUE(e.FocusToWindow);
    EXPECT_EQ(e.FocusRequest, nullptr);
    EXPECT_EQ(box.Text(), QStringLiteral("use 16px gap"));
    EXPECT_TRUE(box.Visible);

    // The window took the keyboard back: the letters choose tools again.
    e.Focused = nullptr;
    e.Key(Qt::Key_D, 0, true);
    EXPECT_EQ(e.pd, Tool::Distance);
}

}  // namespace
}  // namespace orv::test
