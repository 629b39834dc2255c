// The tool strip's three routes into the editor, raised by the tray menu: a
// file chosen in the dialog, the clipboard's picture, and a still copy of the
// screen with the strip as the only tool bar.

#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "imaging/io/PictureLoader.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv {

namespace {
/// Title of the program's message boxes.
const QString kProgramTitle = QStringLiteral("Orvane Tessaly");
}  // namespace

void form3::OpenFromFile() {
    // A cancelled dialog opens nothing, however often the dialog was used before.
    QString file;
    IgnoreErrors([&] { file = app.desktop.OpenFileDialog(); });
    if (file.isEmpty()) return;

    Form1& ed = app.Editor();
    ed.open1 = file;
    ed.open2 = LowerExtension(file);
    app.ShowEditor();
    IgnoreErrors([&] { LayOutEditorBars(); });
    Visible = false;
    ed.OpenByExtension();
    ed.open2.clear();
}

void form3::OpenFromClipboard() {
    QImage picture;
    IgnoreErrors([&] { picture = app.desktop.ClipboardPicture(); });
    // A picture beyond what the loaders accept is treated like no picture at all.
    if (picture.isNull() || !IsAcceptablePictureSize(picture.width(), picture.height())) {
        app.desktop.MessageBox(QStringLiteral("no picture in clipboard"), kProgramTitle,
                               MessageIcon::None);
        return;
    }
    Form1& ed = app.Editor();
    ShowOnCanvas(ed, picture);
    app.ShowEditor();
    LayOutEditorBars();
    Visible = false;
}

void form3::MeasureScreen() {
    Text1 = StartMode::ScreenMeasurement;
    Visible = false;
    // Lets the screen repaint without the strip and the tray menu before it is copied.
    IgnoreErrors([&] { Waiter().Wait(1000); });
    app.ShowEditor();
    Form1& ed = app.Editor();
    ed.Picture6.Width = Screen().Width;
    ed.Picture1.Height = Screen().Height;
    Visible = true;
    Left = Screen().Width - Width;
    Top = 0;
    ed.Timer2.SetEnabled(false);
}

}  // namespace orv
