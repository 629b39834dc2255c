#include "editor/OpenCommands.h"

#include <QPainter>
#include <cstdint>
#include <limits>

#include "editor/Form1.h"
#include "editor/LayeredOpen.h"
#include "imaging/OpenFailure.h"
#include "imaging/io/DecodedPictures.h"
#include "imaging/io/PictureLoader.h"
#include "imaging/psd/cpsd.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "platform/WaitableTimer.h"

namespace orv {

namespace {
const QString kPng = QStringLiteral("png");
const QString kJpg = QStringLiteral("jpg");
const QString kPsd = QStringLiteral("psd");
const QString kPsb = QStringLiteral("psb");  // the large document form of a PSD

// A pixel count in twips at the screen's twips per pixel (so that the canvas is exactly as
// many screen pixels as the document, whatever the dpi), when it fits 32 bits.
bool PixelTwips(int32_t pixels, float twipsPerPixel, float& twips) {
    const double product = double(pixels) * double(twipsPerPixel);
    if (product > std::numeric_limits<int32_t>::max() ||
        product < std::numeric_limits<int32_t>::min())
        return false;
    twips = static_cast<float>(product);
    return true;
}
}  // namespace

QString LowerExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1).toLower();
}

void ShowOnCanvas(Form1& ed, const QImage& picture) {
    ed.shownFile.clear();
    ed.Picture2.Cls();
    ed.Picture2.SetPicture(picture);
    ed.history.Clear();
    ed.unsaved.MarkNewPicture();
}

void RepaintEditorBars(Form1& ed) {
    // The bars draw their artwork stretched to their size whenever they are painted.
    ed.Picture6.Left = 0;
    ed.Picture6.Top = 0;
    ed.Picture6.Width = ed.Width;
    ed.Picture6.AutoRedraw = true;
    ed.Picture1.Left = 0;
    ed.Picture1.Top = ed.Picture6.Height;
    ed.Picture1.Height = ed.Height;
    ed.Picture1.AutoRedraw = true;
    const float w = ed.Image3.Width;
    ed.Image3.Left = Screen().Width - 2 * w;
    ed.Image2.Left = Screen().Width - 3 * w;
    ed.Image1.Left = Screen().Width - 4 * w;
}

clsWaitableTimer& Form1::Waiter() {
    if (!waiter_) waiter_ = std::make_shared<clsWaitableTimer>(desktop);
    return *waiter_;
}

void Form1::Command66_Click() {
    const Colour background = Picture2.BackColor;
    int width = -1, height = -1;
    // A file that cannot be opened leaves the canvas showing what it showed.
    const QImage picture = LoadImageAsPicture(open1, width, height, background, false);
    if (!picture.isNull()) {
        ShowOnCanvas(*this, picture);
        shownFile = open1;
    }
    Waiter().Wait(400);
    Picture2.Top = 800;
    Picture2.Left = 800;
}

void Form1::Command22_Click() {
    try {
        if (!vars.psdReader) vars.psdReader = std::make_shared<cpsd>();
        cpsd& reader = *vars.psdReader;
        const bool loaded = reader.LoadPsdFile(open1);
        float height = 0, width = 0;
        // A file that fails to load leaves the canvas as it was, its size and its picture;
        // only a loaded document (within the size every picture load accepts) is shown.
        if (loaded && PixelTwips(reader.Height(), Screen().TwipsPerPixelY, height) &&
            PixelTwips(reader.Width(), Screen().TwipsPerPixelX, width)) {
            ShowOnCanvas(*this, QImage());
            shownFile = open1;
            Picture2.Height = height;
            Picture2.Width = width;
            {
                QPainter painter(&Picture2.Surface());
                reader.DrawToDC(painter, 0, 0);
            }
            if (reader.Approximated())
                desktop.MessageBox(ComposedPictureNote(), QStringLiteral("Orvane Tessaly"),
                                   MessageIcon::Information);
            if (RestoreLayeredPsd(*this, reader, open1)) unsaved.MarkSaved();
        }
    } catch (const std::exception&) {
    }
    Waiter().Wait(160);
    Picture1.Top = 0;
    Picture1.Left = 0;
}

void Form1::OpenByExtension() {
    if (open2 == kPng || open2 == kJpg) IgnoreErrors([&] { Command66_Click(); });
    if (open2 == kPsd || open2 == kPsb) {
        IgnoreErrors([&] { Command22_Click(); });
    } else {
        // The standard loader refuses PNG among others: a refusal leaves the canvas as it is,
        // so a PNG or JPEG opened just above stays. Under any other name the file is judged by
        // its content, so a TIFF, a WebP or a PNG called "shot" opens too.
        const bool openedAbove = open2 == kPng || open2 == kJpg;
        const QImage picture =
            openedAbove ? LoadPicture(open1) : LoadPictureByContent(open1, Picture2.BackColor);
        if (!picture.isNull()) {
            ShowOnCanvas(*this, picture);
            shownFile = open1;
        }
    }
}

void Form1::Command14_Click() {
    const QString path = open1;
    const OpenAttempt attempt;
    open2 = LowerExtension(path);
    OpenByExtension();
    Picture2.Top = Picture6.Height + 100;
    Picture2.Left = Picture1.Width + 100;
    open2.clear();
    RepaintEditorBars(*this);
    openFailed = !attempt.Opened();
    ReportOpenFailure(desktop, path, attempt);
}

void Form1::OpenDroppedFile(const QString& path) {
    if (!MayDiscardWork()) return;
    open1 = path;
    Command14_Click();
}

}  // namespace orv
