// The clipboard's picture is refused from its header when it is larger than the editor takes,
// before anything decodes it; a picture within the limit comes through whole.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include "platform/qt/QtDesktop.h"

namespace orv {
namespace {

void Put32(QByteArray& b, uint32_t v) {
    for (int i = 3; i >= 0; --i) b.append(char(v >> (8 * i)));
}

// A well-formed PNG chunk: length, type and body, CRC.
QByteArray Chunk(const char* type, const QByteArray& body) {
    const QByteArray typed = QByteArray(type, 4) + body;
    uint32_t crc = 0xffffffffu;
    for (const char c : typed) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    QByteArray b;
    Put32(b, uint32_t(body.size()));
    b.append(typed);
    Put32(b, ~crc);
    return b;
}

// A PNG claiming width × height with no image data: enough for a reader to tell its size.
QByteArray PngHead(uint32_t width, uint32_t height) {
    QByteArray header;
    Put32(header, width);
    Put32(header, height);
    header.append(QByteArray("\x08\x06\x00\x00\x00", 5));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) +
           Chunk("IDAT", QByteArray()) + Chunk("IEND", QByteArray());
}

// Offers `png` as the clipboard's PNG data, beside a decoded picture that Qt would hand out
// if nothing looked at the PNG's header first.
void Offer(const QByteArray& png, const QImage& decoded) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(decoded);
    QGuiApplication::clipboard()->setMimeData(data);
}

TEST(ClipboardLimit, PicturesOverTheLimitAreRefusedFromTheirHeader) {
    QtDesktop desktop;
    QImage small(30, 20, QImage::Format_RGB32);
    small.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(small.save(&buffer, "png"));
    Offer(buffer.data(), small);
    const QImage got = desktop.ClipboardPicture();
    ASSERT_EQ(got.size(), QSize(30, 20));
    EXPECT_EQ(got.pixel(5, 5), qRgb(255, 0, 0));
    for (const auto& [w, h] : {std::pair{16385u, 16384u}, {40000u, 4u}, {4u, 40000u}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        Offer(PngHead(w, h), small);
        EXPECT_TRUE(desktop.ClipboardPicture().isNull());
    }
}

}  // namespace
}  // namespace orv
