// Writer benchmark: saves a 3840 × 2160 UI-like capture and a photo-like picture in every
// format through SavePictureWithEncoder and through Qt's own writers (giflib's quantizer for
// GIF, which Qt cannot write), in the same run, and prints time, size and their ratios, with
// the GIF error and the JPEG PSNR.
#include "BenchPictures.h"
#include "imaging/io/PictureSaver.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using orv::bench::MedianMs;

using orv::bench::CountColours;

// giflib's own median-cut quantizer and writer: the peer for GIF.
bool GiflibGif(const QImage& picture, const QString& path) {
    const std::size_t count = std::size_t(picture.width()) * std::size_t(picture.height());
    std::vector<GifByteType> red(count), green(count), blue(count), indices(count);
    for (int y = 0, i = 0; y < picture.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x, ++i) {
            red[size_t(i)] = GifByteType(qRed(pixels[x]));
            green[size_t(i)] = GifByteType(qGreen(pixels[x]));
            blue[size_t(i)] = GifByteType(qBlue(pixels[x]));
        }
    }
    int colours = 256;
    std::vector<GifColorType> table(256);
    if (GifQuantizeBuffer(unsigned(picture.width()), unsigned(picture.height()), &colours,
                          red.data(), green.data(), blue.data(), indices.data(),
                          table.data()) != GIF_OK) {
        return false;
    }
    ColorMapObject* map = GifMakeMapObject(256, table.data());
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.toLocal8Bit().constData(), false, &error);
    bool ok =
        gif != nullptr && map != nullptr &&
        EGifPutScreenDesc(gif, picture.width(), picture.height(), 8, 0, map) == GIF_OK &&
        EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), false, nullptr) == GIF_OK &&
        EGifPutLine(gif, indices.data(), int(count)) == GIF_OK;
    if (gif != nullptr && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(map);
    return ok;
}

bool QtWrite(const QImage& picture, const QString& path, const char* format, int quality,
             int compression) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    if (compression >= 0) writer.setCompression(compression);
    return writer.write(picture);
}

struct Errors {
    double meanAbsolute;  // per channel
    double psnr;
    double exactShare;  // pixels unchanged
};

Errors Compare(const QImage& source, const QImage& saved) {
    const QImage back = saved.convertToFormat(QImage::Format_RGB32);
    double absolute = 0, squared = 0;
    qint64 exact = 0;
    for (int y = 0; y < source.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(back.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int dr = qRed(a[x]) - qRed(b[x]), dg = qGreen(a[x]) - qGreen(b[x]),
                      db = qBlue(a[x]) - qBlue(b[x]);
            absolute += std::abs(dr) + std::abs(dg) + std::abs(db);
            squared += dr * dr + dg * dg + db * db;
            exact += (dr | dg | db) == 0;
        }
    }
    const double samples = 3.0 * source.width() * source.height();
    const double mse = squared / samples;
    return {absolute / samples, mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse),
            double(exact) / (samples / 3)};
}

struct Format {
    const char* extension;
    const char* qtFormat;  // nullptr: giflib is the peer
    int qtQuality;
    int qtCompression;
};

// The GIF figures of one picture: our save and giflib's, time and fidelity.
struct GifFigures {
    double oursMs = 0, giflibMs = 0;
    Errors ours{}, giflib{};
};

GifFigures RunPicture(const char* name, const QImage& picture, const QString& folder) {
    GifFigures figures;
    const Format formats[] = {
        {"png", "png", -1, -1},  {"jpg", "jpeg", 80, -1},  {"jpeg", "jpeg", 75, -1},
        {"bmp", "bmp", -1, -1},  {"gif", nullptr, -1, -1}, {"tif", "tiff", -1, 1},
        {"tiff", "tiff", -1, 0},
    };
    std::printf("\n%s picture %dx%d, %d+ colours\n", name, picture.width(), picture.height(),
                CountColours(picture, 100000));
    std::printf("%-5s %9s %9s %6s %11s %11s %6s  %s\n", "ext", "ours ms", "peer ms", "time",
                "ours bytes", "peer bytes", "size", "peer");
    for (const Format& format : formats) {
        const QString ours = folder + "/ours." + format.extension;
        const QString peer = folder + "/peer." + format.extension;
        const int runs = 5;
        const double oursMs = MedianMs(
            [&] {
                return orv::SavePictureWithEncoder(picture, ours, format.extension, 80, 24,
                                                   orv::kTiffCompressionNone)
                    .ok();
            },
            runs);
        const double peerMs = MedianMs(
            [&] {
                return format.qtFormat ? QtWrite(picture, peer, format.qtFormat, format.qtQuality,
                                                 format.qtCompression)
                                       : GiflibGif(picture, peer);
            },
            runs);
        if (!format.qtFormat) {
            figures.oursMs = oursMs;
            figures.giflibMs = peerMs;
        }
        const qint64 oursBytes = QFileInfo(ours).size(), peerBytes = QFileInfo(peer).size();
        std::printf("%-5s %9.1f %9.1f %5.2fx %11lld %11lld %5.2fx  %s\n", format.extension, oursMs,
                    peerMs, oursMs / peerMs, oursBytes, peerBytes,
                    double(oursBytes) / double(peerBytes),
                    format.qtFormat ? "Qt QImageWriter" : "giflib GifQuantizeBuffer");
    }
    const Errors gif = Compare(picture, QImage(folder + "/ours.gif"));
    const Errors giflib = Compare(picture, QImage(folder + "/peer.gif"));
    const Errors jpeg = Compare(picture, QImage(folder + "/ours.jpg"));
    std::printf(
        "GIF  ours: MAE %.3f per channel, %.1f%% pixels exact; giflib: MAE %.3f, %.1f%% "
        "exact\n",
        gif.meanAbsolute, 100 * gif.exactShare, giflib.meanAbsolute, 100 * giflib.exactShare);
    std::printf("JPEG q80: PSNR %.2f dB\n", jpeg.psnr);
    figures.ours = gif;
    figures.giflib = giflib;
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    const GifFigures ui = RunPicture("UI-like", orv::bench::UiPicture(), folder.path());
    const GifFigures photo = RunPicture("Photo-like", orv::bench::PhotoPicture(), folder.path());
    std::printf(
        "\nGIF, ours against giflib's quantizer (GifQuantizeBuffer) in this run:\n"
        "  photo: %.0f ms vs %.0f ms (%.2fx), MAE %.3f vs %.3f per channel\n"
        "  UI:    %.0f ms vs %.0f ms (%.2fx), %.2f%% vs %.2f%% pixels exact, MAE %.3f vs %.3f\n",
        photo.oursMs, photo.giflibMs, photo.oursMs / photo.giflibMs, photo.ours.meanAbsolute,
        photo.giflib.meanAbsolute, ui.oursMs, ui.giflibMs, ui.oursMs / ui.giflibMs,
        100 * ui.ours.exactShare, 100 * ui.giflib.exactShare, ui.ours.meanAbsolute,
        ui.giflib.meanAbsolute);
    std::printf(
        "\nGoals: PNG time <= 0.40x and size <= 1.00x of Qt (UI), <= 0.30x and <= 1.10x "
        "(photo); GIF MAE < 1.0 and >= 99%% exact (UI), photo <= 1000 ms at MAE <= 2.5; JPEG q80 "
        ">= 34 dB\n");
    return 0;
}
