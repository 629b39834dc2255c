// Saves on a real, small file system (a tmpfs of a chosen size, where this machine lets the
// test mount one): a full disk is error 61 with the old file byte for byte and nothing left
// beside it, or the new file is complete and readable. Also a folder that forbids new files,
// where a writable file is overwritten in place, and folders that cannot be written at all.
#include "imaging/io/PictureSaver.h"
#include "platform/ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "../ImagingFiles.h"

namespace orv::test {
namespace {

constexpr qint64 kPage = 4096;

QImage PhotoLike(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(61);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(16));
            line[x] = qRgb((x / 3 + noise) & 0xff, (y + noise) & 0xff, (x * y / 64) & 0xff);
        }
    }
    return picture;
}

bool RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The bytes a save writes for the picture, from an in-memory sink.
class MemorySink : public ByteSink {
  public:
    FileStatus WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        if (qsizetype(offset + size) > bytes.size()) bytes.resize(qsizetype(offset + size));
        std::memcpy(bytes.data() + offset, data, size);
        return {};
    }
    QByteArray bytes;
};

QByteArray Encoded(const QImage& picture, const char* extension) {
    MemorySink sink;
    EXPECT_TRUE(EncodePictureTo(sink, picture, extension, 80, 24, kTiffCompressionNone).ok());
    return sink.bytes;
}

SaveResult Save(const QImage& picture, const QString& path, const char* extension) {
    return SavePictureWithEncoder(picture, path, QString::fromLatin1(extension), 80, 24,
                                  kTiffCompressionNone);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A tmpfs mounted on a fresh folder for the life of the fixture; the tests skip where mounting
// is not permitted (not root, or no such file system in a container).
class SmallDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        mount_ = root_.filePath("disk");
        ASSERT_TRUE(QDir().mkpath(mount_));
        if (!Mount(kPage * 4)) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        mounted_ = true;
    }
    void TearDown() override {
        if (!immutable_.isEmpty()) RunTool("chattr", {"-i", immutable_});
        if (mounted_) RunTool("umount", {mount_});
    }
    bool Mount(qint64 bytes) {
        if (mounted_) RunTool("umount", {mount_});
        mounted_ = RunTool(
            "mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(bytes), "tmpfs", mount_});
        return mounted_;
    }
    // Makes `folder` refuse new files while its files stay writable; false where that cannot
    // be done (then the test skips).
    bool ForbidNewFiles(const QString& folder) {
        const QString probe = folder + "/probe";
        if (RunTool("chattr", {"+i", folder})) {
            immutable_ = folder;
        } else if (!QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner)) {
            return false;
        }
        return !WriteFile(probe, "x");
    }
    QTemporaryDir root_;
    QString mount_;
    QString immutable_;
    bool mounted_ = false;
};

// Every format with free space swept from none to a tenth more than the new file needs: a full
// disk is 61 (never 482) with the old file as it was and no temporary file left; otherwise the
// new file is exactly what the encoder made, and readable.
TEST_F(SmallDisk, EveryFormatEitherSavesWholeOrSaysDiskFullAndKeepsTheOldFile) {
    const QImage picture = PhotoLike(320, 240);
    const QByteArray old(1000, 'o');  // one page on the tmpfs
    for (const char* extension : {"png", "jpg", "bmp", "gif", "tif", "tiff"}) {
        const QByteArray wanted = Encoded(picture, extension);
        int saved = 0, full = 0;
        for (const double share : {0.0, 0.3, 0.7, 0.95, 1.0, 1.1}) {
            SCOPED_TRACE(::testing::Message() << extension << " free " << share);
            const qint64 room = (qint64(share * double(wanted.size())) + kPage - 1) / kPage;
            ASSERT_TRUE(Mount(kPage * (1 + room)));
            const QString target = mount_ + "/work." + extension;
            ASSERT_TRUE(WriteFile(target, old));
            const SaveResult result = Save(picture, target, extension);
            if (result.ok()) {
                ++saved;
                EXPECT_EQ(ReadFile(target), wanted);
                EXPECT_EQ(QImage(target).size(), picture.size());
            } else {
                ++full;
                EXPECT_EQ(result.error, SaveError::DiskFull) << result.description.toStdString();
                EXPECT_EQ(ReadFile(target), old);
            }
            EXPECT_EQ(Entries(mount_), QStringList{QStringLiteral("work.") + extension});
        }
        EXPECT_GE(full, 3) << extension;  // no room, 30 % and 70 % cannot hold the file
        EXPECT_GE(saved, 1) << extension;
    }
}

// A TIFF saved on a disk with just enough room is one ImageMagick reads at full size too.
TEST_F(SmallDisk, ATiffSavedWithLittleRoomIsWholeForImageMagick) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick missing";
    const QImage picture = PhotoLike(300, 200);
    const QByteArray wanted = Encoded(picture, "tiff");
    ASSERT_TRUE(Mount(kPage * (2 + (wanted.size() + kPage - 1) / kPage)));
    const QString target = mount_ + "/mockup.tiff";
    ASSERT_TRUE(WriteFile(target, "older"));
    ASSERT_TRUE(Save(picture, target, "tiff").ok());
    const auto identified = ImageMagick("identify", {"-format", "%m %wx%h", target});
    ASSERT_TRUE(identified.has_value());
    EXPECT_EQ(*identified, "TIFF 300x200");
}

// In a folder that forbids new files, a writable file is overwritten in place: a save that fits
// replaces it exactly, one that does not is 61 with the old file as it was, and a new name
// there is 75.
TEST_F(SmallDisk, AWritableFileInAClosedFolderIsOverwrittenInPlaceOrKeptWhole) {
    const QImage picture = PhotoLike(200, 150);
    const QByteArray wanted = Encoded(picture, "bmp");  // 90 KB, fixed by the size
    ASSERT_TRUE(Mount(kPage * 8));                      // too small for it
    const QString folder = mount_ + "/closed";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/plan.bmp";
    const QByteArray old = "a small older plan";
    ASSERT_TRUE(WriteFile(target, old));
    if (!ForbidNewFiles(folder)) GTEST_SKIP() << "cannot make a folder refuse new files here";

    EXPECT_EQ(Save(picture, target, "bmp").error, SaveError::DiskFull);
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(Save(picture, folder + "/new.bmp", "bmp").error, SaveError::FolderNotWritable);

    const QImage small = PhotoLike(20, 10);  // fits in what the disk has left
    ASSERT_TRUE(Save(small, target, "bmp").ok());
    EXPECT_EQ(ReadFile(target), Encoded(small, "bmp"));
    const QImage tiny = PhotoLike(4, 2);  // shorter than what it replaces
    ASSERT_TRUE(Save(tiny, target, "bmp").ok());
    EXPECT_EQ(ReadFile(target), Encoded(tiny, "bmp"));
    EXPECT_EQ(Entries(folder), QStringList{"plan.bmp"});
}

// Nowhere to write: a missing folder, or a folder as the target, is 75; the replacing file
// itself leaves no temporary file behind when it is discarded, and follows a symbolic link so
// the link stays and the file it names is replaced.
TEST(ReplacingFile, UnwritablePlacesAre75AndLinksAreFollowed) {
    QTemporaryDir folder;
    const QImage picture = PhotoLike(8, 8);
    EXPECT_EQ(Save(picture, folder.filePath("missing/x.png"), "png").error,
              SaveError::FolderNotWritable);
    EXPECT_EQ(Save(picture, folder.path(), "png").error, SaveError::FolderNotWritable);

    const QString real = folder.filePath("real.png");
    ASSERT_TRUE(WriteFile(real, "old"));
    ASSERT_TRUE(QFile::link(real, folder.filePath("link.png")));
    ASSERT_TRUE(Save(picture, folder.filePath("link.png"), "png").ok());
    EXPECT_TRUE(QFileInfo(folder.filePath("link.png")).isSymLink());
    EXPECT_EQ(ReadFile(real), Encoded(picture, "png"));

    {
        ReplacingFile file(folder.filePath("real.png").toStdString());
        ASSERT_TRUE(file.Open().ok());
        ASSERT_TRUE(file.WriteAt(0, "partial", 7).ok());
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(file.TemporaryPath())));
    }
    EXPECT_EQ(Entries(folder.path()), (QStringList{"link.png", "real.png"}));
    EXPECT_EQ(ReadFile(real), Encoded(picture, "png"));
}

// A sticky folder everyone may write to, where another user planted a link to the victim's
// file: the save refuses to follow it (as the kernel would for a plain open) and the victim's
// file keeps its content. Links made by the user, or by the folder's owner, are still followed.
TEST(ReplacingFile, LinksPlantedByOthersInSharedFoldersAreNotFollowed) {
    QTemporaryDir shared, home;
    const QByteArray sharedPath = QFile::encodeName(shared.path());
    ASSERT_EQ(::chmod(sharedPath.constData(), 01777), 0);
    const QString precious = home.filePath("precious.txt");
    ASSERT_TRUE(WriteFile(precious, "precious"));
    const QString planted = shared.filePath("out.png");
    ASSERT_TRUE(QFile::link(precious, planted));
    const uid_t other = ::geteuid() == 65534 ? 65533 : 65534;
    if (::lchown(QFile::encodeName(planted).constData(), other, gid_t(-1)) != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    const QImage picture = PhotoLike(8, 8);

    const SaveResult result = Save(picture, planted, "png");
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(ReadFile(precious), QByteArray("precious"));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    {
        ReplacingFile file(planted.toStdString());
        const FileStatus status = file.Open();
        EXPECT_EQ(status.fault, FileFault::NotWritable);
        EXPECT_NE(status.message.find("link"), std::string::npos) << status.message;
    }

    // The same link in a folder that is not shared is the user's own business.
    const QString ownFolderLink = home.filePath("link.png");
    ASSERT_TRUE(QFile::link(precious, ownFolderLink));
    ASSERT_EQ(::lchown(QFile::encodeName(ownFolderLink).constData(), other, gid_t(-1)), 0);
    ASSERT_TRUE(Save(picture, ownFolderLink, "png").ok());
    EXPECT_EQ(ReadFile(precious), Encoded(picture, "png"));

    // A link the folder's owner made in the shared folder may be followed.
    ASSERT_TRUE(WriteFile(precious, "precious"));
    const QString ownersLink = shared.filePath("owners.png");
    ASSERT_TRUE(QFile::link(precious, ownersLink));
    ASSERT_TRUE(Save(picture, ownersLink, "png").ok());
    EXPECT_EQ(ReadFile(precious), Encoded(picture, "png"));

    // A chain that passes through a planted link is refused at that link.
    ASSERT_TRUE(WriteFile(precious, "precious"));
    const QString chain = home.filePath("chain.png");
    ASSERT_TRUE(QFile::link(planted, chain));
    EXPECT_FALSE(Save(picture, chain, "png").ok());
    EXPECT_EQ(ReadFile(precious), QByteArray("precious"));
}

}  // namespace
}  // namespace orv::test
