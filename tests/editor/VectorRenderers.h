#pragma once
// Other programs' renderers of our vector documents, run as a user's tools run them, and the
// comparison of what they draw with the PNG of the same markup.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace orv::test {

/// A renderer: the program it runs and how it turns a document into a PNG of `size`.
struct Renderer {
    const char* name;
    const char* program;
    QStringList (*arguments)(const QString& in, const QString& out, QSize size,
                             const QString& scratch);
    const char* output;  ///< the file it writes in the scratch folder
};

inline const std::vector<Renderer>& SvgRenderers() {
    static const std::vector<Renderer> all{
        {"rsvg-convert", "rsvg-convert",
         [](const QString& in, const QString& out, QSize, const QString&) {
             return QStringList{"-f", "png", "-o", out, in};
         },
         "rsvg.png"},
        {"inkscape", "inkscape",
         [](const QString& in, const QString& out, QSize, const QString&) {
             return QStringList{"--export-type=png", "--export-filename=" + out, in};
         },
         "inkscape.png"},
        {"chromium", "chromium",
         [](const QString& in, const QString& out, QSize size, const QString& scratch) {
             return QStringList{
                 "--headless",
                 "--no-sandbox",
                 "--disable-gpu",
                 "--disable-quic",
                 "--no-first-run",
                 "--disable-background-networking",
                 "--disable-component-update",
                 "--disable-sync",
                 "--hide-scrollbars",
                 "--force-device-scale-factor=1",
                 "--user-data-dir=" + scratch + "/chromium-profile",
                 QStringLiteral("--window-size=%1,%2").arg(size.width()).arg(size.height()),
                 "--screenshot=" + out,
                 QUrl::fromLocalFile(in).toString()};
         },
         "chromium.png"},
    };
    return all;
}

inline const Renderer& PdfRenderer() {
    static const Renderer pdftoppm{
        "pdftoppm", "pdftoppm",
        [](const QString& in, const QString& out, QSize, const QString&) {
            QString prefix = out;
            prefix.chop(4);  // pdftoppm adds ".png" itself
            return QStringList{"-r", "72", "-png", "-singlefile", in, prefix};
        },
        "pdftoppm.png"};
    return pdftoppm;
}

inline bool Installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

/// Runs a program to its end (at most two minutes); its standard output, or nothing when it
/// failed. Programs that want a home of their own get the scratch folder.
inline std::optional<QByteArray> RunTool(const QString& program, const QStringList& args,
                                         const QString& scratch, QString* errors = nullptr) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), scratch);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch + "/config");
    env.insert(QStringLiteral("XDG_CACHE_HOME"), scratch + "/cache");
    env.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(QStandardPaths::findExecutable(program), args);
    const bool done = process.waitForFinished(120000);
    if (errors) *errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (!done || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

/// What a renderer drew for the document, opaque, or a null picture with the reason.
inline QImage Render(const Renderer& r, const QString& document, QSize size, const QString& scratch,
                     QString& why) {
    const QString out = QDir(scratch).filePath(QString::fromLatin1(r.output));
    QString errors;
    if (!RunTool(QString::fromLatin1(r.program), r.arguments(document, out, size, scratch), scratch,
                 &errors)) {
        why = QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(r.name), errors);
        return {};
    }
    QImage drawn(out);
    if (drawn.isNull()) {
        why = QStringLiteral("%1 wrote no picture").arg(QString::fromLatin1(r.name));
        return {};
    }
    // Transparent parts over white, as a viewer shows them.
    QImage opaque(drawn.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, drawn);
    return opaque;
}

/// How far two pictures of one size are apart, outside the given rectangles.
struct Difference {
    int differing = 0;  ///< pixels that differ in any channel
    int compared = 0;   ///< pixels compared
    int worst = 0;      ///< the largest difference of one channel, 0..255
    QPoint worstAt;
    double Share() const { return compared ? double(differing) / compared : 0; }
};

inline Difference Compare(const QImage& ours, const QImage& theirs,
                          const std::vector<QRect>& skipped) {
    Difference d;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            const QPoint at(x, y);
            if (std::any_of(skipped.begin(), skipped.end(),
                            [&](const QRect& r) { return r.contains(at); }))
                continue;
            ++d.compared;
            const QRgb a = ours.pixel(at), b = theirs.pixel(at);
            const int worst =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
            if (worst == 0) continue;
            ++d.differing;
            if (worst > d.worst) {
                d.worst = worst;
                d.worstAt = at;
            }
        }
    }
    return d;
}

/// Pixels of a picture far (more than 96 levels in some channel) from a colour, within a
/// rectangle: how much text ink a renderer put there.
inline int InkPixels(const QImage& picture, const QRect& area, QRgb background) {
    int ink = 0;
    const QRect r = area.intersected(picture.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = picture.pixel(x, y);
            ink += std::max({std::abs(qRed(p) - qRed(background)),
                             std::abs(qGreen(p) - qGreen(background)),
                             std::abs(qBlue(p) - qBlue(background))}) > 96;
        }
    }
    return ink;
}

}  // namespace orv::test
