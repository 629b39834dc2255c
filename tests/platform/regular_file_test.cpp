// Files read only when the opened file is an ordinary one of bounded size: FIFOs, devices,
// folders, loops and dangling links are told apart without blocking, and a file larger than
// the caller allows is refused before anything of it is read.
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"

namespace orv::test {
namespace {

class RegularFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString At(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void Write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QTemporaryDir dir;
};

TEST_F(RegularFileTest, OnlyOrdinaryFilesAreReadAndEveryOtherKindIsNamed) {
    Write(At("plain"), "bytes");
    QByteArray bytes;
    EXPECT_EQ(ReadRegularFile(At("plain"), 100, bytes), ReadFault::None);
    EXPECT_EQ(bytes, "bytes");
    EXPECT_EQ(ReadRegularFile(At("plain"), 4, bytes), ReadFault::TooLarge);
    EXPECT_TRUE(bytes.isEmpty());

    EXPECT_EQ(ReadRegularFile(At("missing"), 100, bytes), ReadFault::Missing);
    EXPECT_EQ(ReadRegularFile(dir.path(), 100, bytes), ReadFault::Folder);
    ASSERT_TRUE(QFile::link(At("loop-b"), At("loop-a")));
    ASSERT_TRUE(QFile::link(At("loop-a"), At("loop-b")));
    EXPECT_EQ(ReadRegularFile(At("loop-a"), 100, bytes), ReadFault::Loop);
    ASSERT_TRUE(QFile::link(At("nowhere"), At("dangling")));
    EXPECT_EQ(ReadRegularFile(At("dangling"), 100, bytes), ReadFault::Missing);
    ASSERT_TRUE(QFile::link("/dev/zero", At("zero")));
    EXPECT_EQ(ReadRegularFile(At("zero"), std::uint64_t(1) << 40, bytes), ReadFault::NotRegular);
    EXPECT_TRUE(bytes.isEmpty());
    // Each fault has words of its own for the user.
    EXPECT_NE(ReadFaultText(ReadFault::Loop), ReadFaultText(ReadFault::Missing));
    EXPECT_NE(ReadFaultText(ReadFault::Folder), ReadFaultText(ReadFault::NotRegular));
}

TEST_F(RegularFileTest, AFifoWithNoWriterIsRefusedWithoutWaiting) {
    const QByteArray fifo = QFile::encodeName(At("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const ChildEnd end = RunInChild(
        [&] {
            QByteArray bytes;
            return ReadRegularFile(At("fifo"), 100, bytes) == ReadFault::NotRegular ? 0 : 1;
        },
        20);
    ASSERT_TRUE(end.ended) << "opening a FIFO blocked";
    EXPECT_EQ(end.status, 0);
}

TEST_F(RegularFileTest, AHugeSparseFileIsRefusedFromItsSizeAlone) {
    const QByteArray path = QFile::encodeName(At("sparse"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(64) << 30), 0);  // 64 GB of nothing
    ::close(fd);
    // With 512 MB of address space a read of it could not even begin.
    const ChildEnd end = RunInChild(
        [&] {
            QByteArray bytes;
            return ReadRegularFile(At("sparse"), std::uint64_t(3) << 30, bytes) ==
                           ReadFault::TooLarge
                       ? 0
                       : 1;
        },
        20, 512);
    ASSERT_TRUE(end.ended);
    EXPECT_EQ(end.status, 0);
}

TEST_F(RegularFileTest, NamesThatAreNotUtf8OpenByTheirBytes) {
    const std::string name = QFile::encodeName(dir.path()).toStdString() + "/caf\xe9.png";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
    RegularFile file;
    ASSERT_EQ(file.Open(name), ReadFault::None);
    EXPECT_EQ(file.Size(), 1u);
}

}  // namespace
}  // namespace orv::test
