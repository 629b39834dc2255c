// Vector save benchmark: a 3840 × 2160 UI-like picture with 50 annotations (distance markers,
// colour markers and notes, a third each) laid on a canvas as the editor lays them, saved as
// SVG and as PDF (the picture layer embedded, each annotation drawn as vectors and text) and,
// in the same run, as PNG the way the editor saves one (the canvas painted with its
// annotations, then encoded). Prints the median times, sizes and ratios; the goal is each
// vector save within 2× of the PNG save.
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchPictures.h"
#include "annotations/AnnotationJson.h"
#include "editor/VectorCapture.h"
#include "imaging/io/PsdSaver.h"
#include "platform/Painter.h"

namespace {

using orv::bench::MedianMs;

orv::LabelState Text(float left, float top, const QString& caption, orv::Colour back, int rank) {
    orv::LabelState l;
    l.Left = left, l.Top = top, l.Width = 900, l.Height = 240;
    l.Caption = caption;
    l.Font = {QStringLiteral("Arial"), 9.0, true};
    l.ForeColor = orv::RGB(255, 0, 0), l.BackColor = back, l.BackStyle = 1;
    l.Visible = true, l.Rank = rank;
    return l;
}

orv::LineState Stroke(float x1, float y1, float x2, float y2, int rank) {
    return {x1, y1, x2, y2, orv::RGB(255, 0, 0), 1, true, rank};
}

// Fifty annotations over the picture, one to each cell of a 10 × 5 grid (twips, 15 to the
// pixel).
orv::AnnotationSnapshot FiftyAnnotations() {
    orv::AnnotationSnapshot s;
    int distance = 1, leader = 1, rank = 0;
    for (int i = 0; i < 50; ++i) {
        const float x = float(60 + (i % 10) * 370) * 15, y = float(120 + (i / 10) * 400) * 15;
        switch (i % 3) {
            case 0: {
                orv::DistanceState d;
                d.Index = distance++;
                d.Segment = Stroke(x, y + 450, x + 4800, y + 450, rank++);
                d.StartTick = Stroke(x, y + 300, x, y + 600, rank++);
                d.EndTick = Stroke(x + 4800, y + 300, x + 4800, y + 600, rank++);
                d.Length = Text(x + 2000, y, QStringLiteral("%1px").arg(321 + i),
                                orv::RGB(255, 255, 192), rank++);
                s.Items.push_back(d);
                break;
            }
            case 1: {
                orv::ColourState c;
                c.Index = leader++;
                c.Leg = Stroke(x, y + 1500, x + 900, y + 600, rank++);
                c.Foot = Stroke(x + 900, y + 600, x + 1800, y + 600, rank++);
                c.Code = Text(x + 2100, y + 480, QStringLiteral("#6C5CE7"), orv::RGB(255, 255, 192),
                              rank++);
                c.Swatch = {x + 1800, y + 480, 240,  240,   0, orv::RGB(231, 92, 108),
                            1,        1,       true, rank++};
                s.Items.push_back(c);
                break;
            }
            default: {
                orv::NoteState n;
                n.Index = leader++;
                n.Leg = Stroke(x, y + 1500, x + 900, y + 600, rank++);
                n.Foot = Stroke(x + 900, y + 600, x + 1800, y + 600, rank++);
                n.Box.Left = x + 1800, n.Box.Top = y + 300, n.Box.Width = 3300;
                n.Box.Height = 600;
                n.Box.Text = QStringLiteral("Peak day: keep this bar colour\r\nnote %1").arg(i);
                n.Box.Font = {QStringLiteral("Arial"), 9.0, true};
                n.Box.ForeColor = orv::RGB(255, 0, 0), n.Box.BackColor = orv::RGB(255, 255, 192);
                n.Box.Visible = true, n.Box.Rank = rank++;
                n.Display.Rank = rank++;
                s.Items.push_back(n);
                break;
            }
        }
    }
    s.qqqq = distance;
    s.wwww = leader;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    // The markup as a layered PSD of ours, opened on a canvas as --convert opens one.
    orv::LayeredPicture layered =
        orv::FlatLayeredPicture(orv::bench::UiPicture().convertToFormat(QImage::Format_RGB32));
    layered.privateData = orv::AnnotationsToJson(FiftyAnnotations());
    const QString source = dir.filePath(QStringLiteral("markup.psd"));
    if (!orv::SaveLayeredPsd(layered, source).ok()) return 1;
    orv::MarkupCanvas markup;
    QString why;
    if (markup.LoadLayeredPsd(source, why) != orv::MarkupCanvas::Outcome::Restored) {
        std::fprintf(stderr, "cannot open the markup: %s\n", qPrintable(why));
        return 1;
    }
    const orv::PictureBox& canvas = markup.Canvas();

    const QString png = dir.filePath(QStringLiteral("markup.png"));
    const QString svg = dir.filePath(QStringLiteral("markup.svg"));
    const QString pdf = dir.filePath(QStringLiteral("markup.pdf"));
    const int runs = 7;
    const double pngMs = MedianMs(
        [&] {
            QImage capture(layered.merged.size(), QImage::Format_RGB32);
            {
                QPainter p(&capture);
                orv::PaintPictureBoxContent(p, canvas);
            }
            return orv::SavePictureWithEncoder(capture, png, QStringLiteral("png"), 80, 24,
                                               orv::kTiffCompressionNone)
                .ok();
        },
        runs);
    const auto vector = [&](const QString& path, orv::VectorFormat format) {
        return MedianMs(
            [&] { return orv::SaveVectorDocument(markup.Document(), path, format).ok(); }, runs);
    };
    const double svgMs = vector(svg, orv::VectorFormat::Svg);
    const double pdfMs = vector(pdf, orv::VectorFormat::Pdf);

    std::printf("vector saves, %dx%d picture, 50 annotations (median of %d)\n",
                layered.merged.width(), layered.merged.height(), runs);
    std::printf("%-12s %9s %11s\n", "save", "ms", "bytes");
    std::printf("%-12s %9.1f %11lld\n", "svg (ours)", svgMs, QFileInfo(svg).size());
    std::printf("%-12s %9.1f %11lld\n", "pdf (ours)", pdfMs, QFileInfo(pdf).size());
    std::printf("%-12s %9.1f %11lld\n", "png (peer)", pngMs, QFileInfo(png).size());
    std::printf("svg / png time: %.2fx (goal: at most 2x)\n", svgMs / pngMs);
    std::printf("pdf / png time: %.2fx (goal: at most 2x)\n", pdfMs / pngMs);
    return 0;
}
