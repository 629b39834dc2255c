// Steps recorded from what the handlers touched against the full-snapshot way:
// random edits of every kind, undos and redos, each followed by a full snapshot
// of the annotations. Every recorded step must hold what the difference of the
// full snapshots around it holds, an action that records nothing must leave the
// annotations as they were, and each undo and redo must give exactly the
// snapshot taken after that step.

#include <gtest/gtest.h>

#include <random>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr int kCtrl = 2;

/// Equal steps: the same annotations, equal apart from ranks, the same
/// stacking keys and counters.
::testing::AssertionResult SameStep(const UndoStep& got, const UndoStep& want) {
    if (got.items.size() != want.items.size())
        return ::testing::AssertionFailure()
               << got.items.size() << " items, the full snapshots differ in " << want.items.size();
    const auto same = [](const std::optional<AnnotationState>& a,
                         const std::optional<AnnotationState>& b) {
        return a.has_value() == b.has_value() && (!a || SameApartFromRanks(*a, *b));
    };
    for (size_t i = 0; i < got.items.size(); ++i) {
        const UndoStep::Item &g = got.items[i], &w = want.items[i];
        if (!(g.key == w.key) || !same(g.before, w.before) || !same(g.after, w.after) ||
            (g.before && g.stackBefore != w.stackBefore) ||
            (g.after && g.stackAfter != w.stackAfter))
            return ::testing::AssertionFailure()
                   << "item " << i << " (index " << g.key.index
                   << (g.key.leader ? ", a leader" : "") << ", kind " << int(g.key.family)
                   << ") differs:" << (g.key == w.key ? "" : " key")
                   << (same(g.before, w.before) ? "" : " before")
                   << (same(g.after, w.after) ? "" : " after")
                   << (g.stackBefore == w.stackBefore ? "" : " stacking before")
                   << (g.stackAfter == w.stackAfter ? "" : " stacking after");
    }
    if (got.qqqqBefore != want.qqqqBefore || got.qqqqAfter != want.qqqqAfter ||
        got.wwwwBefore != want.wwwwBefore || got.wwwwAfter != want.wwwwAfter ||
        !(got.nextBefore == want.nextBefore) || !(got.nextAfter == want.nextAfter))
        return ::testing::AssertionFailure() << "the counters differ";
    return ::testing::AssertionSuccess();
}

/// The same annotations in the same stacking order. Ranks are not compared: they
/// count every element on the canvas, and a redone note delete takes away the
/// hidden display label the delete itself leaves loaded.
::testing::AssertionResult Same(const AnnotationSnapshot& got, const AnnotationSnapshot& want) {
    if (got.qqqq != want.qqqq || got.wwww != want.wwww || !(got.next == want.next))
        return ::testing::AssertionFailure() << "the counters differ";
    if (got.Items.size() != want.Items.size())
        return ::testing::AssertionFailure()
               << got.Items.size() << " annotations instead of " << want.Items.size();
    for (size_t i = 0; i < got.Items.size(); ++i)
        if (!SameApartFromRanks(got.Items[i], want.Items[i]) || got.Stacks[i] != want.Stacks[i])
            return ::testing::AssertionFailure()
                   << "annotation " << i << " (index " << KeyOf(got.Items[i]).index << ") differs";
    return ::testing::AssertionSuccess();
}

class UndoTouchedTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400);
        // Told, not checked: a missed change shows as a failed comparison here.
        ed().history.SetRecording(Recording::Touched);
    }
    void Key(int key, int shift = 0) { ed().Key(key, shift, true); }
    template <class T>
    static std::vector<int> Loaded(const ControlArray<T>& a) {
        std::vector<int> out;
        a.ForEach([&](const T& c) { out.push_back(c.Index); });
        return out;
    }
};

TEST_F(UndoTouchedTest, RandomEditsUndosAndRedosMatchFullSnapshots) {
    std::mt19937 rng(31);
    const auto pick = [&](size_t n) {
        return static_cast<size_t>(std::uniform_int_distribution<size_t>(0, n - 1)(rng));
    };
    const auto at = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    // The full snapshot after each step still in the history, and where undo stands.
    std::vector<AnnotationSnapshot> states{ed().annotations.Take()};
    size_t now = 0;
    int recorded = 0, undos = 0, redos = 0, cancelled = 0;
    for (int op = 0; op < 400; ++op) {
        const size_t stepsBefore = ed().history.UndoCount();
        const auto distances = Loaded(ed().aapx);
        const auto colours = Loaded(ed().co);
        const auto notes = Loaded(ed().bz);
        const auto boxes = Loaded(ed().boxSize);
        const auto any = [&](const std::vector<int>& v) { return v[pick(v.size())]; };
        const int kind = static_cast<int>(pick(16));
        if (kind == 0 && ed().history.UndoCount() > 0) {
            Key(Qt::Key_Z, kCtrl);
            ASSERT_GT(now, 0u);
            --now;
            ++undos;
            ASSERT_TRUE(Same(ed().annotations.Take(), states[now])) << "undo at op " << op;
            continue;
        }
        if (kind == 1 && ed().history.UndoCount() > 0) {
            // Back one step unless there is something to redo, then forward one.
            if (ed().history.RedoCount() == 0) {
                Key(Qt::Key_Z, kCtrl);
                --now;
                ++undos;
                ASSERT_TRUE(Same(ed().annotations.Take(), states[now])) << "undo at op " << op;
            }
            Key(Qt::Key_Y, kCtrl);
            ++now;
            ++redos;
            ASSERT_TRUE(Same(ed().annotations.Take(), states[now])) << "redo at op " << op;
            continue;
        }
        switch (kind) {
            case 2:
            case 3: {
                void (Form1::*tools[])() = {&Form1::Command3_Click, &Form1::Command4_Click,
                                            &Form1::Command6_Click, &Form1::ImageBox_Click,
                                            &Form1::ImageRedact_Click};
                const float x = at(300, 7000), y = at(300, 5000);
                // Now and then a click that draws nothing.
                const float dx = pick(6) == 0 ? 0 : at(200, 2000), dy = at(-500, 500);
                DrawWired(tools[pick(5)], x, y, x + dx, y + (dx == 0 ? 0 : dy));
                break;
            }
            case 4:
                if (!distances.empty() && pick(2))
                    DragWired(ed().aapx(any(distances)), at(-300, 300), at(-300, 300));
                else if (!colours.empty())
                    DragWired(ed().co(any(colours)), at(-300, 300), at(-300, 300));
                break;
            case 5:
                if (!notes.empty() && pick(2))
                    DragWired(ed().bz(any(notes)), at(-300, 300), at(-300, 300));
                else if (!boxes.empty())
                    DragWired(ed().boxSize(any(boxes)), at(-300, 300), at(-300, 300));
                break;
            case 6: {
                desktop.colourChoices.push_back(RGB(int(pick(256)), int(pick(256)), 90));
                const int which = static_cast<int>(pick(4));
                if (which == 0 && !distances.empty())
                    MenuWired(ed().aapx(any(distances)), pick(2) ? "delyanse" : "btmbjs");
                else if (which == 1 && !colours.empty())
                    MenuWired(ed().co(any(colours)), pick(2) ? "delys" : "tjbjs");
                else if (which == 2 && !notes.empty())
                    MenuWired(ed().bz(any(notes)), pick(2) ? "editfore" : "editys");
                else if (!boxes.empty())
                    MenuWired(ed().boxSize(any(boxes)), "boxline");
                desktop.colourChoices.clear();
                break;
            }
            case 7: {
                const int which = static_cast<int>(pick(4));
                if (which == 0 && !distances.empty())
                    MenuWired(ed().aapx(any(distances)), "Deleteline");
                else if (which == 1 && !colours.empty())
                    MenuWired(ed().co(any(colours)), "delcolo");
                else if (which == 2 && !notes.empty())
                    MenuWired(ed().bz(any(notes)), "Delete");
                else if (!boxes.empty())
                    MenuWired(ed().boxSize(any(boxes)), "boxdel");
                break;
            }
            case 8:
                if (!notes.empty()) {
                    TextBox& box = ed().bz(any(notes));
                    for (int k = 0; k < 3; ++k)
                        box.SetText(box.Text() + QChar(static_cast<char16_t>(u'a' + pick(26))));
                    if (pick(2)) box.LostFocus();
                }
                break;
            case 9: {
                const char* clear[] = {"tmbjs", "coltran", "backtm", "boxclear"};
                const int which = static_cast<int>(pick(4));
                if (which == 0 && !distances.empty())
                    MenuWired(ed().aapx(any(distances)), clear[0]);
                else if (which == 1 && !colours.empty())
                    MenuWired(ed().co(any(colours)), clear[1]);
                else if (which == 2 && !notes.empty())
                    MenuWired(ed().bz(any(notes)), clear[2]);
                else if (!boxes.empty())
                    MenuWired(ed().boxSize(any(boxes)), clear[3]);
                break;
            }
            case 10:
                // The pointer over a transparent note's label and away shows and hides its
                // box between steps; the next step, a drag of that box, holds it all.
                for (int n : notes) {
                    if (!ed().bzz.Exists(n) || !ed().bzz(n).Visible) continue;
                    ed().bzz(n).MouseMove({0, 0, 5, 5});
                    ed().bz(n).MouseMove({0, 0, -1, -1});
                    ed().bzz(n).MouseMove({0, 0, 5, 5});
                    DragWired(ed().bz(n), at(-300, 300), at(-300, 300));
                    break;
                }
                break;
            case 11:
                if (!distances.empty()) {
                    MenuWired(ed().aapx(any(distances)), "shizhi");
                    ed().shuzhi.SetText(QStringLiteral("%1 cm").arg(op));
                    ed().szz.Click();
                }
                break;
            case 12: {
                // The keys: an arrow or Delete on the annotation pressed last.
                if (distances.empty()) break;
                Label& label = ed().aapx(any(distances));
                label.MouseDown(Left(10, 10));
                label.MouseUp(Left(10, 10));
                const int keys[] = {Qt::Key_Left, Qt::Key_Down, Qt::Key_Delete};
                Key(keys[pick(3)], pick(2) ? 1 : 0);
                break;
            }
            case 13:
            case 14: {
                // Escape during a drag, of a label or of a new annotation.
                const size_t before = ed().history.UndoCount();
                if (kind == 13 && !notes.empty()) {
                    TextBox& box = ed().bz(any(notes));
                    box.MouseDown(Left(10, 10));
                    box.MouseMove({1, 0, 400, 300});
                    Key(Qt::Key_Escape);
                    box.MouseUp(Left(400, 300));
                } else {
                    (ed().*(pick(2) ? &Form1::Command3_Click : &Form1::Command6_Click))();
                    ed().Picture2.MouseDown(Left(900, 900));
                    ed().Picture2.MouseMove({1, 0, 2400, 1500});
                    ed().Timer1_Timer();
                    Key(Qt::Key_Escape);
                    ed().Picture2.MouseUp(Left(2400, 1500));
                }
                ++cancelled;
                ASSERT_EQ(ed().history.UndoCount(), before) << "a cancelled drag recorded a step";
                break;
            }
            default:
                // A click on a note: a second one at its point edits it.
                DrawWired(&Form1::Command6_Click, 1500, 1500, 1500, 1500);
                break;
        }
        AnnotationSnapshot after = ed().annotations.Take();
        const size_t steps = ed().history.UndoCount();
        if (steps > stepsBefore) {
            ASSERT_EQ(steps, stepsBefore + 1) << "op " << op;
            ASSERT_EQ(steps, now + 1);
            ASSERT_TRUE(SameStep(*ed().history.Last(), Difference(states[now], after)))
                << "op " << op << " kind " << kind;
            states.resize(now + 1);
            states.push_back(std::move(after));
            ++now;
            ++recorded;
        } else if (!(after == states[now]) && steps == now && now > 0 &&
                   ed().history.Last()->typingNote != 0) {
            // More typing in the same note joins its step.
            ASSERT_TRUE(SameStep(*ed().history.Last(), Difference(states[now - 1], after)))
                << "op " << op;
            states[now] = std::move(after);
        } else {
            const UndoStep missed = Difference(states[now], after);
            ASSERT_TRUE(Same(after, states[now]))
                << "an unrecorded change at op " << op << " kind " << kind << ": "
                << missed.items.size() << " annotations, first "
                << (missed.items.empty() ? -1 : missed.items[0].key.index);
        }
    }
    // Every kind of thing happened often enough to mean something.
    EXPECT_GE(recorded, 120);
    EXPECT_GE(undos, 10);
    EXPECT_GE(redos, 5);
    EXPECT_GE(cancelled, 20);
    // All the way back and forward again.
    for (size_t k = now; k-- > 0;) {
        Key(Qt::Key_Z, kCtrl);
        ASSERT_TRUE(Same(ed().annotations.Take(), states[k])) << "undo to step " << k;
    }
    for (size_t k = 1; k < states.size(); ++k) {
        Key(Qt::Key_Y, kCtrl);
        ASSERT_TRUE(Same(ed().annotations.Take(), states[k])) << "redo to step " << k;
    }
}

}  // namespace
}  // namespace orv::test
