// Saving the marked-up picture: the canvas is captured with every annotation on it, handed to
// the clipboard, and written to the file the user names in the save dialog.
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QStandardPaths>
#include <cmath>
#include <new>

#include "editor/Form1.h"
#include "editor/LayeredCapture.h"
#include "editor/SaveChoices.h"
#include "editor/VectorCapture.h"
#include "imaging/io/PictureSaver.h"
#include "platform/Desktop.h"
#include "platform/Painter.h"
#include "platform/PathBytes.h"
#include "platform/PictureLimits.h"
#include "platform/Screen.h"

namespace orv {

namespace {

// The run-time error numbers the save reports beside the saver's own.
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;

// The save dialog's file types: description and pattern pairs, in the order they are listed.
const QStringList& SaveFilters() {
    static const QStringList filters{
        QStringLiteral("PNG File(*.PNG)"),         QStringLiteral("*.PNG"),
        QStringLiteral("JPEG File(*.jpg;*.jpeg)"), QStringLiteral("*.jpg"),
        QStringLiteral("Bitmap File(*.bmp)"),      QStringLiteral("*.bmp"),
        QStringLiteral("GIF File(*.gif)"),         QStringLiteral("*.gif"),
        QStringLiteral("TIFF File(*.TIFF)"),       QStringLiteral("*.tiff"),
        QStringLiteral("PSD File(*.psd)"),         QStringLiteral("*.psd"),
        QStringLiteral("All File(*.*)"),           QStringLiteral("*.*"),
        QStringLiteral("SVG File(*.SVG)"),         QStringLiteral("*.svg"),
        QStringLiteral("PDF File(*.PDF)"),         QStringLiteral("*.pdf"),
    };
    return filters;
}

// Where the save dialog starts: the user's desktop folder, else the pictures folder, else home.
QString DialogStartFolder() {
    for (const auto location :
         {QStandardPaths::DesktopLocation, QStandardPaths::PicturesLocation}) {
        QString folder = QStandardPaths::writableLocation(location);
        // Qt spells a home whose name is not UTF-8 by another name: the folder is in the
        // home by its bytes.
        const QString qtHome = QDir::homePath();
        if (folder.startsWith(qtHome + QLatin1Char('/')))
            folder = HomeFolderPath() + folder.mid(qtHome.size());
        const PathFacts facts = FactsOfPath(folder);
        if (!folder.isEmpty() && facts.exists && !facts.regular) return folder;
    }
    return HomeFolderPath();
}

// The extension of a saved file: what follows the last "." of its name, in the case it was
// typed; the whole name when it has none. Only the name counts, so a dot in a folder name
// never passes for an extension.
QString ExtensionOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

// The error box of a save that went wrong.
void ShowSaveError(Desktop& desktop, int number, const QString& description) {
    const QString crlf = QStringLiteral("\r\n");
    desktop.MessageBox(QStringLiteral("Error :") + crlf + crlf + QStringLiteral("Error Code: ") +
                           QString::number(number) + crlf + QStringLiteral("Error Description: ") +
                           description,
                       QStringLiteral("Error "), MessageIcon::Information);
}

// The canvas as the user sees it, annotations included in their stacking order, at the
// canvas's outer size in pixels; a null picture when there is no memory for it.
QImage CaptureCanvas(const PictureBox& canvas) {
    const int width = static_cast<int>(std::ceil(canvas.Width / Screen().TwipsPerPixelX));
    const int height = static_cast<int>(std::ceil(canvas.Height / Screen().TwipsPerPixelY));
    if (!WithinPictureLimit(width, height)) return {};  // never larger than any open takes
    QImage capture(width, height, QImage::Format_RGB32);
    if (capture.isNull()) return {};
    capture.fill(Qt::white);
    QPainter painter(&capture);
    PaintPictureBoxContent(painter, canvas);
    return capture;
}

// Shows the busy pointer for as long as it lives.
class BusyPointer {
  public:
    explicit BusyPointer(Desktop& desktop) : desktop_(desktop) { desktop_.SetBusyCursor(true); }
    ~BusyPointer() { desktop_.SetBusyCursor(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    Desktop& desktop_;
};

}  // namespace

// Captures the canvas, puts the capture on the clipboard and in Picture3, then asks where to
// save it.
void Form1::Command5_Click() {
    // The redactions are in the picture before anything reads it, whatever came in since.
    SyncRedactions();
    QImage capture;
    try {
        capture = CaptureCanvas(Picture2);
    } catch (const std::bad_alloc&) {
        capture = QImage();
    }
    if (capture.isNull()) {
        // Asking for a file name would be pointless: there is nothing to write.
        ShowSaveError(desktop, kOutOfMemory, QStringLiteral("Out of memory"));
        return;
    }
    desktop.SetClipboardPicture(capture);
    Picture3.SetPicture(capture);
    CutdSave();
}

// The save dialog, then the save of the capture through the encoder its extension selects.
void Form1::CutdSave() {
    SaveDialogRequest request;
    request.Filters = SaveFilters();
    const SaveDialogStart start = SaveStartFor(desktop, shownFile, DialogStartFolder());
    request.FilterIndex = start.FilterIndex;
    request.DefaultExtension = QStringLiteral("PNG");
    request.InitialFolder = start.Folder;
    request.SuggestedName = start.Name;
    // Replacing a file that exists is asked first: undo cannot bring the old one back.
    request.ConfirmOverwrite = true;
    const QString path = desktop.SaveFileDialog(request);
    if (path.isEmpty()) return;  // cancelled: the capture stays on the clipboard

    // The editor's own copy of the capture, which nothing else can replace while the dialog is
    // open; the clipboard's picture only when there is no capture.
    const QImage picture =
        Picture3.Picture().isNull() ? desktop.ClipboardPicture() : Picture3.Picture();

    SaveResult result;
    {
        BusyPointer busy(desktop);
        try {
            VectorFormat vector = VectorFormat::Svg;
            if (IsLayeredSavePath(path)) {
                result = SaveLayeredPsd(LayeredCapture(*this, picture), path);
            } else if (VectorFormatOfPath(path, vector)) {
                VectorDocument doc = VectorCapture(*this);
                doc.title = ShownPath(QFileInfo(path).completeBaseName());
                result = SaveVectorDocument(doc, path, vector);
            } else {
                result = SavePictureWithEncoder(picture, path, ExtensionOf(path), 80, 24,
                                                kTiffCompressionNone);
            }
        } catch (const std::bad_alloc&) {
            ShowSaveError(desktop, kOutOfMemory, QStringLiteral("Out of memory"));
            return;
        } catch (const std::exception& e) {
            ShowSaveError(desktop, kInternalError, QString::fromLocal8Bit(e.what()));
            return;
        }
    }
    if (!result.ok()) {
        // The capture stays on the clipboard, so the work is not lost with the failed file.
        ShowSaveError(desktop, result.errorNumber(), result.description);
        return;
    }
    unsaved.MarkSaved();
    RememberSave(desktop, path);
    savedNote.SetCaption(QStringLiteral("Saved %1").arg(ShownPath(QFileInfo(path).fileName())));
    savedNote.Visible = true;
    savedNoteTimer.SetEnabled(false);
    savedNoteTimer.SetEnabled(true);
    // Clear the clipboard only while it still holds the capture: a picture or text the user
    // copied elsewhere meanwhile is theirs.
    if (desktop.ClipboardPicture() == picture) desktop.ClearClipboard();
}

}  // namespace orv
