#pragma once
// Small picture files written by the tests into a temporary folder: PNG, JPEG,
// BMP, ICO and GIF of one colour, PSD documents, and damaged files.

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <vector>

#include "../imaging/psd/psd_writer.h"
#include "imaging/io/PictureWriters.h"

namespace orv::test {

class PictureFiles {
  public:
    /// Path of name inside the temporary folder.
    QString Path(const QString& name) const { return dir_.filePath(name); }
    /// Makes a folder inside the temporary folder.
    bool Folder(const QString& name) const { return QDir(dir_.path()).mkpath(name); }

    /// A picture of one colour, saved in the given Qt format (or "gif").
    QString Solid(const QString& name, int w, int h, QColor colour, const char* format) {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(colour);
        return Save(name, img, format);
    }
    /// Saves img in format ("png", "jpg", "bmp", "ico" through Qt; "gif" through our writer).
    QString Save(const QString& name, const QImage& img, const char* format) {
        const QString path = Path(name);
        if (QByteArray(format) == "gif") {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) ||
                !detail::WriteGif(img.convertToFormat(QImage::Format_RGB32), f))
                return {};
        } else if (!img.save(path, format, 95)) {
            return {};
        }
        return path;
    }
    /// A GIF whose left half is transparent and right half is colour.
    QString HalfTransparentGif(const QString& name, int w, int h, QColor colour) {
        // GIF89a with a two-entry palette, entry 0 transparent, LZW of uncompressed codes.
        QByteArray b("GIF89a");
        auto u16 = [&b](int v) {
            b.append(char(v & 0xff));
            b.append(char((v >> 8) & 0xff));
        };
        u16(w);
        u16(h);
        b.append(char(0x80));  // global table of 2 entries
        b.append(char(0));
        b.append(char(0));
        b.append(QByteArray(3, char(0)));
        b.append(char(colour.red())).append(char(colour.green())).append(char(colour.blue()));
        b.append("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);  // transparent index 0
        b.append(char(0x2C));
        u16(0);
        u16(0);
        u16(w);
        u16(h);
        b.append(char(0));
        // Minimum code size 2: clear = 4, end = 5, codes of 3 bits; a clear code every
        // few pixels keeps the code width at 3 bits.
        QByteArray data;
        uint32_t acc = 0;
        int bits = 0;
        auto put = [&](int code) {
            acc |= uint32_t(code) << bits;
            bits += 3;
            while (bits >= 8) {
                data.append(char(acc & 0xff));
                acc >>= 8;
                bits -= 8;
            }
        };
        int run = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (run++ % 2 == 0) put(4);
                put(x < w / 2 ? 0 : 1);
            }
        put(5);
        if (bits > 0) data.append(char(acc & 0xff));
        b.append(char(2));
        for (qsizetype i = 0; i < data.size(); i += 255) {
            const QByteArray block = data.mid(i, 255);
            b.append(char(block.size())).append(block);
        }
        b.append(char(0)).append(char(0x3B));
        return Write(name, b);
    }
    /// An RGB PSD of one colour.
    QString SolidPsd(const QString& name, int w, int h, QColor c) {
        const auto n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
        const std::vector<psdtest::Bytes> planes = {
            psdtest::Bytes(n, static_cast<uint8_t>(c.red())),
            psdtest::Bytes(n, static_cast<uint8_t>(c.green())),
            psdtest::Bytes(n, static_cast<uint8_t>(c.blue()))};
        const psdtest::Bytes bytes = psdtest::Build(psdtest::Planes8(psdtest::kRgb, w, h, planes));
        return Write(
            name, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    /// The first part of another file (a damaged copy).
    QString Truncated(const QString& name, const QString& from, qsizetype keep) {
        QFile f(from);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return Write(name, f.read(keep));
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = Path(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
        return path;
    }

  private:
    QTemporaryDir dir_;
};

}  // namespace orv::test
