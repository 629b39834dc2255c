// Files made to hurt the loaders: huge sparse files under picture names, with and without a
// picture header, are refused from their size and head alone, by every loader, in a child
// process whose time and memory are watched.
#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureLoader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "ChildProcess.h"

namespace orv::test {
namespace {

long OwnPeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of `size` bytes that holds only `head` and a hole after it.
bool MakeSparse(const QString& path, const QByteArray& head, off_t size) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    const bool ok = ::write(fd, head.constData(), size_t(head.size())) == head.size() &&
                    ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok;
}

// The signature and header of a PNG of width × height 8-bit RGB pixels (CRC left zero: the
// loaders must refuse the file before they would look at it).
QByteArray PngHead(quint32 width, quint32 height) {
    QByteArray head("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) head += char(v >> shift & 0xff);
    head += QByteArray("\x08\x02\0\0\0\0\0\0\0", 9);
    return head;
}

TEST(HostileFiles, HugeSparseFilesAreRefusedWithoutBeingRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        QByteArray head;
        off_t size;
    };
    const Case cases[] = {
        {"zeros-2g.png", QByteArray(), off_t(2) << 30},
        {"zeros-64g.png", QByteArray(), off_t(64) << 30},
        {"small-header-2g.png", PngHead(100, 100), off_t(2) << 30},
        {"large-header-64g.png", PngHead(16384, 16384), off_t(64) << 30},
        {"jpeg-64g.jpg", QByteArray("\xff\xd8\xff\xe0", 4), off_t(64) << 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        ASSERT_TRUE(MakeSparse(path, c.head, c.size));
        const long before = OwnPeakKb();
        const ChildEnd end = RunInChild(
            [&] {
                ForgetDecodedPictures();
                OpenAttempt attempt;
                int w = -1, h = -1;
                const bool refused = LoadImageAsPicture(path, w, h, 0xffffff, false).isNull() &&
                                     LoadPicture(path).isNull() &&
                                     LoadPictureByContent(path, 0xffffff).isNull();
                return refused && !attempt.Opened() && !attempt.Reason().isEmpty() ? 0 : 1;
            },
            60);
        ASSERT_TRUE(end.ended) << "the loaders did not finish";
        EXPECT_EQ(end.status, 0);
        // Nothing like the file's size was ever held.
        if (orv::test::kPeakMemoryIsMeaningful) {
            EXPECT_LT(end.peakKb - before, 200 * 1024) << end.peakKb << " KB at the peak";
        }
        QFile::remove(path);
    }
}

}  // namespace
}  // namespace orv::test
