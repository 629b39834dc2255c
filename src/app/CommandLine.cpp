#include "app/CommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>

#include <cstdio>
#include <new>

#include "annotations/AnnotationBlock.h"
#include "annotations/AnnotationJson.h"
#include "editor/VectorCapture.h"
#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureLoader.h"
#include "imaging/io/PictureSaver.h"
#include "imaging/io/VectorWriter.h"
#include "imaging/psd/cpsd.h"
#include "imaging/psd/psd_decoder.h"
#include "imaging/psd/psd_layers.h"
#include "platform/PathBytes.h"
#include "platform/RegularFile.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace orv {

namespace {

const char kHelp[] =
    "Usage: orvane [PATH]\n"
    "       orvane --convert IN OUT\n"
    "       orvane --export-annotations FILE.psd\n"
    "       orvane --help | --version\n"
    "\n"
    "Without options orvane waits in the notification area; with PATH it opens that\n"
    "picture in the editor (double quotes around the path are removed).\n"
    "\n"
    "  --convert IN OUT           convert the picture IN (any file orvane opens, PSD\n"
    "                             included) to OUT, in the format OUT's extension names:\n"
    "                             bmp dib rle jpg jpeg jpe jfif gif tif tiff png psd\n"
    "                             svg pdf. An svg or pdf of a layered PSD saved by\n"
    "                             orvane carries its annotations as vectors.\n"
    "                             Needs no display.\n"
    "  --export-annotations FILE  print the annotations kept in a PSD saved by orvane,\n"
    "                             as JSON\n"
    "  --help                     show this text\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 done, 1 wrong arguments, 2 input missing or unreadable,\n"
    "3 unsupported output type, 4 output not written, 5 no readable annotations.\n";

// The extensions the save formats list, lower-cased, without "*.".
QStringList SaveExtensions() {
    QStringList all;
    for (const EncoderInfo& encoder : kEncoders) {
        for (const QString& pattern : QString::fromLatin1(encoder.extensions).split(';'))
            all << pattern.mid(2).toLower();
    }
    return all;
}

bool IsPsdPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("psd"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("psb"), Qt::CaseInsensitive) == 0;
}

// The picture in `path`; for a PSD refused, why in `reason`, and for one composed from its
// layers only approximately, a note in `note`.
QImage LoadAnyPicture(const QString& path, QString& reason, QString& note) {
    if (IsPsdPath(path)) {
        cpsd reader;
        const OpenAttempt attempt;
        if (reader.LoadPsdFile(path) && IsAcceptablePictureSize(reader.Width(), reader.Height())) {
            if (reader.Approximated()) note = ComposedPictureNote();
            // Shared, not copied: the picture's memory outlives the reader, and a conversion
            // holds one copy of it.
            return reader.Bitmap();
        }
        reason = attempt.Reason();
        return QImage();
    }
    int width = -1, height = -1;
    QImage picture = LoadImageAsPicture(path, width, height, 0x00FFFFFF, false);
    return picture.isNull() ? LoadPicture(path) : picture;
}

}  // namespace

CommandRequest ParseCommandLine(const QStringList& args) {
    using Action = CommandRequest::Action;
    CommandRequest r;
    const QString first = args.value(0);
    const auto wrong = [&](const QString& why) {
        r.action = Action::Usage;
        r.error = why;
        return r;
    };
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        r.action = args.size() == 1 ? Action::Help : Action::Usage;
        if (r.action == Action::Usage) r.error = QStringLiteral("--help takes no arguments");
        return r;
    }
    if (first == QLatin1String("--version")) {
        if (args.size() != 1) return wrong(QStringLiteral("--version takes no arguments"));
        r.action = Action::Version;
        return r;
    }
    if (first == QLatin1String("--convert")) {
        if (args.size() != 3) return wrong(QStringLiteral("--convert needs IN and OUT"));
        r.action = Action::Convert;
        r.input = args[1];
        r.output = args[2];
        return r;
    }
    if (first == QLatin1String("--export-annotations")) {
        if (args.size() != 2) return wrong(QStringLiteral("--export-annotations needs one FILE"));
        r.action = Action::ExportAnnotations;
        r.input = args[1];
        return r;
    }
    // A plain start: everything as one text, as the program has always taken it.
    r.input = args.join(QLatin1Char(' '));
    return r;
}

int ConvertPicture(const QString& input, const QString& output, QString& why) {
    {
        RegularFile file;
        const ReadFault fault = file.Open(input);
        if (fault == ReadFault::Missing) {
            why = QStringLiteral("cannot open %1: no such file").arg(input);
            return kExitUnreadableInput;
        }
        if (fault != ReadFault::None) {
            why = QStringLiteral("cannot open %1: %2").arg(input, ReadFaultText(fault));
            return kExitUnreadableInput;
        }
    }
    const QString extension = QFileInfo(output).suffix();
    if (!SaveExtensions().contains(extension.toLower())) {
        why = QStringLiteral("cannot write %1: unsupported output type \"%2\"")
                  .arg(output, extension);
        return kExitUnsupportedOutput;
    }
    VectorFormat vector = VectorFormat::Svg;
    if (VectorFormatOfPath(output, vector) && IsPsdPath(input)) {
        // A layered PSD of ours gives its annotations back as vectors over its picture layer;
        // any other PSD (or one whose annotations cannot be read) converts as a flat picture.
        MarkupCanvas markup;
        QString unread;
        if (markup.LoadLayeredPsd(input, unread) == MarkupCanvas::Outcome::Restored) {
            VectorDocument doc = markup.Document();
            doc.title = ShownPath(QFileInfo(output).completeBaseName());
            const SaveResult saved = SaveVectorDocument(doc, output, vector);
            if (saved.ok()) return kExitOk;
            why = QStringLiteral("cannot write %1: %2").arg(output, saved.description);
            return kExitNotWritten;
        }
    }
    QString reason, note;
    const QImage picture = LoadAnyPicture(input, reason, note);
    if (picture.isNull()) {
        why = reason.isEmpty()
                  ? QStringLiteral("cannot open %1: not a picture orvane reads").arg(input)
                  : QStringLiteral("cannot open %1: %2").arg(input, reason);
        return kExitUnreadableInput;
    }
    const SaveResult saved =
        SavePictureWithEncoder(picture, output, extension, 80, 24, kTiffCompressionNone);
    if (!saved.ok()) {
        why = QStringLiteral("cannot write %1: %2").arg(output, saved.description);
        return kExitNotWritten;
    }
    why = note;
    return kExitOk;
}

int ExportAnnotations(const QString& psdPath, QByteArray& json, QString& why) {
    // The largest PSD of ours: the merged picture and its picture layer at the picture limit,
    // with room for the annotations' layers.
    constexpr std::uint64_t kLargestPsd = std::uint64_t(kMaxPicturePixels) * 4 * 3 + (64 << 20);
    QByteArray bytes;
    const ReadFault fault = ReadRegularFile(psdPath, kLargestPsd, bytes);
    if (fault != ReadFault::None) {
        why = QStringLiteral("cannot open %1: %2").arg(psdPath, ReadFaultText(fault));
        return kExitUnreadableInput;
    }
    psd::Decoder decoder;
    bool picture = decoder.Parse(std::span<const uint8_t>(
        reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    const std::vector<uint8_t>& block = decoder.privateResource();
    if (block.empty()) {
        // Packed pixels are checked to their end only while converting.
        if (picture) {
            std::vector<uint8_t> pixels(std::size_t(decoder.SizeImage()));
            picture = decoder.Convert(pixels.data());
        }
        why = picture ? QStringLiteral("%1 holds no annotations").arg(psdPath)
                      : QStringLiteral("cannot open %1: not a PSD orvane reads").arg(psdPath);
        return picture ? kExitNoAnnotations : kExitUnreadableInput;
    }
    AnnotationBlock annotations;
    const AnnotationJsonError error = AnnotationBlockFromJson(
        QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())),
        annotations, why);
    if (error != AnnotationJsonError::None) {
        why = QStringLiteral("the annotations in %1 are %2: %3")
                  .arg(psdPath,
                       error == AnnotationJsonError::UnknownVersion ? QStringLiteral("unreadable")
                                                                    : QStringLiteral("damaged"),
                       why);
        return kExitNoAnnotations;
    }
    // Only what the layers still show unchanged is an annotation of the file now. The layers
    // the block names are read one at a time; no other layer is decoded.
    std::vector<psd::LayerPixels> layers;
    BlockVerdict verdict;
    CheckBlockInFile(annotations,
                     std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                              std::size_t(bytes.size())),
                     decoder.header().width, decoder.header().height, verdict, layers);
    const QJsonDocument doc = QJsonDocument::fromJson(AnnotationsToJson(verdict.live));
    json = doc.toJson(QJsonDocument::Indented);
    why = BlockVerdictNote(verdict);
    return kExitOk;
}

std::optional<int> RunCommandLine(int& argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << PathFromBytes(argv[i]);
    const CommandRequest request = ParseCommandLine(args);
    using Action = CommandRequest::Action;
    switch (request.action) {
        case Action::Start:
            return std::nullopt;
        case Action::Help:
            std::fputs(kHelp, stdout);
            return kExitOk;
        case Action::Version:
            std::puts("orvane " ORVANE_VERSION);
            return kExitOk;
        case Action::Usage:
            std::fprintf(stderr, "orvane: %s (see orvane --help)\n", qPrintable(request.error));
            return kExitUsage;
        case Action::Convert:
        case Action::ExportAnnotations:
            break;
    }
    // Pictures need a GUI application, but never a screen: the offscreen platform serves.
    // Its start-up chatter (a missing runtime folder and the like) would bury the one line a
    // failure prints, so only fatal messages get through.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) std::fprintf(stderr, "orvane: %s\n", qPrintable(text));
    });
    QGuiApplication app(argc, argv);
    QString why;
    int status = kExitOk;
    try {
        if (request.action == Action::Convert) {
            status = ConvertPicture(request.input, request.output, why);
        } else {
            QByteArray json;
            status = ExportAnnotations(request.input, json, why);
            std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
        }
    } catch (const std::bad_alloc&) {
        // Whatever the input claims, running out of memory ends with a status of ours.
        why = QStringLiteral("cannot open %1: it is too large to fit in memory").arg(request.input);
        status = kExitUnreadableInput;
    }
    // A failure says why; a success may carry a note (annotations no longer in the file). The
    // bytes of a name that are not UTF-8 show as U+FFFD.
    if (status != kExitOk || !why.isEmpty())
        std::fprintf(stderr, "orvane: %s\n", qPrintable(ShownPath(why)));
    return status;
}

}  // namespace orv
