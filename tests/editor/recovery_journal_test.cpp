// The markup journal on disk: what is written reads back the same, earlier pictures go, a
// damaged journal is told and set aside, and a kill at any moment of a write leaves a journal
// that reads or none at all.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <random>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "KillLoop.h"
#include "annotations/AnnotationJson.h"
#include "editor/RecoveryJournal.h"
#include "platform/PathBytes.h"

extern char** environ;

namespace orv::test {
namespace {

AnnotationSnapshot Notes(int count) {
    AnnotationSnapshot s;
    for (int n = 1; n <= count; ++n) {
        NoteState note;
        note.Index = n;
        note.Box.Text = QStringLiteral("note %1").arg(n);
        s.Items.push_back(note);
    }
    s.wwww = count + 1;
    return s;
}

QImage Filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

JournalEntry Entry(const QImage& picture, std::uint64_t id, const AnnotationSnapshot& s) {
    return {picture, id, AnnotationsToJson(s), QDateTime::currentDateTime()};
}

QStringList Pictures(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("picture-*")}, QDir::Files);
}

// A home folder whose name is not UTF-8 keeps the journal there, by its very bytes.
TEST(RecoveryJournal, LivesInAFolderWhoseNameIsNotUtf8) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/caf\xe9";
    RecoveryJournal journal(PathFromBytes(QByteArray::fromStdString(base + "/j")));
    QString error;
    ASSERT_TRUE(journal.Write(Entry(Filled(8, 6, Qt::green), 3, Notes(2)), error))
        << error.toStdString();
    struct stat info {};
    EXPECT_EQ(::stat((base + "/j/journal.json").c_str(), &info), 0);
    EXPECT_EQ(::stat((base + "/j/picture-3.png").c_str(), &info), 0);
    ASSERT_EQ(::stat((base + "/j").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    JournalContent got;
    QString why;
    ASSERT_EQ(journal.Read(got, why), JournalRead::Read) << why.toStdString();
    EXPECT_EQ(got.annotations, Notes(2));
    EXPECT_EQ(got.picture.convertToFormat(QImage::Format_RGB32), Filled(8, 6, Qt::green));
    journal.Remove();
    EXPECT_NE(::stat((base + "/j").c_str(), &info), 0);
    EXPECT_EQ(::stat(base.c_str(), &info), 0);

    // A damaged one is set aside beside it, under the same bytes.
    ASSERT_TRUE(journal.Write(Entry(Filled(8, 6, Qt::green), 4, Notes(1)), error));
    const QString aside = journal.SetAside();
    EXPECT_TRUE(StdBytesOfPath(aside).starts_with(base + "/j.damaged-"));
    EXPECT_EQ(::stat((StdBytesOfPath(aside) + "/journal.json").c_str(), &info), 0);
    std::filesystem::remove_all(base);  // Qt cannot name what is in it
}

TEST(RecoveryJournal, WritesReadBackAndLeaveOnlyTheCurrentPicture) {
    QTemporaryDir dir;
    RecoveryJournal journal(dir.filePath(QStringLiteral("j")));
    JournalContent got;
    QString why;
    EXPECT_EQ(journal.Read(got, why), JournalRead::Absent);

    QString error;
    ASSERT_TRUE(journal.Write(Entry(Filled(40, 30, Qt::red), 7, Notes(2)), error))
        << error.toStdString();
    ASSERT_EQ(journal.Read(got, why), JournalRead::Read) << why.toStdString();
    EXPECT_EQ(got.annotations, Notes(2));
    EXPECT_EQ(got.picture.convertToFormat(QImage::Format_RGB32), Filled(40, 30, Qt::red));

    // The same picture again: only the annotations change. A new picture replaces the old one.
    ASSERT_TRUE(journal.Write(Entry(Filled(40, 30, Qt::red), 7, Notes(3)), error));
    EXPECT_EQ(Pictures(journal.Folder()), QStringList{QStringLiteral("picture-7.png")});
    ASSERT_TRUE(journal.Write(Entry(Filled(20, 10, Qt::blue), 8, Notes(1)), error));
    EXPECT_EQ(Pictures(journal.Folder()), QStringList{QStringLiteral("picture-8.png")});
    ASSERT_EQ(journal.Read(got, why), JournalRead::Read);
    EXPECT_EQ(got.annotations, Notes(1));
    EXPECT_EQ(got.picture.size(), QSize(20, 10));

    journal.Remove();
    EXPECT_FALSE(QDir(journal.Folder()).exists());
    EXPECT_EQ(journal.Read(got, why), JournalRead::Absent);
}

TEST(RecoveryJournal, DamagedJournalsAreToldAndSetAsideNotDeleted) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("j"));
    RecoveryJournal journal(folder);
    QString error;
    ASSERT_TRUE(journal.Write(Entry(Filled(8, 8, Qt::green), 1, Notes(1)), error));
    const auto overwrite = [&](const QString& name, const QByteArray& bytes) {
        QFile f(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    JournalContent got;
    QString why;

    overwrite(QStringLiteral("picture-1.png"), "not a picture");
    EXPECT_EQ(journal.Read(got, why), JournalRead::Damaged);
    EXPECT_FALSE(why.isEmpty());

    for (const QByteArray& manifest :
         {QByteArray("{\"version\":1,\"picture\":\"../../etc/passwd\"}"), QByteArray("{\"vers"),
          QByteArray("{\"version\":99,\"picture\":\"picture-1.png\"}"),
          QByteArray("{\"version\":1,\"picture\":\"picture-1.png\",\"annotations\":{}}")}) {
        ASSERT_TRUE(journal.Write(Entry(Filled(8, 8, Qt::green), 2, Notes(1)), error));
        overwrite(QStringLiteral("journal.json"),
                  QByteArray(manifest).replace("picture-1", "picture-2"));
        why.clear();
        EXPECT_EQ(journal.Read(got, why), JournalRead::Damaged) << manifest.toStdString();
        EXPECT_FALSE(why.isEmpty());
    }
    const QString aside = journal.SetAside();
    EXPECT_NE(aside, folder);
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_TRUE(QFile::exists(aside + QStringLiteral("/journal.json")));
}

TEST(RecoveryJournal, TheWriterKeepsTheLastPostAndRemovesInOrder) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("j"));
    JournalWriter writer(folder);
    for (int n = 1; n <= 20; ++n) writer.Post(Entry(Filled(16, 16, Qt::gray), 5, Notes(n)));
    writer.Flush();
    JournalContent got;
    QString why;
    ASSERT_EQ(RecoveryJournal(folder).Read(got, why), JournalRead::Read);
    EXPECT_EQ(got.annotations, Notes(20));

    writer.Post(Entry(Filled(16, 16, Qt::gray), 5, Notes(21)));
    writer.PostRemove();
    writer.Flush();
    EXPECT_EQ(RecoveryJournal(folder).Read(got, why), JournalRead::Absent);
    writer.PostRemove();
    writer.Post(Entry(Filled(16, 16, Qt::gray), 6, Notes(4)));
    writer.Flush();
    ASSERT_EQ(RecoveryJournal(folder).Read(got, why), JournalRead::Read);
    EXPECT_EQ(got.annotations, Notes(4));
    EXPECT_TRUE(writer.LastError().isEmpty()) << writer.LastError().toStdString();
}

// The child of the kill test: writes journals of growing markup on changing pictures until
// it is killed. It runs before main, in a process the test starts for it.
[[maybe_unused]] const bool kJournalChild = [] {
    const QByteArray folder = qgetenv("ORVANE_JOURNAL_KILL_CHILD");
    if (folder.isEmpty()) return false;
    RecoveryJournal journal(QString::fromLocal8Bit(folder));
    SayChildStarted();
    QString error;
    for (std::uint64_t n = 1;; ++n) {
        const QImage picture =
            Filled(300 + int(n % 7) * 40, 200, QColor::fromHsv(int(n % 360), 200, 200));
        // Picture numbers never repeat across runs, as the program's clock-based ones.
        const std::uint64_t id = std::uint64_t(::getpid()) * 1000000 + n / 3;
        journal.Write(Entry(picture, id, Notes(int(n % 40) + 1)), error);
    }
}();

TEST(RecoveryJournal, AKillDuringAWriteLeavesAJournalThatReadsOrNone) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("j"));
    std::mt19937 random(25);
    std::uniform_int_distribution<int> pause(0, 120000);  // microseconds after it started
    int read = 0, changed = 0;
    AnnotationSnapshot last;
    for (int kill = 0; kill < 50; ++kill) {
        ASSERT_TRUE(RunAndKill("ORVANE_JOURNAL_KILL_CHILD=" + folder.toStdString(),
                               dir.filePath(QStringLiteral("started")), unsigned(pause(random))))
            << "no child at kill " << kill;
        JournalContent got;
        QString why;
        const JournalRead r = RecoveryJournal(folder).Read(got, why);
        ASSERT_NE(r, JournalRead::Damaged) << "after kill " << kill << ": " << why.toStdString();
        if (r == JournalRead::Read) {
            ++read;
            EXPECT_FALSE(got.picture.isNull());
            EXPECT_FALSE(got.annotations.Items.empty());
            changed += !(got.annotations == last);
            last = got.annotations;
        }
        EXPECT_LE(Pictures(folder).size(), 2) << "pictures pile up";
    }
    EXPECT_GT(read, 40);     // most kills find a journal written before them
    EXPECT_GT(changed, 10);  // and the child wrote new ones between kills
}

}  // namespace
}  // namespace orv::test
