// Pictures and tools shared by the picture loading and saving tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <random>

namespace orv::testing {

// A flat UI-like picture of exactly `colours` colours (at most 256): blocks of distinct
// colours on a grid, drawn without antialiasing, in the given format.
inline QImage FlatPicture(int width, int height, int colours, QImage::Format format) {
    QImage picture(width, height, format);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const int cell = 3;
    for (int i = 0; i < colours; ++i) {
        const int x = (i * cell) % width, y = ((i * cell) / width) * cell;
        painter.fillRect(x, y, cell, cell, QColor(i * 37 % 256, i * 91 % 256, 255 - i));
    }
    return picture;
}

// A picture with far more than 256 colours: gradients with a little noise.
inline QImage RichPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int noise = int(random() % 9) - 4;
            picture.setPixel(x, y,
                             qRgb(qBound(0, x * 255 / width + noise, 255),
                                  qBound(0, y * 255 / height + noise, 255), (x ^ y) & 0xff));
        }
    }
    return picture;
}

// The largest difference of any channel between two pictures of the same size (256 when the
// sizes differ or either is null).
inline int MaxChannelDifference(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull() || a.size() != b.size()) return 256;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ImageMagick's identify, or an empty string when it is not installed.
inline QString IdentifyTool() {
    return QStandardPaths::findExecutable(QStringLiteral("identify-im6.q16"));
}

// What identify says about a file with the given format string.
inline QString Identify(const QString& path, const QString& format) {
    QProcess process;
    process.start(IdentifyTool(), {QStringLiteral("-format"), format, path});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

}  // namespace orv::testing
