// The tool strip: its design, its load with and without a command-line path,
// tool selection, palette, close and drag.

#include <QColor>

#include "AppFixture.h"
#include "PictureFiles.h"

namespace orv::test {
namespace {

using StripTest = AppTest;

TEST_F(StripTest, AllSixToolImagesShowAtLoadWithThePlainIconsInFront) {
    form3& s = app->Strip();
    EXPECT_FALSE(s.Visible);
    for (const Image* i : {&s.Imag5, &s.Imag55, &s.Imag6, &s.Imag66, &s.Imag7, &s.Imag77})
        EXPECT_TRUE(i->Visible) << i->Name.toStdString();
    EXPECT_EQ(s.bcolormenu.BackColor, RGB(0, 0, 0));
    // Every plain icon paints after (in front of) its active look.
    const auto order = s.Picture1.PaintOrder();
    const auto pos = [&order](const Control& c) {
        return std::find(order.begin(), order.end(), &c);
    };
    EXPECT_GT(pos(s.Imag5), pos(s.Imag55));
    EXPECT_GT(pos(s.Imag6), pos(s.Imag66));
    EXPECT_GT(pos(s.Imag7), pos(s.Imag77));
}

TEST_F(StripTest, LoadWithoutAPathOnlySetsTheTopmostFlag) {
    form3& s = app->Strip();
    EXPECT_TRUE(s.firstopen.isEmpty());
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(s.Topmost);
    EXPECT_EQ(desktop.calls, std::vector<QString>{QStringLiteral("SetTopmost:form3")});
}

TEST_F(StripTest, LoadWithAQuotedPathOpensItInTheEditorAndHides) {
    PictureFiles files;
    const QString path = files.Solid(QStringLiteral("my pic é.png"), 20, 10, Qt::red, "png");
    commandLine = QLatin1Char('"') + path + QLatin1Char('"');
    app = std::make_unique<App>(desktop, commandLine);
    form3& s = app->Strip();
    EXPECT_EQ(s.firstopen, path);
    ASSERT_NE(app->EditorIfLoaded(), nullptr);
    Form1& e = *app->EditorIfLoaded();
    EXPECT_EQ(e.open1, path);
    EXPECT_TRUE(e.Visible);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(20, 10));
    EXPECT_FLOAT_EQ(e.Picture2.Left, e.Picture1.Width + 100);
    EXPECT_FLOAT_EQ(e.Picture1.Height, e.Height);
    EXPECT_FALSE(s.Visible);
    EXPECT_TRUE(s.Topmost);
}

TEST_F(StripTest, StartingWithAPathOpensItTwiceAndEndsBesideTheBars) {
    PictureFiles files;
    const QString path = files.Solid(QStringLiteral("start.png"), 8, 8, Qt::blue, "png");
    StartWith(path);
    Form1& e = *app->EditorIfLoaded();
    // Once through the strip's load (the editor's load reads the start mode), once by the host.
    EXPECT_EQ(desktop.waits.size(), 2u);
    EXPECT_TRUE(e.Visible);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(8, 8));
    EXPECT_FLOAT_EQ(e.Picture2.Top, e.Picture6.Height + 100);
    EXPECT_TRUE(e.open2.isEmpty());
    EXPECT_FALSE(app->Strip().Visible);
}

TEST_F(StripTest, ToolIconsFollowTheSelectionTable) {
    form3& s = app->Strip();
    Form1& e = ed();
    const struct {
        Image* clicked;
        std::array<bool, 6> looks;  // Imag5, Imag55, Imag6, Imag66, Imag7, Imag77
        const char* pd;
    } table[] = {
        {&s.Imag6, {true, false, false, true, true, false}, "1"},
        {&s.Imag5, {false, true, true, false, true, false}, "0"},
        {&s.Imag7, {true, false, true, false, false, true}, "3"},
        {&s.Imag77, {true, false, true, false, false, true}, "3"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.clicked->Name.toStdString());
        row.clicked->Click();
        const std::array<bool, 6> now = {s.Imag5.Visible,  s.Imag55.Visible, s.Imag6.Visible,
                                         s.Imag66.Visible, s.Imag7.Visible,  s.Imag77.Visible};
        EXPECT_EQ(now, row.looks);
        EXPECT_EQ(e.pd, QString::fromLatin1(row.pd));
    }
    // Imag77 raises nothing: after the move tool is chosen in the editor it stays chosen.
    e.Command2_Click();
    s.Imag77.Click();
    EXPECT_EQ(e.pd, QStringLiteral("2"));
    // The editor's own tool pictures keep their look.
    EXPECT_FALSE(e.Image55.Visible);
    EXPECT_TRUE(e.Image5.Visible);
    EXPECT_FALSE(s.Imag55.Click);
    EXPECT_FALSE(s.Imag66.Click);
}

TEST_F(StripTest, PaletteMovesOnlyTheStripsFrame) {
    form3& s = app->Strip();
    const float editorFrame = ed().colorshape.Left;
    s.colormenu[3].Click();
    EXPECT_FLOAT_EQ(s.colorshape.Left, s.colormenu[3].Left - 60);
    EXPECT_FLOAT_EQ(ed().colorshape.Left, editorFrame);
}

TEST_F(StripTest, CloseIconUnloadsEditorThenStripAndTheTrayStays) {
    app->Start();
    form3& s = app->Strip();
    s.Text1 = QStringLiteral("0");
    ed();
    s.Image3.Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_EQ(app->StripIfLoaded(), nullptr);
    EXPECT_TRUE(desktop.trayShown);
    app->CollectGarbage();
    // The next use loads a fresh strip.
    EXPECT_EQ(app->Strip().Text1, QStringLiteral("Text1"));
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
