// The journal as the program keeps it: written while markup is unsaved, removed once it is
// saved or closed or the program exits, offered back at the next start (Restore brings the
// same markup back live, Discard drops it), and a damaged one set aside with a message.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "app/Recovery.h"
#include "editor/OpenCommands.h"

namespace orv::test {
namespace {

class RecoveryTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        folder = dir.filePath(QStringLiteral("journal-orvane-x-_0"));
    }
    /// A recovery for the running app that answers its question with `answer`.
    std::unique_ptr<Recovery> Start(int answer) {
        auto r = std::make_unique<Recovery>(*app, desktop, folder);
        r->Ask = [this, answer](const QString& q) {
            asked.push_back(q);
            return answer;
        };
        r->OfferLeftWork();
        return r;
    }
    /// A picture and two distance markers drawn through the canvas's wired handlers.
    void Mark() {
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(QColor(10, 120, 200));
        ShowOnCanvas(ed(), picture);
        Draw(100, 100, 2000, 100);
        Draw(500, 500, 500, 2200);
    }
    void Draw(float x0, float y0, float x1, float y1) {
        ed().Command3_Click();
        ed().Picture2.MouseDown(Left(x0, y0));
        for (int k = 0; k < 2; ++k) {
            ed().Picture2.MouseMove({1, 0, x1, y1});
            ed().Timer1_Timer();
        }
        ed().Picture2.MouseUp(Left(x1, y1));
    }
    bool OnDisk() const { return QFile::exists(folder + QStringLiteral("/journal.json")); }

    QTemporaryDir dir;
    QString folder;
    std::vector<QString> asked;
};

TEST_F(RecoveryTest, UnsavedMarkupIsKeptAndRestoredLiveOnTheSamePicture) {
    AnnotationSnapshot drawn;
    QImage base;
    {
        auto recovery = Start(0);
        EXPECT_TRUE(asked.empty());  // nothing to offer on the first start
        Mark();
        drawn = ed().annotations.Take();
        base = ed().Picture2.Picture();
        ASSERT_EQ(drawn.Items.size(), 2u);
        recovery->WriteNow();
        EXPECT_TRUE(OnDisk());
    }  // the program is gone without a clean end: the journal stays
    app = std::make_unique<App>(desktop, QString());
    auto recovery = Start(0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Restore the unsaved markup from ")));
    ASSERT_NE(app->EditorIfLoaded(), nullptr);
    EXPECT_TRUE(ed().Visible);
    EXPECT_EQ(ed().annotations.Take(), drawn);
    EXPECT_EQ(ed().Picture2.Picture().convertToFormat(QImage::Format_RGB32),
              base.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(ed().unsaved.Pending());
    // The journal already holds what was restored: looking again writes nothing, but the
    // next change is written.
    const QString journal = folder + QStringLiteral("/journal.json");
    ASSERT_TRUE(QFile::remove(journal));
    recovery->WriteNow();
    EXPECT_FALSE(OnDisk()) << "the restored markup was written again";
    Draw(3000, 300, 3000, 2500);
    recovery->WriteNow();
    EXPECT_TRUE(OnDisk());
    ASSERT_TRUE(ed().history.Undo());
    // The history starts at the restored markup: one more marker, undone, gives it back.
    EXPECT_EQ(ed().history.UndoCount(), 0u);
    Draw(3000, 300, 3000, 2500);
    ASSERT_EQ(ed().annotations.Take().Items.size(), 3u);
    ASSERT_TRUE(ed().history.Undo());
    EXPECT_EQ(ed().annotations.Take(), drawn);
    EXPECT_FALSE(ed().history.Undo());
}

TEST_F(RecoveryTest, SavedClosedOrExitedMarkupLeavesNoJournal) {
    auto recovery = Start(0);
    Mark();
    recovery->WriteNow();
    ASSERT_TRUE(OnDisk());
    ed().unsaved.MarkSaved();  // what a successful save does
    recovery->WriteNow();
    EXPECT_FALSE(OnDisk());

    Draw(100, 1000, 2000, 1000);
    recovery->WriteNow();
    ASSERT_TRUE(OnDisk());
    app->UnloadEditor();  // closed (after the question)
    recovery->WriteNow();
    EXPECT_FALSE(OnDisk());

    Mark();
    recovery->WriteNow();
    ASSERT_TRUE(OnDisk());
    recovery->Forget();  // Exit
    EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(RecoveryTest, DiscardDropsTheJournalAndADamagedOneIsSetAside) {
    {
        auto recovery = Start(0);
        Mark();
        recovery->WriteNow();
    }
    app = std::make_unique<App>(desktop, QString());
    {
        // An Exit before the question was answered keeps what an earlier run left.
        Recovery early(*app, desktop, folder);
        early.Forget();
        EXPECT_TRUE(OnDisk());
    }
    auto discarding = Start(1);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_FALSE(OnDisk());
    EXPECT_EQ(app->EditorIfLoaded(), nullptr);

    QDir().mkpath(folder);
    QFile manifest(folder + QStringLiteral("/journal.json"));
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    manifest.write("{\"version\":1,\"picture\":\"picture-1.png\"");
    manifest.close();
    app = std::make_unique<App>(desktop, QString());
    auto recovery = Start(0);
    EXPECT_EQ(asked.size(), 1u);  // no question for a journal that cannot be read
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].second.startsWith(
        QStringLiteral("The unsaved markup could not be restored")));
    EXPECT_FALSE(QDir(folder).exists());
    const QStringList aside =
        QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")}, QDir::Dirs);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(QFile::exists(dir.filePath(aside[0] + QStringLiteral("/journal.json"))));
}

}  // namespace
}  // namespace orv::test
