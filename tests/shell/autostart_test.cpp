// Start at login: the autostart entry under a temporary HOME and
// XDG_CONFIG_HOME, written and removed from the tray menu's check item.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <filesystem>

#include <sys/stat.h>

#include "AppFixture.h"
#include "ChildProcess.h"
#include "DesktopExec.h"
#include "platform/PathBytes.h"
#include "shell/Autostart.h"

namespace orv::test {
namespace {

QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class AutostartTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(home.isValid());
        oldHome = qgetenv("HOME");
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/cfg").toUtf8());
    }
    void TearDown() override {
        qputenv("HOME", oldHome);
        if (oldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig);
    }
    /// The "Start at login" item of the menu last shown, and its place.
    std::pair<const MenuItem*, size_t> LoginItem() const {
        const auto& items = desktop.lastMenu.Items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].Caption == QStringLiteral("Start at login")) return {&items[i], i};
        return {nullptr, 0};
    }
    QTemporaryDir home;
    QByteArray oldHome, oldConfig;
};

TEST_F(AutostartTest, EntryFollowsXdgConfigHomeAndFallsBackToDotConfig) {
    EXPECT_EQ(autostart::EntryPath(), home.path() + "/cfg/autostart/orvane.desktop");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(autostart::EntryPath(), home.path() + "/.config/autostart/orvane.desktop");
    qputenv("XDG_CONFIG_HOME", "relative/cfg");  // invalid: ignored
    EXPECT_EQ(autostart::EntryPath(), home.path() + "/.config/autostart/orvane.desktop");
}

TEST_F(AutostartTest, EnableWritesAStartableEntryAndDisableRemovesIt) {
    EXPECT_FALSE(autostart::IsEnabled());
    ASSERT_TRUE(autostart::Enable(QStringLiteral("/opt/orvane/bin/orvane")));
    const QString text = ReadAll(autostart::EntryPath());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/orvane/bin/orvane\n"));
    EXPECT_TRUE(autostart::IsEnabled());
    ASSERT_TRUE(autostart::Disable());
    EXPECT_FALSE(QFile::exists(autostart::EntryPath()));
    EXPECT_FALSE(autostart::IsEnabled());
    EXPECT_TRUE(autostart::Disable());  // nothing to remove is fine
}

// A home whose name is not UTF-8 holds the entry under its very bytes.
TEST_F(AutostartTest, AHomeWhoseNameIsNotUtf8HoldsTheEntry) {
    const QByteArray odd = home.path().toUtf8() + "/caf\xe9";
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", odd);
    const QByteArray entry = odd + "/.config/autostart/orvane.desktop";
    EXPECT_EQ(BytesOfPath(autostart::EntryPath()), entry);
    ASSERT_TRUE(autostart::Enable(QStringLiteral("/opt/orvane/bin/orvane")));
    struct stat info {};
    EXPECT_EQ(::stat(entry.constData(), &info), 0);
    EXPECT_TRUE(autostart::IsEnabled());
    ASSERT_TRUE(autostart::Disable());
    EXPECT_NE(::stat(entry.constData(), &info), 0);
    std::filesystem::remove_all(odd.toStdString());  // Qt cannot name what is in it
}

TEST_F(AutostartTest, HiddenOrDisabledEntriesDoNotCountAsEnabled) {
    for (const char* line : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        ASSERT_TRUE(autostart::Enable(QStringLiteral("orvane")));
        QFile f(autostart::EntryPath());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray(line) + "\n");
        f.close();
        EXPECT_FALSE(autostart::IsEnabled()) << line;
    }
}

TEST_F(AutostartTest, ExecQuotesPathsWithReservedCharacters) {
    EXPECT_EQ(autostart::ExecArgument("/usr/bin/orvane"), "/usr/bin/orvane");
    EXPECT_EQ(autostart::ExecArgument("/home/a b/orvane"), "\"/home/a b/orvane\"");
    // $ escaped for the Exec line, then the backslash doubled for the entry's strings.
    EXPECT_EQ(autostart::ExecArgument("/x/$y\"z"), "\"/x/\\\\$y\\\\\"z\"");
    EXPECT_EQ(autostart::ExecArgument("/x\\y"), "\"/x\\\\\\\\y\"");
}

// Folder names a user (or someone who hands them a binary) may choose: every one must come
// back from the Exec= line as exactly the path that was written, and the entry must be valid.
TEST_F(AutostartTest, ExecLineStartsExactlyTheGivenProgramWhateverItsFolderIsCalled) {
    const QStringList paths = {
        "/opt/orvane/bin/orvane",
        "/home/a b/orvane",
        "/x/it's \"quoted\"/orvane",
        "/x/$HOME/orvane",
        "/x/`id`/orvane",
        "/x/back\\slash/orvane",
        "/x/100%/orvane",
        "/x/%f %U/orvane",
        "/x/a\\%\\$`\"'#~;&|<>*?()/orvane",
        "/x/Exec=/usr/bin/touch",
        "/x/\u00e9t\u00e9 \u56fe/orvane",
    };
    const bool validatorPresent =
        !QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty();
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(autostart::ExecRefusal(path).isEmpty());
        ASSERT_TRUE(autostart::Enable(path));
        const QStringList lines = ReadAll(autostart::EntryPath()).split('\n');
        const QStringList execs = lines.filter(QRegularExpression("^Exec="));
        ASSERT_EQ(execs.size(), 1);
        const auto args = ExecArguments(execs[0].mid(5));
        ASSERT_TRUE(args.has_value()) << execs[0].toStdString();
        EXPECT_EQ(*args, QStringList{path});
        if (!validatorPresent) continue;
        QProcess validate;
        validate.start("desktop-file-validate", {autostart::EntryPath()});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        EXPECT_FALSE(validate.readAllStandardOutput().contains("error"));
    }
    EXPECT_TRUE(validatorPresent) << "desktop-file-validate is not installed";
}

TEST_F(AutostartTest, PathsWithLineBreaksOrControlCharactersAreRefusedNotWritten) {
    for (const QString& path :
         {QStringLiteral("/tmp/x\nExec=/usr/bin/touch /tmp/PWNED\nX-A=/orvane"),
          QStringLiteral("/tmp/x\r/orvane"), QStringLiteral("/tmp/x\t/orvane"),
          QStringLiteral("/tmp/\x1b[0m/orvane"), QStringLiteral("/tmp/\x7f/orvane"),
          QStringLiteral("/tmp/\u0085/orvane"), PathFromBytes("/tmp/caf\xe9/orvane")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(autostart::ExecRefusal(path).isEmpty());
        EXPECT_FALSE(autostart::Enable(path));
        EXPECT_FALSE(QFile::exists(autostart::EntryPath()));
    }
}

TEST_F(AutostartTest, AnEntryThatIsNotARegularFileIsNeverOpenedForReading) {
    ASSERT_TRUE(QDir().mkpath(home.path() + "/cfg/autostart"));
    const QByteArray entry = QFile::encodeName(autostart::EntryPath());
    ASSERT_EQ(::mkfifo(entry.constData(), 0600), 0);
    // A FIFO nobody writes to: a blocking open would wait for ever.
    const ChildEnd fifo = RunInChild([] { return autostart::IsEnabled() ? 1 : 0; }, 20);
    ASSERT_TRUE(fifo.ended) << "reading a FIFO entry hung";
    EXPECT_EQ(fifo.status, 0);
    ASSERT_TRUE(QFile::remove(autostart::EntryPath()));
    ASSERT_TRUE(QDir().mkpath(autostart::EntryPath()));  // a folder in its place
    EXPECT_FALSE(autostart::IsEnabled());
}

TEST_F(AutostartTest, TrayMenuItemIsCheckedAboveExitAndToggles) {
    app->Start();
    desktop.menuChoices = {"autostart", "autostart"};
    app->TrayHost().TrayNotify(kLeftButtonUp);
    auto [item, place] = LoginItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->Checkable);
    EXPECT_FALSE(item->Checked);
    ASSERT_EQ(place + 2, desktop.lastMenu.Items.size());
    EXPECT_EQ(desktop.lastMenu.Items.back().Caption, QStringLiteral("Exit"));
    ASSERT_TRUE(QFile::exists(autostart::EntryPath()));
    EXPECT_TRUE(
        ReadAll(autostart::EntryPath())
            .contains("Exec=" + autostart::ExecArgument(QCoreApplication::applicationFilePath())));

    app->TrayHost().TrayNotify(kRightButtonUp);
    EXPECT_TRUE(LoginItem().first->Checked);
    EXPECT_FALSE(QFile::exists(autostart::EntryPath()));
    EXPECT_TRUE(desktop.messages.empty());
    // The program's own menu definition stays as it was.
    EXPECT_EQ(Form2::mainopen().Items.size(), 7u);
}

TEST_F(AutostartTest, AnEntryThatCannotBeWrittenIsReported) {
    // The configuration folder is a file: nothing can be made under it.
    QFile blocker(home.path() + "/cfg");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    app->Start();
    desktop.menuChoices = {"autostart"};
    app->TrayHost().TrayNotify(kLeftButtonUp);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].first, QStringLiteral("Orvane Tessaly"));
    EXPECT_TRUE(desktop.messages[0].second.contains(autostart::EntryPath()));
    EXPECT_FALSE(autostart::IsEnabled());
}

}  // namespace
}  // namespace orv::test
