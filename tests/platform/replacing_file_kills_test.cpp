// Saves that are killed half-way: the target is always the old file or the complete new one,
// and the temporary files killed saves leave behind are removed by a later save into the same
// folder once they are a minute old, while those of running saves and files of others stay.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "KillLoop.h"
#include "platform/ReplacingFile.h"

extern char** environ;

namespace orv::test {
namespace {

std::string Content(char seed, std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = char(seed + char(i % 251));
    return s;
}
const std::string& OldContent() {
    static const std::string s = Content('a', 3 << 20);
    return s;
}
const std::string& NewContent() {
    static const std::string s = Content('q', 5 << 20);
    return s;
}

bool Save(const std::string& target, const std::string& bytes) {
    ReplacingFile file(target);
    FileStatus status = file.Open();
    // Written in pieces, as the encoders do, so a kill finds it half-way more often.
    for (std::size_t at = 0; status.ok() && at < bytes.size(); at += 65536)
        status =
            file.WriteAt(at, bytes.data() + at, std::min<std::size_t>(65536, bytes.size() - at));
    return status.ok() && file.Commit().ok();
}

std::string Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// The child of the kill test: saves the new and the old content in turn until it is killed.
[[maybe_unused]] const bool kSaveChild = [] {
    const QByteArray target = qgetenv("ORVANE_SAVE_KILL_CHILD");
    if (target.isEmpty()) return false;
    SayChildStarted();
    for (int n = 0;; ++n) Save(target.toStdString(), n % 2 ? OldContent() : NewContent());
}();

void MakeOld(const QString& path) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 120, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST(ReplacingFileKills, TheTargetIsAlwaysTheOldOrTheWholeNewFile) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.psd"));
    ASSERT_TRUE(Save(target.toStdString(), OldContent()));
    std::mt19937 random(6);
    std::uniform_int_distribution<int> pause(0, 120000);  // microseconds after it started
    int changed = 0;
    std::string last = OldContent();
    for (int kill = 0; kill < 50; ++kill) {
        ASSERT_TRUE(RunAndKill("ORVANE_SAVE_KILL_CHILD=" + target.toStdString(),
                               dir.filePath(QStringLiteral("started")), unsigned(pause(random))))
            << "no child at kill " << kill;
        const std::string now = Read(target);
        ASSERT_TRUE(now == OldContent() || now == NewContent())
            << "after kill " << kill << ": " << now.size() << " bytes, neither file";
        changed += now != last;
        last = now;
    }
    EXPECT_GT(changed, 0);  // the child did get saves through between kills

    // What the killed saves left: a later save takes away those a minute old.
    QStringList left =
        QDir(dir.path()).entryList({QStringLiteral(".out.psd.*.part")}, QDir::Files | QDir::Hidden);
    for (const QString& name : left) MakeOld(dir.filePath(name));
    ASSERT_TRUE(Save(target.toStdString(), NewContent()));
    EXPECT_TRUE(QDir(dir.path())
                    .entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

TEST(ReplacingFileKills, OnlyOldTemporariesOfEndedSavesAreRemoved) {
    QTemporaryDir dir;
    // A process that has ended: its id names no running process now.
    pid_t ended = 0;
    char* argv[] = {const_cast<char*>("true"), nullptr};
    ASSERT_EQ(posix_spawnp(&ended, "true", nullptr, nullptr, argv, environ), 0);
    ::waitpid(ended, nullptr, 0);
    const QString dead = QString::number(ended), alive = QString::number(::getppid());
    const QStringList names{
        QStringLiteral(".a.png.%1-0-123.part").arg(dead),   // old, ended: goes
        QStringLiteral(".b.tiff.%1-7-9.part").arg(dead),    // young, ended: stays
        QStringLiteral(".c.png.%1-0-123.part").arg(alive),  // old, still running: stays
        QStringLiteral(".notes.part"),                      // not ours
        QStringLiteral(".d.png.%1-x-1.part").arg(dead),     // not ours either
    };
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("partial");
        f.close();
        if (!name.startsWith(QLatin1String(".b."))) MakeOld(dir.filePath(name));
    }
    ASSERT_TRUE(Save(dir.filePath(QStringLiteral("e.png")).toStdString(), "new"));
    QStringList left =
        QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    left.sort();
    QStringList expected = names.mid(1);
    expected.sort();
    EXPECT_EQ(left, expected);
}

}  // namespace
}  // namespace orv::test
