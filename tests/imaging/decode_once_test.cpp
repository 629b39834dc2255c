// A path on the command line passes the tray host's open and the tool strip's open, and a .jpg
// both loaders: the file is still decoded once. A changed file is decoded afresh.
#include <QColor>
#include <QFile>

#include "../shell/PictureFiles.h"
#include "AppFixture.h"
#include "imaging/io/DecodedPictures.h"

namespace orv::test {
namespace {

class DecodeOnceTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ForgetDecodedPictures();
    }
    int64_t CanvasPixel(int x, int y) { return ed().Picture2.Point(x * 15.0f + 1, y * 15.0f + 1); }
    PictureFiles files;
};

TEST_F(DecodeOnceTest, ACommandLineOpenDecodesTheFileOnce) {
    const QColor colour(200, 30, 60);
    const QString paths[] = {files.Solid(QStringLiteral("a.png"), 20, 10, colour, "png"),
                             files.Solid(QStringLiteral("b.jpg"), 20, 10, colour, "jpg"),
                             files.Solid(QStringLiteral("c.gif"), 20, 10, colour, "gif"),
                             files.Solid(QStringLiteral("d.bmp"), 20, 10, colour, "bmp"),
                             files.SolidPsd(QStringLiteral("e.psd"), 20, 10, colour),
                             files.HalfTransparentGif(QStringLiteral("f.png"), 20, 10, colour)};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(path.isEmpty());
        const int64_t before = DecodeCount();
        StartWith(QStringLiteral("\"%1\"").arg(path));
        EXPECT_EQ(DecodeCount() - before, 1);
        EXPECT_FLOAT_EQ(ed().Picture2.Width, 20 * 15.0f);
        const int64_t right = CanvasPixel(15, 5);
        EXPECT_LE(std::abs(int(right & 0xff) - 200), 8);
        EXPECT_LE(std::abs(int((right >> 16) & 0xff) - 60), 8);
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST_F(DecodeOnceTest, AChangedFileIsDecodedAgain) {
    const QString path = files.Solid(QStringLiteral("a.png"), 20, 10, Qt::red, "png");
    StartWith(path);
    ASSERT_EQ(CanvasPixel(5, 5), RGB(255, 0, 0));
    files.Solid(QStringLiteral("a.png"), 21, 10, Qt::blue, "png");
    const int64_t before = DecodeCount();
    ed().OpenDroppedFile(path);
    EXPECT_EQ(DecodeCount() - before, 1);
    EXPECT_EQ(CanvasPixel(5, 5), RGB(0, 0, 255));
    // A failure is kept too: a damaged file is not decoded again for the second route.
    QFile::resize(path, 100);
    const int64_t failed = DecodeCount();
    StartWith(path);
    EXPECT_EQ(DecodeCount() - failed, 1);
    EXPECT_EQ(desktop.messages.size(), 1u);
}

}  // namespace
}  // namespace orv::test
