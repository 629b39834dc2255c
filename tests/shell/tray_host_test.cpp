// The tray host: start-up with and without a path, the tray notifications, the
// menus and their own items.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "PictureFiles.h"

namespace orv::test {
namespace {

using TrayHostTest = AppTest;

QStringList Captions(const std::vector<MenuItem>& items) {
    QStringList out;
    for (const MenuItem& i : items) out << i.Caption;
    return out;
}

TEST_F(TrayHostTest, StartWithoutArgumentShowsOnlyTheTrayIcon) {
    app->Start();
    EXPECT_TRUE(desktop.trayShown);
    EXPECT_EQ(desktop.trayTip, QStringLiteral("Left-click to display the window"));
    EXPECT_FALSE(app->TrayHost().Visible);
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_EQ(app->StripIfLoaded(), nullptr);
}

TEST_F(TrayHostTest, PathLosesTheQuotesAroundItAndOpensTwiceBesideTheBars) {
    PictureFiles files;
    // A double quote inside a name is part of it; only the pair around the path goes.
    const QString path = files.Solid(QStringLiteral("st\"art.png"), 8, 8, Qt::blue, "png");
    StartWith(QStringLiteral("\"%1\"").arg(path));
    EXPECT_EQ(app->TrayHost().Text3, path);
    Form1& e = ed();
    EXPECT_TRUE(e.Visible);
    EXPECT_EQ(e.Caption, QStringLiteral("Orvane Tessaly"));
    // Once through the strip's load (the editor's load reads the start mode), once by the host.
    EXPECT_EQ(desktop.waits.size(), 2u);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(8, 8));
    EXPECT_FLOAT_EQ(e.Picture2.Top, e.Picture6.Height + 100);
    EXPECT_EQ(e.Picture1.Height, Screen().Height);
    EXPECT_EQ(e.Picture6.Width, Screen().Width);
    EXPECT_TRUE(e.open2.isEmpty());
    EXPECT_FLOAT_EQ(e.Picture2.Left, e.Picture1.Width + 100);
    EXPECT_EQ(app->Strip().firstopen, path);
    EXPECT_FALSE(app->Strip().Visible);
    EXPECT_TRUE(app->Strip().Topmost);
}

TEST_F(TrayHostTest, AStripLoadedAgainDoesNotReopenTheStartUpPicture) {
    PictureFiles files;
    StartWith(files.Solid(QStringLiteral("start.png"), 8, 8, Qt::blue, "png"));
    Form1& e = ed();
    e.Picture2.SetPicture(QImage(20, 10, QImage::Format_RGB32));
    const size_t waits = desktop.waits.size();
    app->UnloadStrip();
    app->Strip();
    EXPECT_TRUE(app->Strip().firstopen.isEmpty());
    EXPECT_EQ(desktop.waits.size(), waits);
    EXPECT_EQ(e.Picture2.Picture().size(), QSize(20, 10));
}

TEST_F(TrayHostTest, OnlyButtonReleasesOpenTheTrayMenu) {
    app->Start();
    for (int msg : {0x0200, 0x0201, 0x0203, 0x0204, 0x0206}) app->TrayHost().TrayNotify(msg);
    EXPECT_TRUE(desktop.menusOpened.empty());
    app->TrayHost().TrayNotify(0x0202);
    app->TrayHost().TrayNotify(0x0205);
    EXPECT_EQ(desktop.menusOpened, (std::vector<QString>{"mainopen", "mainopen"}));
    // The host is brought forward before each menu.
    EXPECT_EQ(std::count(desktop.calls.begin(), desktop.calls.end(),
                         QStringLiteral("SetForeground:Form2")),
              2);
}

TEST_F(TrayHostTest, MenusHoldEveryItemInOrder) {
    const Menu& m = Form2::mainopen();
    EXPECT_EQ(Captions(m.Items),
              (QStringList{"Open From clipboard", "Open From file", "Open Form Screen", "Show",
                           "About", "Free For Commercial images ", "Exit"}));
    EXPECT_EQ(Captions(m.Items[4].Items), (QStringList{"About", "Check Version"}));
    EXPECT_EQ(Captions(Form2::cd().Items),
              (QStringList{"Change the line color", "Delete", "Change background color",
                           "Transparent Background color", "Custom text"}));
    EXPECT_EQ(Captions(Form2::cdd().Items),
              (QStringList{"Change the line color", "Delete", "Copy color code", "Web color",
                           "RGB color", "Transparent Background color", "Change background color",
                           QStringLiteral("Contrast with\u2026")}));
    EXPECT_EQ(Captions(Form2::cddd().Items),
              (QStringList{"Change Background color", "Change color", "Delete",
                           "Transparent Background color", "Change background color"}));
}

TEST_F(TrayHostTest, WebPagesOpenTheirAddressesAndExitEndsWithoutAQuestion) {
    app->Start();
    ed().qqqq = 5;  // unsaved work
    desktop.menuChoices = {"cvs", "bm", "ffci", "tuichu"};
    for (int i = 0; i < 4; ++i) app->TrayHost().TrayNotify(0x0202);
    ASSERT_EQ(desktop.urlsOpened.size(), 3u);
    EXPECT_TRUE(desktop.urlsOpened[0].endsWith(QStringLiteral("verson=1.1")));
    EXPECT_NE(desktop.urlsOpened[1], desktop.urlsOpened[2]);
    EXPECT_FALSE(desktop.trayShown);
    EXPECT_TRUE(desktop.ended);
    EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace orv::test
