// Saving the markup as SVG and PDF: the picture embedded whole under one group per annotation,
// named like its PSD layer; labels and notes as real text; the measurements as metadata; and
// what other programs draw from these files is what the PNG of the same markup shows.
#include <QFileInfo>
#include <QJsonDocument>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include "../imaging/ImagingFiles.h"
#include "CanvasFixture.h"
#include "VectorRenderers.h"
#include "annotations/Measurements.h"
#include "editor/LayeredCapture.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

const QString kChineseNote = QStringLiteral("峰值日 Peak day");

// What the SVG holds, as a reader of its XML finds it.
struct SvgContent {
    QString width, height, viewBox;
    QImage picture;  // the embedded bitmap
    QString metadata;
    struct Group {
        QString id, label, title;
        QStringList texts, families;
        int lines = 0, rects = 0;
    };
    std::vector<Group> groups;
    QString error;
};

SvgContent ReadSvg(const QByteArray& bytes) {
    SvgContent svg;
    QXmlStreamReader xml(bytes);
    SvgContent::Group* group = nullptr;
    int depth = 0, groupDepth = -1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (depth-- == groupDepth) group = nullptr;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        ++depth;
        const auto a = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"svg") {
            svg.width = a.value("width").toString();
            svg.height = a.value("height").toString();
            svg.viewBox = a.value("viewBox").toString();
        } else if (name == u"metadata") {
            svg.metadata = xml.readElementText();
            --depth;
        } else if (name == u"image" && !group) {
            const QString href = a.value("http://www.w3.org/1999/xlink", "href").toString();
            const QString prefix = QStringLiteral("data:image/png;base64,");
            if (href.startsWith(prefix))
                svg.picture.loadFromData(QByteArray::fromBase64(href.mid(prefix.size()).toLatin1()),
                                         "PNG");
        } else if (name == u"g" && !group && a.hasAttribute("id")) {
            svg.groups.push_back(
                {a.value("id").toString(),
                 a.value("http://www.inkscape.org/namespaces/inkscape", "label").toString(),
                 {},
                 {},
                 {},
                 0,
                 0});
            group = &svg.groups.back();
            groupDepth = depth;
        } else if (group && name == u"title" && group->title.isEmpty()) {
            group->title = xml.readElementText();
            --depth;
        } else if (group && name == u"text") {
            group->families << a.value("font-family").toString();
            group->texts << xml.readElementText();
            --depth;
        } else if (group && (name == u"polyline" || name == u"line")) {
            ++group->lines;
        } else if (group && name == u"rect") {
            ++group->rects;
        }
    }
    if (xml.hasError()) svg.error = xml.errorString();
    return svg;
}

class VectorSaveTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        // A picture whose every pixel tells where it lies, so a shifted or resampled embedding
        // shows.
        QImage picture(360, 240, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(40 + x % 7 * 20, 90 + y % 5 * 30, (x + y) % 256));
        ed().Picture2.SetPicture(picture);
        // Every kind, and every way each shows: a horizontal and a vertical distance, one with
        // a transparent label; a colour marker as a web code and one as RGB text without a
        // background; an opaque note in Chinese and English, and a transparent one.
        Draw(&Form1::Command3_Click, 30 * 15, 40 * 15, 200 * 15, 40 * 15);
        const int d2 = Draw(&Form1::Command3_Click, 320 * 15, 30 * 15, 320 * 15, 180 * 15);
        Choose(&Form1::aapx_MouseDown, d2, "tmbjs");
        Draw(&Form1::Command4_Click, 100 * 15, 150 * 15, 160 * 15, 110 * 15);
        const int c2 = Draw(&Form1::Command4_Click, 250 * 15, 100 * 15, 200 * 15, 70 * 15);
        Choose(&Form1::co_MouseDown, c2, "getrgb");
        Choose(&Form1::co_MouseDown, c2, "coltran");
        const int n1 = Draw(&Form1::Command6_Click, 40 * 15, 220 * 15, 70 * 15, 190 * 15);
        ed().bz(n1).SetText(kChineseNote);
        const int n2 = Draw(&Form1::Command6_Click, 230 * 15, 200 * 15, 260 * 15, 170 * 15);
        ed().bz(n2).SetText(QStringLiteral("Gutter\r\n24 px"));
        Choose(&Form1::bz_MouseDown, n2, "backtm");
    }

    // Saves through the save command, as the user does, and returns the file's bytes.
    QByteArray Save(const QString& name) {
        const QString path = dir.filePath(name);
        desktop.saveFiles.push_back(path);
        ed().Command5_Click();
        EXPECT_TRUE(desktop.messages.empty()) << name.toStdString();
        return ReadFile(path);
    }

    // Every text the annotations show, as the user reads it.
    QStringList ShownTexts() {
        QStringList texts;
        for (const Control* c : ed().Picture2.PaintOrder()) {
            if (!c->Visible) continue;
            if (c->Kind() == ControlKind::Label)
                texts << static_cast<const Label*>(c)->Caption();
            else if (c->Kind() == ControlKind::TextBox)
                texts << static_cast<const TextBox*>(c)->Text();
        }
        texts.removeAll(QString());
        return texts;
    }

    // Where each visible label or note paints the ink of its text: the pixels its text changes,
    // as a rectangle with a margin for other renderers' glyph placement, and its background.
    struct TextArea {
        QRect ink;
        QRgb background;
    };
    std::vector<TextArea> TextAreas() {
        std::vector<TextArea> areas;
        const QSize size = ed().Picture2.Picture().size();
        for (const Control* c : ed().Picture2.PaintOrder()) {
            if (!c->Visible) continue;
            std::unique_ptr<Control> blank = c->Clone();
            QRgb background = qRgb(255, 0, 255);
            if (auto* label = dynamic_cast<Label*>(blank.get())) {
                if (label->Caption().isEmpty()) continue;
                label->AutoSize = false;
                label->SetCaption(QString());
                if (label->BackStyle == 1) background = ToQColor(label->BackColor).rgb();
            } else if (auto* box = dynamic_cast<TextBox*>(blank.get())) {
                if (box->Text().isEmpty()) continue;
                box->Change = nullptr;
                box->SetText(QString());
                background = ToQColor(box->BackColor).rgb();
            } else {
                continue;
            }
            QImage with(size, QImage::Format_RGB32), without(size, QImage::Format_RGB32);
            with.fill(Qt::magenta);
            without.fill(Qt::magenta);
            {
                QPainter p(&with);
                PaintControl(p, *c);
            }
            {
                QPainter p(&without);
                PaintControl(p, *blank);
            }
            QRect ink;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    if (with.pixel(x, y) != without.pixel(x, y)) ink |= QRect(x, y, 1, 1);
            if (!ink.isEmpty()) areas.push_back({ink.adjusted(-2, -2, 2, 2), background});
        }
        return areas;
    }

    QTemporaryDir dir;
};

// The SVG: the picture's own size as its viewBox, the picture embedded without a pixel changed,
// one group per annotation with the id, label and title its PSD layer is named by, each text as
// <text> in the label font with fallbacks, and the measurements JSON as metadata.
TEST_F(VectorSaveTest, SvgHoldsThePictureAndOneNamedGroupOfVectorsPerAnnotation) {
    const QImage base = ed().Picture2.Picture();
    const SvgContent svg = ReadSvg(Save(QStringLiteral("markup.svg")));
    ASSERT_TRUE(svg.error.isEmpty()) << svg.error.toStdString();
    EXPECT_EQ(svg.viewBox, QStringLiteral("0 0 360 240"));
    EXPECT_EQ(svg.width, QStringLiteral("360"));
    EXPECT_EQ(svg.height, QStringLiteral("240"));
    ASSERT_FALSE(svg.picture.isNull());
    EXPECT_EQ(svg.picture.convertToFormat(QImage::Format_RGB32), base);

    // The PSD lists its layers by kind; the SVG stacks its groups as the screen does, so the
    // transparent note's label lies under the other note's box, as all windowless elements do.
    const LayeredPicture layers = LayeredCapture(ed(), ed().Picture3.Picture());
    ASSERT_EQ(svg.groups.size(), layers.layers.size() - 1);
    const QStringList psdOrder{"distance-1", "distance-2", "colour-1",
                               "colour-2",   "note-3",     "note-4"};
    const QStringList ids{"distance-1", "distance-2", "colour-1", "colour-2", "note-4", "note-3"};
    QStringList texts;
    for (std::size_t i = 0; i < svg.groups.size(); ++i) {
        const auto& g = svg.groups[i];
        SCOPED_TRACE(g.id.toStdString());
        EXPECT_EQ(g.id, ids.value(int(i)));
        EXPECT_EQ(g.title, layers.layers[std::size_t(psdOrder.indexOf(g.id)) + 1].name);
        EXPECT_EQ(g.label, g.title);
        // A segment and its ticks, or a leader's leg (and its foot, where it has one).
        EXPECT_GE(g.lines, g.id.startsWith(QLatin1String("distance")) ? 3 : 1);
        for (const QString& family : g.families) {
            EXPECT_TRUE(family.startsWith(QLatin1String("Arial, ")) &&
                        family.endsWith(QLatin1String(", sans-serif")))
                << family.toStdString();
        }
        texts << g.texts;
    }
    EXPECT_EQ(svg.groups[0].rects, 1);  // the length label's background
    EXPECT_EQ(svg.groups[1].rects, 0);  // made transparent
    EXPECT_GE(svg.groups[2].rects, 5);  // the code's background, the swatch and its border
    // Every text shown is found in the <text> elements, which split it where the line or the
    // font changes (Chinese characters come from another font than Latin ones).
    const auto joined = [](QString t) {
        return t.remove(QRegularExpression(QStringLiteral("\\s")));
    };
    const QString all = joined(texts.join(QString()));
    for (const QString& shown : ShownTexts())
        EXPECT_TRUE(all.contains(joined(shown)))
            << shown.toStdString() << " in " << all.toStdString();
    EXPECT_TRUE(all.contains(joined(kChineseNote)));
    EXPECT_TRUE(texts.contains(QStringLiteral("峰值日")));

    const PixelScale scale{15, 15};
    EXPECT_EQ(QJsonDocument::fromJson(svg.metadata.toUtf8()),
              QJsonDocument::fromJson(MeasurementsJson(ed().annotations.Take(), scale)));
}

// The PDF: one page of the picture's size, a point to the pixel, every text found by
// pdftotext, the label font embedded as a subset, the measurements as an attached file.
TEST_F(VectorSaveTest, PdfIsOnePageOfThePictureWithEmbeddedTextAndMeasurements) {
    Save(QStringLiteral("markup.pdf"));
    const QString pdf = dir.filePath(QStringLiteral("markup.pdf"));
    if (!Installed("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
    const QString info = QString::fromUtf8(RunTool("pdfinfo", {pdf}, dir.path()).value_or(""));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+360 x 240 pts"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+markup\\n"))));

    const QString text =
        QString::fromUtf8(RunTool("pdftotext", {"-raw", pdf, "-"}, dir.path()).value_or(""));
    for (QString shown : ShownTexts()) {
        for (const QString& line : shown.split(QStringLiteral("\r\n")))
            EXPECT_TRUE(text.contains(line)) << line.toStdString() << " in " << text.toStdString();
    }
    EXPECT_TRUE(text.contains(kChineseNote));

    // Every font used is embedded, with its text's Unicode, and only the glyphs it needs: the
    // Chinese font alone is megabytes whole.
    const QString fonts = QString::fromUtf8(RunTool("pdffonts", {pdf}, dir.path()).value_or(""));
    const QStringList rows = fonts.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    EXPECT_EQ(rows.size(), 2) << fonts.toStdString();  // the bold label font and a CJK one
    for (const QString& row : rows) {
        EXPECT_TRUE(
            row.contains(QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+yes\\s+\\d+"))))
            << row.toStdString();
    }
    EXPECT_LT(QFileInfo(pdf).size(), 300 * 1024);

    const QString list =
        QString::fromUtf8(RunTool("pdfdetach", {"-list", pdf}, dir.path()).value_or(""));
    EXPECT_TRUE(list.contains(QLatin1String("orvane-measurements.json"))) << list.toStdString();
    const QString saved = dir.filePath(QStringLiteral("measurements.json"));
    ASSERT_TRUE(RunTool("pdfdetach", {"-save", "1", "-o", saved, pdf}, dir.path()));
    EXPECT_EQ(QJsonDocument::fromJson(ReadFile(saved)),
              QJsonDocument::fromJson(MeasurementsJson(ed().annotations.Take(), {15, 15})));
}

// Inkscape, rsvg-convert and Chromium draw the SVG, and pdftoppm the PDF, as the PNG of the
// same markup shows: at most 1 % of the pixels differ and none by more than 64 levels, outside
// the ink of the labels' text; there each renderer puts about as much ink as the PNG has.
TEST_F(VectorSaveTest, OtherRenderersDrawWhatThePngShows) {
    Save(QStringLiteral("markup.svg"));
    Save(QStringLiteral("markup.pdf"));
    const QImage png = QImage::fromData(Save(QStringLiteral("markup.png")), "PNG")
                           .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), QSize(360, 240));
    const std::vector<TextArea> areas = TextAreas();
    ASSERT_EQ(areas.size(), 6u);  // two lengths, two colour codes, two notes
    std::vector<QRect> skipped;
    for (const TextArea& a : areas) skipped.push_back(a.ink);

    std::vector<std::pair<const Renderer*, QString>> runs;
    for (const Renderer& r : SvgRenderers()) runs.emplace_back(&r, QStringLiteral("markup.svg"));
    runs.emplace_back(&PdfRenderer(), QStringLiteral("markup.pdf"));
    int ran = 0;
    for (const auto& [renderer, file] : runs) {
        SCOPED_TRACE(renderer->name);
        if (!Installed(renderer->program)) {
            ADD_FAILURE() << renderer->program << " is not installed (scripts/install-deps)";
            continue;
        }
        QString why;
        const QImage drawn = Render(*renderer, dir.filePath(file), png.size(), dir.path(), why);
        ASSERT_FALSE(drawn.isNull()) << why.toStdString();
        ++ran;
        ASSERT_EQ(drawn.size(), png.size());
        const Difference d = Compare(png, drawn, skipped);
        EXPECT_LE(d.Share(), 0.01) << d.differing << " of " << d.compared << " pixels differ";
        EXPECT_LE(d.worst, 64) << "at (" << d.worstAt.x() << "," << d.worstAt.y() << ")";
        for (const TextArea& a : areas) {
            const int ours = InkPixels(png, a.ink, a.background);
            const int theirs = InkPixels(drawn, a.ink, a.background);
            EXPECT_GE(theirs, ours / 2) << "text at (" << a.ink.x() << "," << a.ink.y() << ")";
            EXPECT_LE(theirs, ours * 2) << "text at (" << a.ink.x() << "," << a.ink.y() << ")";
        }
    }
    EXPECT_EQ(ran, 4);
}

// A distance marker drawn across an older colour marker lies over it in the SVG too, though
// the PSD lists distance markers first.
TEST_F(VectorSaveTest, GroupsStackAsTheScreenDoes) {
    ed().annotations.RemoveAll();
    const int c = Draw(&Form1::Command4_Click, 100 * 15, 100 * 15, 140 * 15, 60 * 15);
    const int d = Draw(&Form1::Command3_Click, 120 * 15, 62 * 15, 260 * 15, 62 * 15);
    const SvgContent svg = ReadSvg(Save(QStringLiteral("over.svg")));
    ASSERT_EQ(svg.groups.size(), 2u);
    EXPECT_EQ(svg.groups[0].id, QStringLiteral("colour-%1").arg(c));
    EXPECT_EQ(svg.groups[1].id, QStringLiteral("distance-%1").arg(d));
}

// A box is a group named like its PSD layer; a redaction has no group, and the embedded
// picture holds its blocks, not what lay under it.
TEST_F(VectorSaveTest, BoxesAreGroupsAndRedactionsAreInTheEmbeddedPicture) {
    ed().annotations.RemoveAll();
    const QImage before = ed().Picture2.Picture().convertToFormat(QImage::Format_RGB32);
    const auto press = [&](int x, int y, int kind) {
        const MouseEvent e{1, 0, (x + 0.5f) * 15, (y + 0.5f) * 15};
        if (kind == 0) ed().Picture2.MouseDown(e);
        if (kind == 1) ed().Picture2.MouseMove(e);
        if (kind == 2) ed().Picture2.MouseUp(e);
    };
    const auto drag = [&](int key, QPoint a, QPoint b) {
        ed().Key(key, 0, true);
        press(a.x(), a.y(), 0);
        press(b.x(), b.y(), 1);
        press(b.x(), b.y(), 2);
    };
    const int box = ed().annotations.Next().boxes;
    drag(Qt::Key_B, {20, 30}, {139, 65});
    drag(Qt::Key_R, {200, 100}, {259, 159});
    const SvgContent svg = ReadSvg(Save(QStringLiteral("kinds.svg")));
    ASSERT_TRUE(svg.error.isEmpty()) << svg.error.toStdString();
    ASSERT_EQ(svg.groups.size(), 1u);
    EXPECT_EQ(svg.groups[0].id, QStringLiteral("box-%1").arg(box));
    EXPECT_EQ(svg.groups[0].title, QStringLiteral("Box %1 — 120 × 36px").arg(box));
    EXPECT_TRUE(svg.groups[0].texts.join(QString()).contains(QStringLiteral("120 × 36px")));
    // Every pixel of the redacted square differs from the original somewhere in its block.
    int same = 0;
    for (int y = 100; y < 160; ++y)
        for (int x = 200; x < 260; ++x) same += svg.picture.pixel(x, y) == before.pixel(x, y);
    EXPECT_LT(same, 60 * 60 / 4);
    EXPECT_EQ(svg.picture.pixel(10, 10), before.pixel(10, 10));  // elsewhere untouched
}

// Inkscape finds one group per annotation, by the id its layer is known by.
TEST_F(VectorSaveTest, InkscapeListsOneGroupPerAnnotation) {
    Save(QStringLiteral("markup.svg"));
    if (!Installed("inkscape")) GTEST_SKIP() << "inkscape is not installed";
    const auto listed = RunTool(
        "inkscape", {"--query-all", dir.filePath(QStringLiteral("markup.svg"))}, dir.path());
    ASSERT_TRUE(listed);
    QStringList ids;
    for (const QByteArray& row : listed->split('\n'))
        ids << QString::fromUtf8(row.split(',').first());
    for (const char* id :
         {"picture", "distance-1", "distance-2", "colour-1", "colour-2", "note-3", "note-4"})
        EXPECT_TRUE(ids.contains(QLatin1String(id))) << id;
}

}  // namespace
}  // namespace orv::test
