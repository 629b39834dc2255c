// The tool strip: its load, tool selection, palette, close and drag (its load
// with a command-line path is in tray_host_test.cpp).

#include "AppFixture.h"

namespace orv::test {
namespace {

using StripTest = AppTest;

TEST_F(StripTest, LoadWithoutAPathShowsEveryToolPlainAndOnlySetsTheTopmostFlag) {
    form3& s = app->Strip();
    EXPECT_FALSE(s.Visible);
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(s.Topmost);
    EXPECT_EQ(desktop.calls, std::vector<QString>{QStringLiteral("SetTopmost:form3")});
    // All six looks show; every plain icon paints in front of its active look.
    const auto order = s.Picture1.PaintOrder();
    const auto pos = [&order](const Control& c) {
        EXPECT_TRUE(c.Visible) << c.Name.toStdString();
        return std::find(order.begin(), order.end(), &c);
    };
    EXPECT_GT(pos(s.Imag5), pos(s.Imag55));
    EXPECT_GT(pos(s.Imag6), pos(s.Imag66));
    EXPECT_GT(pos(s.Imag7), pos(s.Imag77));
}

TEST_F(StripTest, ToolIconsFollowTheSelectionTableAndThePaletteMovesItsOwnFrame) {
    form3& s = app->Strip();
    Form1& e = ed();
    const struct {
        Image* clicked;
        std::array<bool, 6> looks;  // Imag5, Imag55, Imag6, Imag66, Imag7, Imag77
        Tool pd;
    } table[] = {
        {&s.Imag6, {true, false, false, true, true, false}, Tool::ColourPick},
        {&s.Imag5, {false, true, true, false, true, false}, Tool::Distance},
        {&s.Imag7, {true, false, true, false, false, true}, Tool::Note},
        {&s.Imag77, {true, false, true, false, false, true}, Tool::Note},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.clicked->Name.toStdString());
        row.clicked->Click();
        const std::array<bool, 6> now = {s.Imag5.Visible,  s.Imag55.Visible, s.Imag6.Visible,
                                         s.Imag66.Visible, s.Imag7.Visible,  s.Imag77.Visible};
        EXPECT_EQ(now, row.looks);
        EXPECT_EQ(e.pd, row.pd);
    }
    // Imag77 raises nothing: after the move tool is chosen in the editor it stays chosen.
    e.Command2_Click();
    s.Imag77.Click();
    EXPECT_EQ(e.pd, Tool::Move);
    // The editor's own tool pictures keep their look.
    EXPECT_FALSE(e.Image55.Visible);
    EXPECT_TRUE(e.Image5.Visible);
    EXPECT_FALSE(s.Imag55.Click);
    EXPECT_FALSE(s.Imag66.Click);
    // The palette moves only the strip's own frame.
    const float editorFrame = e.colorshape.Left;
    s.colormenu[3].Click();
    EXPECT_FLOAT_EQ(s.colorshape.Left, s.colormenu[3].Left - 60);
    EXPECT_FLOAT_EQ(e.colorshape.Left, editorFrame);
}

TEST_F(StripTest, CloseIconUnloadsEditorThenStripAndTheTrayStays) {
    app->Start();
    form3& s = app->Strip();
    s.Text1 = StartMode::ScreenMeasurement;
    ed();
    s.Image3.Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_EQ(app->StripIfLoaded(), nullptr);
    EXPECT_TRUE(desktop.trayShown);
    app->CollectGarbage();
    // The next use loads a fresh strip.
    EXPECT_EQ(app->Strip().Text1, StartMode::Normal);
}

TEST_F(StripTest, MovingOverTheBackgroundDragsTheStrip) {
    form3& s = app->Strip();
    s.Picture1.MouseMove(MouseEvent{0, 0, 100, 100});
    s.Picture1.MouseMove(MouseEvent{1, 0, 120, 100});
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(),
                         QStringLiteral("StartSystemMove:form3/")),
              2);
}

}  // namespace
}  // namespace orv::test
