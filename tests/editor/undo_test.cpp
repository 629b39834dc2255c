// Undo and redo of user changes through the handlers the window wires: every
// step goes back to exactly the state before it and forward to the one after.

#include <gtest/gtest.h>

#include <random>

#include "CanvasFixture.h"
#include "editor/OpenCommands.h"

namespace orv::test {
namespace {

constexpr int kCtrl = 2, kShift = 1;

class UndoTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400);
    }
    void Keys(int key, int shift) { ed().Key(key, shift, true); }
    template <class T>
    static std::vector<int> Loaded(const ControlArray<T>& a) {
        std::vector<int> out;
        a.ForEach([&](const T& c) { out.push_back(c.Index); });
        return out;
    }
};

TEST_F(UndoTest, RandomEditsUndoToEachEarlierStateAndRedoToTheLast) {
    std::mt19937 rng(13);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const auto at = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    // The state after each recorded step; typing merges into the step before.
    std::vector<AnnotationSnapshot> states{ed().annotations.Take()};
    for (int op = 0; op < 60; ++op) {
        const size_t stepsBefore = ed().history.UndoCount();
        const auto distances = Loaded(ed().aapx);
        const auto colours = Loaded(ed().co);
        const auto notes = Loaded(ed().bz);
        switch (pick(6)) {
            case 0: {
                void (Form1::*tools[])() = {&Form1::Command3_Click, &Form1::Command4_Click,
                                            &Form1::Command6_Click};
                const float x = at(600, 6000), y = at(600, 4000);
                DrawWired(tools[pick(3)], x, y, x + at(300, 2000), y + at(-500, 500));
                break;
            }
            case 1:
                if (!distances.empty())
                    DragWired(ed().aapx(distances[pick(distances.size())]), at(-300, 300),
                              at(-300, 300));
                else if (!colours.empty())
                    DragWired(ed().co(colours[pick(colours.size())]), at(-300, 300), at(-300, 300));
                break;
            case 2:
                desktop.colourChoices.push_back(RGB(pick(256), pick(256), pick(256)));
                if (!distances.empty())
                    MenuWired(ed().aapx(distances[pick(distances.size())]), "delyanse");
                else if (!notes.empty())
                    MenuWired(ed().bz(notes[pick(notes.size())]), "editfore");
                desktop.colourChoices.clear();
                break;
            case 3:
                if (!colours.empty())
                    MenuWired(ed().co(colours[pick(colours.size())]), "delcolo");
                else if (!distances.empty())
                    MenuWired(ed().aapx(distances[pick(distances.size())]), "Deleteline");
                break;
            case 4:
                if (!notes.empty()) {
                    TextBox& box = ed().bz(notes[pick(notes.size())]);
                    for (int k = 0; k < 3; ++k) box.SetText(box.Text() + QChar(u'a' + pick(26)));
                }
                break;
            case 5:
                if (!distances.empty())
                    MenuWired(ed().aapx(distances[pick(distances.size())]), "tmbjs");
                break;
        }
        AnnotationSnapshot now = ed().annotations.Take();
        if (ed().history.UndoCount() > stepsBefore)
            states.push_back(std::move(now));
        else
            EXPECT_EQ(now, states.back()) << "an unrecorded change at op " << op;
    }
    ASSERT_GE(states.size(), 30u);
    ASSERT_EQ(ed().history.UndoCount() + 1, states.size());

    for (size_t k = states.size() - 1; k-- > 0;) {
        Keys(Qt::Key_Z, kCtrl);
        ASSERT_EQ(ed().annotations.Take(), states[k]) << "undo to step " << k;
    }
    EXPECT_FALSE(ed().history.Undo());
    for (size_t k = 1; k < states.size(); ++k) {
        Keys(k % 2 ? Qt::Key_Y : Qt::Key_Z, k % 2 ? kCtrl : kCtrl | kShift);
        ASSERT_EQ(ed().annotations.Take(), states[k]) << "redo to step " << k;
    }
    EXPECT_FALSE(ed().history.Redo());
}

TEST_F(UndoTest, AStepHoldsOnlyWhatChanged) {
    for (int k = 0; k < 20; ++k)
        DrawWired(&Form1::Command3_Click, 600, 300 + 200 * k, 3000, 300 + 200 * k);
    ASSERT_EQ(ed().history.UndoCount(), 20u);
    const int last = ed().qqqq - 1;
    DragWired(ed().aapx(last), 150, 90);
    ASSERT_EQ(ed().history.UndoCount(), 21u);
    ASSERT_EQ(ed().history.Last()->items.size(), 1u);
    EXPECT_EQ(ed().history.Last()->items[0].key, (AnnotationKey{false, last}));
    // A drag that moved nothing records nothing.
    ed().aapx(last).MouseDown(Left(10, 10));
    ed().aapx(last).MouseUp(Left(10, 10));
    EXPECT_EQ(ed().history.UndoCount(), 21u);
}

TEST_F(UndoTest, TypingInOneNoteIsOneStepUntilSomethingElseHappens) {
    DrawWired(&Form1::Command6_Click, 900, 900, 2400, 1500);
    const int note = ed().wwww - 1;
    ASSERT_TRUE(ed().bz.Exists(note));
    const QString original = ed().bz(note).Text();
    TextBox& box = ed().bz(note);
    for (const char* t : {"h", "hi", "hi!"}) box.SetText(QString::fromLatin1(t));
    EXPECT_EQ(ed().history.UndoCount(), 2u);
    DrawWired(&Form1::Command3_Click, 600, 3000, 3000, 3000);
    ed().bz(note).SetText(QStringLiteral("hi!?"));
    EXPECT_EQ(ed().history.UndoCount(), 4u);  // a new burst after another step

    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().bz(note).Text(), QStringLiteral("hi!"));
    Keys(Qt::Key_Z, kCtrl);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().bz(note).Text(), original);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_FALSE(ed().bz.Exists(note));
    // Z without Ctrl is not undo.
    Keys(Qt::Key_Y, kCtrl);
    EXPECT_TRUE(ed().bz.Exists(note));
    Keys(Qt::Key_Z, 0);
    EXPECT_TRUE(ed().bz.Exists(note));
}

TEST_F(UndoTest, RanksShiftedByAChangeStayOutOfItsStep) {
    void (Form1::*tools[])() = {&Form1::Command3_Click, &Form1::Command4_Click,
                                &Form1::Command6_Click};
    for (int k = 0; k < 200; ++k) {
        const float x = 300 + 150 * (k / 50), y = 300 + 110 * (k % 50);
        DrawWired(tools[k % 3], x, y, x + 900, y + 60 * (k % 5));
    }
    ASSERT_EQ(ed().annotations.Take().Items.size(), 200u);
    const auto distances = Loaded(ed().aapx);
    const auto colours = Loaded(ed().co);

    // A delete low in the painting order shifts the ranks of all above it.
    const AnnotationSnapshot before = ed().annotations.Take();
    MenuWired(ed().aapx(distances[3]), "Deleteline");
    const AnnotationSnapshot after = ed().annotations.Take();
    ASSERT_EQ(after.Items.size(), 199u);
    ASSERT_EQ(ed().history.Last()->items.size(), 1u);
    EXPECT_FALSE(ed().history.Last()->items[0].after);

    // A drag brings an old label to the front: only its marker is in the step.
    DragWired(ed().co(colours[2]), 120, 45);
    const AnnotationSnapshot dragged = ed().annotations.Take();
    ASSERT_EQ(ed().history.Last()->items.size(), 1u);
    // A drag that only restacks is a step of that one marker too.
    DragWired(ed().aapx(distances[10]), 0, 0);
    const AnnotationSnapshot restacked = ed().annotations.Take();
    ASSERT_NE(restacked, dragged);
    ASSERT_EQ(ed().history.Last()->items.size(), 1u);

    // Undo and redo put every element back at its exact rank.
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().annotations.Take(), dragged);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().annotations.Take(), after);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().annotations.Take(), before);
    for (const AnnotationSnapshot* s : {&after, &dragged, &restacked}) {
        Keys(Qt::Key_Y, kCtrl);
        EXPECT_EQ(ed().annotations.Take(), *s);
    }
}

TEST_F(UndoTest, LeavingANoteEndsItsTypingBurst) {
    DrawWired(&Form1::Command6_Click, 900, 900, 2400, 1500);
    const int note = ed().wwww - 1;
    TextBox& box = ed().bz(note);
    box.SetText(QStringLiteral("a"));
    box.SetText(QStringLiteral("ab"));
    ASSERT_EQ(ed().history.UndoCount(), 2u);
    ASSERT_TRUE(box.LostFocus);
    box.LostFocus();
    box.SetText(QStringLiteral("abc"));
    EXPECT_EQ(ed().history.UndoCount(), 3u);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().bz(note).Text(), QStringLiteral("ab"));
}

TEST_F(UndoTest, OpeningAPictureForgetsTheHistory) {
    DrawWired(&Form1::Command3_Click, 600, 600, 3000, 600);
    DrawWired(&Form1::Command4_Click, 900, 900, 2400, 1500);
    ASSERT_EQ(ed().history.UndoCount(), 2u);
    Keys(Qt::Key_Z, kCtrl);
    ASSERT_EQ(ed().history.RedoCount(), 1u);
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::gray);
    ShowOnCanvas(ed(), img);
    EXPECT_EQ(ed().history.UndoCount(), 0u);
    EXPECT_EQ(ed().history.RedoCount(), 0u);
    const AnnotationSnapshot kept = ed().annotations.Take();
    Keys(Qt::Key_Z, kCtrl);
    Keys(Qt::Key_Y, kCtrl);
    EXPECT_EQ(ed().annotations.Take(), kept);
    // The next change is recorded against the state found after the open.
    DrawWired(&Form1::Command3_Click, 600, 2000, 3000, 2000);
    ASSERT_EQ(ed().history.UndoCount(), 1u);
    Keys(Qt::Key_Z, kCtrl);
    EXPECT_EQ(ed().annotations.Take(), kept);
}

}  // namespace
}  // namespace orv::test
