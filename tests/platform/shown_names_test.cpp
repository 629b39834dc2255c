// A path as a file dialog gives it back (each byte that is not UTF-8 read as U+FFFD) turned
// into the path on disk by looking each such component up among its folder's entries: one
// entry shown so is the one meant; none or several are said, never guessed.
#include "platform/ShownNames.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "ByteNamedFiles.h"
#include "platform/PathBytes.h"

namespace orv::test {
namespace {

QString Shown(const char* utf8) {
    return QString::fromUtf8(utf8);
}

/// A file system of folders (by their bytes) and their entries; counts what is listed.
struct Listing {
    std::map<std::string, std::vector<std::string>> folders;
    std::vector<std::string> listed;
    FolderListing Lister() {
        return [this](const std::string& folder) -> std::optional<std::vector<std::string>> {
            listed.push_back(folder);
            const auto it = folders.find(folder);
            if (it == folders.end()) return std::nullopt;
            return it->second;
        };
    }
};

std::string BytesOf(const RealPath& real) {
    return StdBytesOfPath(real.path);
}

TEST(ShownNames, TheShownFormOfANameIsQtsReadingOfItsBytes) {
    // The dialog lists Qt's names beside ours and gives back what Qt read: both must agree, or
    // a name could never be matched.
    std::mt19937 random(2626);
    for (int n = 0; n < 20000; ++n) {
        const std::string name = RandomByteName(random, n, 24);
        ASSERT_EQ(ShownNameOfBytes(name),
                  QFile::decodeName(QByteArray(name.data(), qsizetype(name.size()))))
            << n;
    }
}

TEST(ShownNames, AChosenNameIsTheOneEntryShownSoAndNeverAGuess) {
    Listing disk;
    disk.folders["/pics"] = {"caf\xe9.png",     "plain.png",    "na\xefve.png",
                             "caf\xc3\xa9.png", "twin\xe9.png", "twin\xe8.png"};
    // One entry shown so: its bytes, whatever Qt made of them.
    RealPath real = RealPathOfChosen(Shown("/pics/caf\xef\xbf\xbd.png"), disk.Lister(), false);
    EXPECT_EQ(real.found, NameFound::Unique);
    EXPECT_EQ(BytesOf(real), "/pics/caf\xe9.png");
    // A name in UTF-8 is itself, and no folder is read for it.
    disk.listed.clear();
    real = RealPathOfChosen(Shown("/pics/caf\xc3\xa9.png"), disk.Lister(), false);
    EXPECT_EQ(BytesOf(real), "/pics/caf\xc3\xa9.png");
    EXPECT_TRUE(disk.listed.empty());
    // Two entries shown alike: which one was meant cannot be told.
    real = RealPathOfChosen(Shown("/pics/twin\xef\xbf\xbd.png"), disk.Lister(), false);
    EXPECT_EQ(real.found, NameFound::Ambiguous);
    EXPECT_EQ(real.faulty, Shown("twin\xef\xbf\xbd.png"));
    // None shown so: nothing to open; a new file of that very name to save to.
    real = RealPathOfChosen(Shown("/pics/gone\xef\xbf\xbd.png"), disk.Lister(), false);
    EXPECT_EQ(real.found, NameFound::None);
    EXPECT_EQ(real.faulty, Shown("gone\xef\xbf\xbd.png"));
    real = RealPathOfChosen(Shown("/pics/gone\xef\xbf\xbd.png"), disk.Lister(), true);
    EXPECT_EQ(real.found, NameFound::Unique);
    EXPECT_EQ(BytesOf(real), "/pics/gone\xef\xbf\xbd.png");
    // A file really named with U+FFFD beside one shown so: never taken for the other.
    disk.folders["/pics"].push_back("caf\xef\xbf\xbd.png");
    real = RealPathOfChosen(Shown("/pics/caf\xef\xbf\xbd.png"), disk.Lister(), true);
    EXPECT_EQ(real.found, NameFound::Ambiguous);
    // A folder that cannot be read has no entry to match.
    real = RealPathOfChosen(Shown("/locked/caf\xef\xbf\xbd.png"), disk.Lister(), false);
    EXPECT_EQ(real.found, NameFound::None);
}

TEST(ShownNames, NestedFoldersNotInUtf8AreFoundOneLevelAtATime) {
    Listing disk;
    disk.folders["/"] = {"home", "d\xe9p\xf4t"};
    disk.folders["/d\xe9p\xf4t"] = {"\xe9t\xe9", "\xe9t\xe9 2"};
    disk.folders["/d\xe9p\xf4t/\xe9t\xe9"] = {"plan \xb2.psd", "a"};
    const QString chosen = Shown(
        "/d\xef\xbf\xbdp\xef\xbf\xbdt/\xef\xbf\xbdt\xef\xbf\xbd/plan "
        "\xef\xbf\xbd.psd");
    RealPath real = RealPathOfChosen(chosen, disk.Lister(), false);
    EXPECT_EQ(real.found, NameFound::Unique);
    EXPECT_EQ(BytesOf(real), "/d\xe9p\xf4t/\xe9t\xe9/plan \xb2.psd");
    // Each folder was read once, from the top, by its real bytes.
    const std::vector<std::string> listed{"/", "/d\xe9p\xf4t", "/d\xe9p\xf4t/\xe9t\xe9"};
    EXPECT_EQ(disk.listed, listed);
    // A save into the nested folder under a new name.
    real = RealPathOfChosen(
        Shown("/d\xef\xbf\xbdp\xef\xbf\xbdt/\xef\xbf\xbdt\xef\xbf\xbd/new \xef\xbf\xbd.png"),
        disk.Lister(), true);
    EXPECT_EQ(BytesOf(real), "/d\xe9p\xf4t/\xe9t\xe9/new \xef\xbf\xbd.png");
    // A folder on the way that is not there is not made up, even to save in.
    real = RealPathOfChosen(Shown("/d\xef\xbf\xbdp\xef\xbf\xbdt/gone\xef\xbf\xbd/new.png"),
                            disk.Lister(), true);
    EXPECT_EQ(real.found, NameFound::None);
    EXPECT_EQ(real.faulty, Shown("gone\xef\xbf\xbd"));
    // Below a folder known by its bytes (where a dialog shows it through a link), only the
    // rest is looked up.
    disk.listed.clear();
    const QString base = PathFromBytes(QByteArray("/d\xe9p\xf4t/\xe9t\xe9"));
    real = RealPathUnder(base, Shown("/plan \xef\xbf\xbd.psd"), disk.Lister(), false);
    EXPECT_EQ(BytesOf(real), "/d\xe9p\xf4t/\xe9t\xe9/plan \xb2.psd");
    EXPECT_EQ(disk.listed, std::vector<std::string>{"/d\xe9p\xf4t/\xe9t\xe9"});
    real = RealPathUnder(base, QString(), disk.Lister(), false);
    EXPECT_EQ(BytesOf(real), "/d\xe9p\xf4t/\xe9t\xe9");
}

TEST(ShownNames, AFolderNotInUtf8IsKeptInASettingsFileByItsBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("kept.conf"));
    const QString plain = Shown("/home/u/Pictures/caf\xc3\xa9 %41");
    const std::string bytes[] = {"/srv/d\xe9p\xf4t", "/a/\xff\xfe/b%41 c", "/x/\xe2\x82/y"};
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("plain"), StorablePath(plain));
        for (std::size_t i = 0; i < std::size(bytes); ++i)
            settings.setValue(QString::number(i),
                              StorablePath(PathFromBytes(QByteArray::fromStdString(bytes[i]))));
    }
    // A path in UTF-8 is kept as it stands, as before; the others come back byte for byte.
    const QSettings settings(file, QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("plain")).toString(), plain);
    EXPECT_EQ(PathFromStored(settings.value(QStringLiteral("plain")).toString()), plain);
    for (std::size_t i = 0; i < std::size(bytes); ++i)
        EXPECT_EQ(StdBytesOfPath(PathFromStored(settings.value(QString::number(i)).toString())),
                  bytes[i]);
}

}  // namespace
}  // namespace orv::test
