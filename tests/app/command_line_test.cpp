// The command line: which arguments are options and which a path to open, and the real program
// converting and exporting with no display at all (DISPLAY and QT_QPA_PLATFORM unset), with
// the exit status and the one-line reason of each failure.
#include "app/CommandLine.h"

#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "HeadlessProgram.h"
#include "annotations/AnnotationJson.h"
#include "imaging/io/PsdSaver.h"

namespace orv {
namespace {

using test::Outcome;
using test::RunHeadless;

using Action = CommandRequest::Action;

TEST(CommandLine, OptionsAreRecognisedAndEverythingElseIsAPathToOpen) {
    EXPECT_EQ(ParseCommandLine({}).action, Action::Start);
    EXPECT_TRUE(ParseCommandLine({}).input.isEmpty());
    // Words of a path with spaces come back as the one text the editor has always received.
    const CommandRequest start = ParseCommandLine({"\"/tmp/my", "shot.png\""});
    EXPECT_EQ(start.action, Action::Start);
    EXPECT_EQ(start.input, QStringLiteral("\"/tmp/my shot.png\""));
    EXPECT_EQ(ParseCommandLine({"--frobnicate"}).action, Action::Start);

    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
    const CommandRequest convert = ParseCommandLine({"--convert", "a b.psd", "c.png"});
    EXPECT_EQ(convert.action, Action::Convert);
    EXPECT_EQ(convert.input, QStringLiteral("a b.psd"));
    EXPECT_EQ(convert.output, QStringLiteral("c.png"));
    EXPECT_EQ(ParseCommandLine({"--export-annotations", "x.psd"}).input, QStringLiteral("x.psd"));

    for (const QStringList& wrong :
         {QStringList{"--convert", "in.png"}, QStringList{"--convert", "a", "b", "c"},
          QStringList{"--export-annotations"}, QStringList{"--help", "x"},
          QStringList{"--version", "x"}}) {
        const CommandRequest r = ParseCommandLine(wrong);
        EXPECT_EQ(r.action, Action::Usage) << wrong.join(' ').toStdString();
        EXPECT_FALSE(r.error.isEmpty());
    }
}

class Program : public ::testing::Test {
  protected:
    Outcome Start(const QStringList& args) { return RunHeadless(args); }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // A picture that every lossless format keeps exactly.
    QImage Picture() const {
        QImage p(40, 24, QImage::Format_RGB32);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 40; ++x) p.setPixel(x, y, qRgb(x * 6, y * 10, (x + y) * 3));
        return p;
    }
    // A failure: this status, one line on standard error, nothing on standard output.
    static void ExpectFailure(const Outcome& r, int status, const char* reasonPart) {
        EXPECT_EQ(r.status, status);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("orvane: ")) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(reasonPart)) << r.err.toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(Program, HelpAndVersionPrintAndExit) {
    const Outcome help = Start({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--convert IN OUT"));
    EXPECT_TRUE(help.out.contains("--export-annotations"));
    const Outcome version = Start({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QByteArray("orvane 1.1\n"));
    ExpectFailure(Start({"--convert", "only-one"}), kExitUsage, "--convert needs IN and OUT");
}

TEST_F(Program, ConvertsBetweenFormatsWithoutADisplay) {
    ASSERT_TRUE(Picture().save(Path("in.png")));
    struct Step {
        const char *from, *to;
    };
    for (const Step step : {Step{"in.png", "a.psd"}, Step{"a.psd", "b.png"},
                            Step{"a.psd", "c.tiff"}, Step{"in.png", "d.jpg"}}) {
        SCOPED_TRACE(step.to);
        const Outcome r = Start({"--convert", Path(step.from), Path(step.to)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    // Lossless all the way: PNG -> PSD -> PNG and PSD -> TIFF keep every pixel.
    EXPECT_EQ(QImage(Path("b.png")).convertToFormat(QImage::Format_RGB32), Picture());
    EXPECT_EQ(QImage(Path("c.tiff")).convertToFormat(QImage::Format_RGB32), Picture());
    const QImage jpeg(Path("d.jpg"));
    EXPECT_EQ(jpeg.size(), Picture().size());
    QFile head(Path("d.jpg"));
    ASSERT_TRUE(head.open(QIODevice::ReadOnly));
    EXPECT_TRUE(head.read(3) == QByteArray("\xFF\xD8\xFF"));
}

// SVG and PDF: from any picture, the picture alone; from a layered PSD of ours, its picture
// layer with each annotation as a named group of vectors and text over it.
TEST_F(Program, ConvertsToSvgAndPdfWithTheAnnotationsOfOurPsdAsVectors) {
    ASSERT_TRUE(Picture().save(Path("in.png")));
    AnnotationSnapshot snapshot;
    DistanceState distance;
    distance.Index = 1;
    distance.Segment = {2 * 15, 20 * 15, 30 * 15, 20 * 15, RGB(255, 0, 0), 1, true, 0};
    distance.Length.Caption = QStringLiteral("29px");
    distance.Length.Left = 10 * 15, distance.Length.Top = 4 * 15;
    distance.Length.Width = 20 * 15, distance.Length.Height = 12 * 15;
    distance.Length.BackColor = RGB(255, 255, 192), distance.Length.Visible = true;
    distance.Length.Rank = 1;
    snapshot.Items.push_back(distance);
    NoteState note;
    note.Index = 3;
    note.Box.Text = QStringLiteral("Peak & <day>");
    note.Box.Left = 1 * 15, note.Box.Top = 1 * 15, note.Box.Width = 30 * 15;
    note.Box.Height = 10 * 15, note.Box.Visible = true, note.Box.Rank = 2;
    snapshot.Items.push_back(note);
    snapshot.qqqq = 2;
    snapshot.wwww = 4;
    // The composite shows the markup; the picture layer does not.
    QImage composite = Picture();
    composite.fill(Qt::black);
    LayeredPicture doc = FlatLayeredPicture(Picture());
    doc.merged = composite;
    doc.privateData = AnnotationsToJson(snapshot);
    ASSERT_TRUE(SaveLayeredPsd(doc, Path("ours.psd")).ok());

    for (const char* out : {"plain.svg", "plain.PDF", "ours.svg", "ours.pdf"}) {
        SCOPED_TRACE(out);
        const bool ours = QByteArray(out).startsWith("ours");
        const Outcome r = Start({"--convert", Path(ours ? "ours.psd" : "in.png"), Path(out)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    const auto read = [&](const char* name) {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QString plain = read("plain.svg"), ours = read("ours.svg");
    EXPECT_TRUE(plain.contains(QLatin1String("viewBox=\"0 0 40 24\"")))
        << plain.left(400).toStdString();
    EXPECT_FALSE(plain.contains(QLatin1String("<g ")));
    EXPECT_FALSE(plain.contains(QLatin1String("<metadata")));
    // The picture under the markup is the picture layer, not the composite.
    const QRegularExpression png(QStringLiteral("data:image/png;base64,([A-Za-z0-9+/=]+)"));
    for (const QString& svg : {plain, ours}) {
        const QImage embedded =
            QImage::fromData(QByteArray::fromBase64(png.match(svg).captured(1).toLatin1()), "PNG");
        EXPECT_EQ(embedded.convertToFormat(QImage::Format_RGB32), Picture());
    }
    EXPECT_TRUE(
        ours.contains(QStringLiteral("<g id=\"distance-1\" inkscape:label=\"Distance 1 — "
                                     "29px\">\n<title>Distance 1 — 29px</title>")))
        << ours.toStdString();
    EXPECT_TRUE(ours.contains(QLatin1String("<g id=\"note-3\"")));
    EXPECT_TRUE(ours.contains(QRegularExpression(QStringLiteral("<text[^>]*>29px</text>"))));
    EXPECT_TRUE(ours.contains(
        QRegularExpression(QStringLiteral("<text[^>]*>Peak &amp; &lt;day&gt;</text>"))));
    EXPECT_TRUE(ours.contains(QLatin1String("<metadata id=\"orvane-measurements.json\">")));
    for (const char* pdf : {"plain.PDF", "ours.pdf"}) {
        SCOPED_TRACE(pdf);
        const QString bytes = read(pdf);
        EXPECT_TRUE(bytes.startsWith(QLatin1String("%PDF-")));
        // One page of the picture's size, a point to the pixel.
        EXPECT_TRUE(bytes.contains(
            QRegularExpression(QStringLiteral("/MediaBox \\[0 0 40(\\.0+)? 24(\\.0+)?\\]"))));
        EXPECT_EQ(bytes.contains(QLatin1String("orvane-measurements.json")), pdf[0] == 'o');
    }
}

TEST_F(Program, ConvertFailuresHaveTheirOwnStatusAndLeaveNoFile) {
    ASSERT_TRUE(Picture().save(Path("in.png")));
    ExpectFailure(Start({"--convert", Path("missing.png"), Path("out.png")}), kExitUnreadableInput,
                  "no such file");
    ExpectFailure(Start({"--convert", Path("in.png"), Path("out.xyz")}), kExitUnsupportedOutput,
                  "unsupported output type \"xyz\"");
    EXPECT_FALSE(QFile::exists(Path("out.xyz")));
    // A folder that cannot be written: the output's folder is a file.
    ASSERT_TRUE(Picture().save(Path("file.png")));
    ExpectFailure(Start({"--convert", Path("in.png"), Path("file.png") + "/out.png"}),
                  kExitNotWritten, "cannot write");
    QFile text(Path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    ExpectFailure(Start({"--convert", Path("notes.txt"), Path("out.png")}), kExitUnreadableInput,
                  "not a picture");
    EXPECT_FALSE(QFile::exists(Path("out.png")));
}

// Inputs that are not pictures in a file of their own say what they are, and huge or endless
// ones end with the input status, never an abort: a folder, a link loop, a FIFO no one writes
// to, a link to an endless device, a 64 GB sparse file under a picture's name.
TEST_F(Program, ConvertSaysWhatIsWrongWithInputsThatAreNoPictureFile) {
    ExpectFailure(Start({"--convert", dir.path(), Path("out.png")}), kExitUnreadableInput,
                  "it is a folder");
    ASSERT_TRUE(QFile::link(Path("loop-b.png"), Path("loop-a.png")));
    ASSERT_TRUE(QFile::link(Path("loop-a.png"), Path("loop-b.png")));
    ExpectFailure(Start({"--convert", Path("loop-a.png"), Path("out.png")}), kExitUnreadableInput,
                  "loop");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.png")).constData(), 0600), 0);
    ExpectFailure(Start({"--convert", Path("fifo.png"), Path("out.png")}), kExitUnreadableInput,
                  "not a regular file");
    ExpectFailure(Start({"--export-annotations", Path("fifo.png")}), kExitUnreadableInput,
                  "not a regular file");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path("zero.psd")));
    ExpectFailure(Start({"--convert", Path("zero.psd"), Path("out.png")}), kExitUnreadableInput,
                  "not a regular file");
    QFile sparse(Path("huge.png"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    sparse.write("\x89PNG\r\n\x1a\n");
    ASSERT_TRUE(sparse.resize(qint64(64) << 30));
    sparse.close();
    ExpectFailure(Start({"--convert", Path("huge.png"), Path("out.png")}), kExitUnreadableInput,
                  "cannot open");
    EXPECT_FALSE(QFile::exists(Path("out.png")));
}

TEST_F(Program, ExportPrintsTheAnnotationBlockOrSaysWhyNot) {
    const auto psd = [&](const char* name, const QByteArray& block) {
        LayeredPicture doc = FlatLayeredPicture(Picture());
        doc.privateData = block;
        EXPECT_TRUE(SaveLayeredPsd(doc, Path(name)).ok());
        return Path(name);
    };
    AnnotationSnapshot snapshot;
    NoteState note;
    note.Index = 3;
    note.Box.Text = QStringLiteral("Peak day: keep this bar colour");
    snapshot.Items.push_back(note);
    snapshot.wwww = 4;
    const Outcome ok = Start({"--export-annotations", psd("ok.psd", AnnotationsToJson(snapshot))});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.contains("\"kind\": \"note\"")) << ok.out.toStdString();
    EXPECT_TRUE(ok.out.contains("Peak day: keep this bar colour"));
    ExpectFailure(Start({"--export-annotations", psd("plain.psd", {})}), kExitNoAnnotations,
                  "holds no annotations");
    ExpectFailure(Start({"--export-annotations", psd("cut.psd", R"({"version":1,"annot)")}),
                  kExitNoAnnotations, "damaged");
    ExpectFailure(Start({"--export-annotations",
                         psd("new.psd", R"({"format":"orvane-annotations","version":7})")}),
                  kExitNoAnnotations, "format version 7");
    ExpectFailure(Start({"--export-annotations", Path("none.psd")}), kExitUnreadableInput,
                  "cannot open");
    // No annotations and pixels that end early: not a picture at all.
    QFile plain(Path("plain.psd"));
    ASSERT_TRUE(plain.resize(plain.size() - 10));
    ExpectFailure(Start({"--export-annotations", Path("plain.psd")}), kExitUnreadableInput,
                  "not a PSD orvane reads");
}

}  // namespace
}  // namespace orv
