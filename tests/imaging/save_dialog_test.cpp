// The save dialog on Qt: what it lists, where it starts, the extension it adds to a bare name,
// and that it replaces a file without asking.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "platform/qt/QtDesktop.h"

namespace orv {
namespace {

SaveDialogRequest Request(const QString& folder) {
    SaveDialogRequest r;
    r.Filters = QStringList{"PNG File(*.PNG)",    "*.PNG",  "JPEG File(*.jpg;*.jpeg)", "*.jpg",
                            "Bitmap File(*.bmp)", "*.bmp",  "GIF File(*.gif)",         "*.gif",
                            "TIFF File(*.TIFF)",  "*.tiff", "All File(*.*)",           "*.*"};
    r.FilterIndex = 1;
    r.DefaultExtension = QStringLiteral("PNG");
    r.InitialFolder = folder;
    return r;
}

struct DialogRun {
    QString result;
    bool askedAnything = false;  ///< another modal box appeared over the dialog
};

// Opens the save dialog, lets `drive` act on it as the user would, and returns its answer.
DialogRun RunDialog(const SaveDialogRequest& r, const std::function<void(QFileDialog&)>& drive) {
    QtDesktop desktop;
    DialogRun run;
    bool driven = false;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            run.askedAnything = true;
            box->reject();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && !driven) {
            driven = true;
            drive(*dialog);
        } else if (modal && ++ticks > 250) {
            modal->close();  // never hang the test run
        }
    });
    timer.start();
    run.result = desktop.SaveFileDialog(r);
    return run;
}

// Types a name into the dialog and presses its accept button.
void TypeAndAccept(QFileDialog& dialog, const QString& name) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    static_cast<QDialog&>(dialog).accept();  // the accept button's own slot
}

// Picks an entry of the file type list as a click on it would.
void ChooseType(QFileDialog& dialog, int index) {
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(index);
    emit types->activated(index);
    emit types->textActivated(types->itemText(index));
}

TEST(SaveDialog, ShowsTheSixDescriptionsStartsOnPngInTheGivenFolder) {
    QTemporaryDir folder;
    QStringList shown;
    QString selected, directory;
    const DialogRun run = RunDialog(Request(folder.path()), [&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (types)
            for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        selected = types ? types->currentText() : QString();
        directory = dialog.directory().absolutePath();
        dialog.reject();
    });
    EXPECT_TRUE(run.result.isEmpty());  // cancelled
    const QStringList expected{"PNG File(*.PNG)", "JPEG File(*.jpg;*.jpeg)", "Bitmap File(*.bmp)",
                               "GIF File(*.gif)", "TIFF File(*.TIFF)",       "All File(*.*)"};
    EXPECT_EQ(shown.join('|').toStdString(), expected.join('|').toStdString());
    EXPECT_EQ(selected.toStdString(), "PNG File(*.PNG)");
    EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
}

TEST(SaveDialog, ABareNameTakesTheChosenEntrysExtension) {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    const struct {
        int entry;  // -1 leaves the first entry chosen
        const char* typed;
        const char* expected;
    } cases[] = {{-1, "plain", "plain.PNG"},      {-1, "typed.jpg", "typed.jpg"},
                 {1, "photo", "photo.jpg"},       {4, "scan", "scan.tiff"},
                 {5, "anything", "anything.PNG"}, {5, "notes.txt", "notes.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const DialogRun run = RunDialog(Request(folder.path()), [&](QFileDialog& dialog) {
            if (c.entry >= 0) ChooseType(dialog, c.entry);
            TypeAndAccept(dialog, QString::fromLatin1(c.typed));
        });
        EXPECT_EQ(run.result.toStdString(),
                  dir.absoluteFilePath(QString::fromLatin1(c.expected)).toStdString());
    }
}

TEST(SaveDialog, AnExistingFileIsChosenWithoutAQuestion) {
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).absoluteFilePath(QStringLiteral("there.PNG"));
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("x") == 1);
    existing.close();
    const DialogRun run = RunDialog(Request(folder.path()), [](QFileDialog& dialog) {
        TypeAndAccept(dialog, QStringLiteral("there.PNG"));
    });
    EXPECT_EQ(run.result.toStdString(), path.toStdString());
    EXPECT_FALSE(run.askedAnything);
}

}  // namespace
}  // namespace orv
