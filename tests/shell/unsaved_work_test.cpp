// Work is never lost: every way of closing the editor or replacing its picture asks
// "Save changes to this markup?" while there are annotations not yet saved, and only then.

#include <QFileInfo>
#include <functional>

#include "AppFixture.h"
#include "PictureFiles.h"

namespace orv::test {
namespace {

class UnsavedWorkTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        picture = files.Solid(QStringLiteral("first.png"), 40, 30, Qt::green, "png");
        other = files.Solid(QStringLiteral("other.png"), 20, 10, Qt::blue, "png");
    }
    /// Opens the first picture through the file route and shows the editor.
    void OpenFirst() {
        desktop.openFiles.push_back(picture);
        app->Strip().OpenFromFile();
        ASSERT_NE(app->EditorIfLoaded(), nullptr);
    }
    /// Draws one distance marker through the canvas handlers, as the window delivers them.
    void DrawMarker(float y = 900) {
        Form1& e = ed();
        e.Command3_Click();
        e.Picture2.MouseDown(Left(300, y));
        e.Picture2.MouseMove(Left(3000, y + 10));
        e.Timer1_Timer();
        e.Picture2.MouseMove(Left(3000, y + 10));
        e.Picture2.MouseUp(Left(3000, y + 10));
    }
    size_t Markers() { return ed().annotations.Take().Items.size(); }

    PictureFiles files;
    QString picture, other;
};

// Each route that throws the annotations away, run once on a clean editor and once on one
// with a new marker answered Cancel: it goes on when clean, asks and keeps all when not.
TEST_F(UnsavedWorkTest, EveryRouteAsksOnlyWhenThereIsWorkAndCancelKeepsIt) {
    const struct {
        const char* name;
        std::function<void()> run;
        std::function<bool()> wentOn;  // the route did what it does
    } routes[] = {
        {"editor close", [this] { ed().Image3_Click(); },
         [this] { return app->EditorIfLoaded() == nullptr; }},
        {"strip close", [this] { app->Strip().QueryUnload(); },
         [this] { return app->EditorIfLoaded() == nullptr; }},
        {"tray Exit", [this] { app->TrayHost().RunMenuItem(QStringLiteral("tuichu")); },
         [this] { return desktop.ended; }},
        {"file route",
         [this] {
             desktop.openFiles.push_back(other);
             app->Strip().OpenFromFile();
         },
         [this] { return ed().Picture2.Width == 20 * 15.0f; }},
        {"clipboard route",
         [this] {
             QImage img(8, 6, QImage::Format_RGB32);
             img.fill(Qt::red);
             desktop.clipboardPicture = img;
             app->Strip().OpenFromClipboard();
         },
         [this] { return ed().Picture2.Width == 8 * 15.0f; }},
        {"screen route", [this] { app->Strip().MeasureScreen(); },
         [this] { return app->Strip().Text1 == StartMode::ScreenMeasurement; }},
        {"command line", [this] { app->TrayHost().OpenCommandLine(other); },
         [this] { return ed().Picture2.Width == 20 * 15.0f; }},
        {"dropped file", [this] { ed().OpenDroppedFile(other); },
         [this] { return ed().Picture2.Width == 20 * 15.0f; }},
    };
    for (const auto& route : routes) {
        for (const bool dirty : {false, true}) {
            SCOPED_TRACE(std::string(route.name) + (dirty ? " with work" : " clean"));
            app = std::make_unique<App>(desktop, QString());
            desktop.ended = false;
            desktop.questions.clear();
            OpenFirst();
            if (dirty) DrawMarker();
            const AnnotationSnapshot before = ed().annotations.Take();
            route.run();
            if (!dirty) {
                EXPECT_TRUE(desktop.questions.empty());
                EXPECT_TRUE(route.wentOn());
                continue;
            }
            ASSERT_EQ(desktop.questions.size(), 1u);
            EXPECT_EQ(desktop.questions[0], QStringLiteral("Save changes to this markup?"));
            EXPECT_FALSE(route.wentOn());
            ASSERT_NE(app->EditorIfLoaded(), nullptr);
            EXPECT_EQ(ed().annotations.Take(), before);
            EXPECT_EQ(ed().Picture2.Width, 40 * 15.0f);
        }
    }
}

TEST_F(UnsavedWorkTest, DiscardGoesOnAndSaveGoesOnOnlyWhenTheFileIsWritten) {
    OpenFirst();
    DrawMarker();
    desktop.saveAnswers = {SaveAnswer::Discard};
    ed().Image3_Click();
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);

    // Save, then the save dialog cancelled: nothing closes, and the question comes again.
    OpenFirst();
    DrawMarker();
    desktop.saveAnswers = {SaveAnswer::Save};
    ed().Image3_Click();
    ASSERT_NE(app->EditorIfLoaded(), nullptr);
    EXPECT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_EQ(Markers(), 1u);

    // Save into a folder that does not exist: the failure is told and the editor stays.
    desktop.saveAnswers = {SaveAnswer::Save};
    desktop.saveFiles = {files.Path(QStringLiteral("no/such/folder/out.png"))};
    const size_t messages = desktop.messages.size();
    app->TrayHost().RunMenuItem(QStringLiteral("tuichu"));
    EXPECT_FALSE(desktop.ended);
    EXPECT_GT(desktop.messages.size(), messages);
    ASSERT_NE(app->EditorIfLoaded(), nullptr);

    // Save that writes the file: the editor closes, and the file holds the marker.
    const QString out = files.Path(QStringLiteral("out.png"));
    desktop.saveAnswers = {SaveAnswer::Save};
    desktop.saveFiles = {out};
    desktop.questions.clear();
    ed().Image3_Click();
    EXPECT_EQ(desktop.questions.size(), 1u);
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(QFileInfo(out).size() > 0);
}

TEST_F(UnsavedWorkTest, SavingOrOpeningMakesTheWorkSafeAndUndoBackToItToo) {
    OpenFirst();
    DrawMarker();
    desktop.saveFiles = {files.Path(QStringLiteral("saved.png"))};
    ed().Command5_Click();
    // Just saved: closing asks nothing.
    app->TrayHost().RunMenuItem(QStringLiteral("tuichu"));
    EXPECT_TRUE(desktop.questions.empty());
    EXPECT_TRUE(desktop.ended);

    // A change after the save asks; undoing it back to the saved state does not.
    desktop.ended = false;
    DrawMarker(2000);
    ed().history.Undo();
    ed().Image3_Click();
    EXPECT_TRUE(desktop.questions.empty());
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);

    // Work discarded for another picture is gone from it, so closing then has nothing to ask.
    OpenFirst();
    DrawMarker();
    desktop.saveAnswers = {SaveAnswer::Discard};
    desktop.openFiles.push_back(other);
    app->Strip().OpenFromFile();
    EXPECT_EQ(desktop.questions.size(), 1u);
    EXPECT_EQ(ed().Picture2.Width, 20 * 15.0f);
    EXPECT_EQ(Markers(), 0u);
    app->Strip().QueryUnload();
    EXPECT_EQ(desktop.questions.size(), 1u);
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);
}

// "Discard" removes the annotations before any route puts the next picture up; "Save" keeps
// them on the next picture, where they were never saved, so leaving it asks again.
TEST_F(UnsavedWorkTest, DiscardRemovesTheWorkAndSavedWorkCarriedOnIsNewWork) {
    const struct {
        const char* name;
        std::function<void()> run;
    } routes[] = {
        {"file route",
         [this] {
             desktop.openFiles.push_back(other);
             app->Strip().OpenFromFile();
         }},
        {"screen route", [this] { app->Strip().MeasureScreen(); }},
        {"command line", [this] { app->TrayHost().OpenCommandLine(other); }},
        {"dropped file", [this] { ed().OpenDroppedFile(other); }},
        {"Ctrl+O",
         [this] {
             desktop.openFiles.push_back(other);
             ed().Key(Qt::Key_O, kCtrlMask, true);
         }},
    };
    for (const auto& route : routes) {
        SCOPED_TRACE(route.name);
        app = std::make_unique<App>(desktop, QString());
        desktop.questions.clear();
        OpenFirst();
        DrawMarker();
        desktop.saveAnswers = {SaveAnswer::Discard};
        route.run();
        EXPECT_EQ(desktop.questions.size(), 1u);
        EXPECT_EQ(Markers(), 0u);
        EXPECT_NE(ed().Picture2.Width, 40 * 15.0f);

        OpenFirst();
        DrawMarker();
        desktop.saveAnswers = {SaveAnswer::Save};
        desktop.saveFiles = {files.Path(QStringLiteral("kept.png"))};
        route.run();
        EXPECT_EQ(desktop.questions.size(), 2u);
        EXPECT_EQ(Markers(), 1u);
        EXPECT_NE(ed().Picture2.Width, 40 * 15.0f);
        // Closing now would lose the markers on the new picture: the question comes again.
        desktop.saveAnswers = {SaveAnswer::Cancel};
        ed().Image3_Click();
        EXPECT_EQ(desktop.questions.size(), 3u);
        EXPECT_NE(app->EditorIfLoaded(), nullptr);
    }
}

}  // namespace
}  // namespace orv::test
