// Qt's own open and save dialogs, driven as a user would, on files and folders whose names are
// not UTF-8: such a file is listed, opens and is saved over by its real name, a folder so
// named is where the save dialog starts, and two entries shown alike are refused, never one
// taken for the other.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathBytes.h"
#include "platform/qt/OpenDialog.h"
#include "platform/qt/SaveDialog.h"

namespace orv::test {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

/// A private folder in which files and folders are made and removed by their bytes.
class ByteFolder {
  public:
    ByteFolder() {
        char name[] = "/tmp/orvane-byte-dialog-XXXXXX";
        root_ = ::mkdtemp(name) ? name : "";
    }
    ~ByteFolder() {
        if (root_.empty()) return;
        ::nftw(
            root_.c_str(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    bool Made() const { return !root_.empty(); }
    std::string Bytes(const std::string& below) const { return root_ + "/" + below; }
    QString Path(const std::string& below) const {
        return PathFromBytes(QByteArray::fromStdString(Bytes(below)));
    }
    void File(const std::string& below) const {
        const int fd = ::open(Bytes(below).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << below;
        ASSERT_EQ(::write(fd, "x", 1), 1);
        ::close(fd);
    }
    void Folder(const std::string& below) const {
        ASSERT_EQ(::mkdir(Bytes(below).c_str(), 0700), 0) << below;
    }

  private:
    std::string root_;
};

/// What happened while a dialog ran.
struct Seen {
    QStringList listed;     ///< the names the dialog listed in its folder
    QString folder;         ///< the folder it showed
    QStringList questions;  ///< the texts of the boxes over it
};

/// Drives the dialog that runs while it lives: `drive` acts on the file dialog once it lists
/// every name of `awaited` (as often as it is there); every box over it is recorded and answered by
/// `answer` (its button), and anything still up after eight seconds is closed, so that a failing
/// case ends.
class Driver {
  public:
    Driver(Seen& seen, const QStringList& awaited, std::function<void(QFileDialog&)> drive,
           std::function<QMessageBox::StandardButton(int)> answer = {})
        : seen_(seen), awaited_(awaited), drive_(std::move(drive)), answer_(std::move(answer)) {
        timer_.setInterval(30);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
    }

  private:
    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (++ticks_ > 270) {
            modal->close();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen_.questions << box->text();
            const QMessageBox::StandardButton b =
                answer_ ? answer_(int(seen_.questions.size())) : QMessageBox::Ok;
            QMetaObject::invokeMethod(box->button(b), &QAbstractButton::click,
                                      Qt::QueuedConnection);
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog || driven_) return;
        auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (!view || !view->model()) return;
        QStringList listed;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        for (const QString& name : awaited_)  // Qt lists a folder a little later
            if (listed.count(name) < awaited_.count(name)) return;
        driven_ = true;
        dialog->activateWindow();  // as the window system does for a dialog that comes up
        seen_.listed = listed;
        seen_.folder = dialog->directory().absolutePath();
        QMetaObject::invokeMethod(
            dialog, [this, dialog] { drive_(*dialog); }, Qt::QueuedConnection);
    }

    Seen& seen_;
    QStringList awaited_;
    std::function<void(QFileDialog&)> drive_;
    std::function<QMessageBox::StandardButton(int)> answer_;
    QTimer timer_;
    bool driven_ = false;
    int ticks_ = 0;
};

QAbstractItemView* List(QFileDialog& dialog) {
    return dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
}

/// The place of the row named `name` in the dialog's list.
QPoint RowPlace(QFileDialog& dialog, const QString& name) {
    QAbstractItemView* view = List(dialog);
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
        const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
        if (index.data().toString() == name) {
            view->scrollTo(index);
            return view->visualRect(index).center();
        }
    }
    return {-1, -1};
}

/// Takes the open dialog about to run to `folder`, as the user would first.
void GoTo(const QString& folder) {
    QTimer::singleShot(0, [folder] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            d->setDirectory(folder);
    });
}

QPushButton* AcceptButton(QFileDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box ? box->button(dialog.acceptMode() == QFileDialog::AcceptOpen
                                 ? QDialogButtonBox::Open
                                 : QDialogButtonBox::Save)
               : nullptr;
}

TEST(DialogByteNames, AFileNotInUtf8IsListedAndOpensByAClickOrADoubleClick) {
    ByteFolder disk;
    ASSERT_TRUE(disk.Made());
    disk.File("caf\xe9.png");
    disk.File("plain.png");
    for (const bool twice : {false, true}) {
        SCOPED_TRACE(twice ? "double click" : "click, then Open");
        Seen seen;
        bool openEnabled = false;
        QString named;
        Driver driver(seen, {U("caf\xef\xbf\xbd.png"), QStringLiteral("plain.png")},
                      [&](QFileDialog& dialog) {
                          const QPoint place = RowPlace(dialog, U("caf\xef\xbf\xbd.png"));
                          QWidget* rows = List(dialog)->viewport();
                          if (twice) {
                              // Through the window, as the window system delivers one.
                              QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, {},
                                                 rows->mapTo(&dialog, place));
                              return;
                          }
                          QTest::mouseClick(rows, Qt::LeftButton, {}, place);
                          named =
                              dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                          openEnabled = AcceptButton(dialog)->isEnabled();
                          QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
                      });
        GoTo(disk.Path(""));
        const QString chosen = RunOpenDialog(nullptr, false);
        EXPECT_EQ(StdBytesOfPath(chosen), disk.Bytes("caf\xe9.png"));
        EXPECT_TRUE(seen.listed.contains(QStringLiteral("plain.png"))) << "Qt's own entries";
        EXPECT_TRUE(seen.questions.isEmpty()) << seen.questions.join('|').toStdString();
        if (!twice) {
            EXPECT_EQ(named, U("caf\xef\xbf\xbd.png"));
            EXPECT_TRUE(openEnabled);
        }
    }
}

TEST(DialogByteNames, TheSaveDialogStartsInAFolderNotInUtf8AndSavesOverTheRealFile) {
    ByteFolder disk;
    ASSERT_TRUE(disk.Made());
    disk.Folder("d\xe9p\xf4t");
    disk.File("d\xe9p\xf4t/caf\xe9.png");
    disk.Folder("d\xe9p\xf4t/\xe9t\xe9");
    SaveDialogRequest request;
    request.Filters = {QStringLiteral("PNG File(*.PNG)"), QStringLiteral("*.png")};
    request.DefaultExtension = QStringLiteral("PNG");
    request.InitialFolder = disk.Path("d\xe9p\xf4t");
    request.SuggestedName = ShownPath(PathFromBytes("caf\xe9"));
    request.ConfirmOverwrite = true;
    const auto accept = [](QFileDialog& dialog) {
        QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    };

    // The offered name is the picture's: replacing it is asked; No keeps the dialog up, Yes
    // gives the file that is there.
    Seen seen;
    Driver driver(
        seen, {U("caf\xef\xbf\xbd.png"), U("\xef\xbf\xbdt\xef\xbf\xbd")},
        [&](QFileDialog& dialog) {
            accept(dialog);
            if (dialog.isVisible()) accept(dialog);
        },
        [](int asked) { return asked == 1 ? QMessageBox::No : QMessageBox::Yes; });
    QString chosen = RunSaveDialog(request, nullptr, false);
    EXPECT_EQ(StdBytesOfPath(chosen), disk.Bytes("d\xe9p\xf4t/caf\xe9.png"));
    EXPECT_TRUE(seen.folder.endsWith(U("/d\xef\xbf\xbdp\xef\xbf\xbdt")))
        << seen.folder.toStdString();
    EXPECT_TRUE(seen.listed.contains(U("\xef\xbf\xbdt\xef\xbf\xbd"))) << "the folder inside";
    ASSERT_EQ(seen.questions.size(), 2);
    EXPECT_EQ(seen.questions[0],
              U("caf\xef\xbf\xbd.png already exists.\nDo you want to replace it?"));

    // Up from there is the real parent folder, not the private one that holds the link.
    Seen up;
    QString above;
    Driver climbing(up, {U("caf\xef\xbf\xbd.png")}, [&](QFileDialog& dialog) {
        if (auto* toParent = dialog.findChild<QAbstractButton*>(QStringLiteral("toParentButton")))
            toParent->click();
        QTimer::singleShot(300, &dialog, [&] {
            above = dialog.directory().absolutePath();
            dialog.reject();
        });
    });
    EXPECT_TRUE(RunSaveDialog(request, nullptr, false).isEmpty());
    EXPECT_EQ(above + QLatin1Char('/'), disk.Path(""));

    // A new name lands in that folder; one typed into the folder inside, in there.
    for (const auto& [typed, expected] :
         {std::pair{U("new"), std::string("d\xe9p\xf4t/new.png")},
          std::pair{U("\xef\xbf\xbdt\xef\xbf\xbd/inside.png"),
                    std::string("d\xe9p\xf4t/\xe9t\xe9/inside.png")}}) {
        Seen again;
        Driver typing(again, {U("caf\xef\xbf\xbd.png")}, [&, typed = typed](QFileDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
            accept(dialog);
        });
        chosen = RunSaveDialog(request, nullptr, false);
        EXPECT_EQ(StdBytesOfPath(chosen), disk.Bytes(expected)) << typed.toStdString();
        EXPECT_TRUE(again.questions.isEmpty());
    }
}

TEST(DialogByteNames, TwoEntriesShownAlikeAreRefusedWithAMessage) {
    ByteFolder disk;
    ASSERT_TRUE(disk.Made());
    disk.File("twin\xe9.png");
    disk.File("twin\xef\xbf\xbd.png");  // a name that really holds U+FFFD
    for (const bool saving : {false, true}) {
        SCOPED_TRACE(saving ? "save" : "open");
        Seen seen;
        bool stayed = false;
        Driver driver(seen, {U("twin\xef\xbf\xbd.png"), U("twin\xef\xbf\xbd.png")},
                      [&](QFileDialog& dialog) {
                          dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                              ->setText(U("twin\xef\xbf\xbd.png"));
                          QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
                          stayed = dialog.isVisible();
                          dialog.reject();
                      });
        QString chosen;
        if (saving) {
            SaveDialogRequest request;
            request.InitialFolder = disk.Path("");
            request.ConfirmOverwrite = true;
            chosen = RunSaveDialog(request, nullptr, false);
        } else {
            GoTo(disk.Path(""));
            chosen = RunOpenDialog(nullptr, false);
        }
        EXPECT_TRUE(chosen.isEmpty()) << chosen.toStdString();
        EXPECT_TRUE(stayed);
        EXPECT_EQ(seen.listed.count(U("twin\xef\xbf\xbd.png")), 2);
        ASSERT_EQ(seen.questions.size(), 1);
        EXPECT_TRUE(seen.questions[0].startsWith(U("twin\xef\xbf\xbd.png\nMore than one file")))
            << seen.questions[0].toStdString();
    }
    // Inside the folder really named so, which Qt shows, its files open as ever: only what
    // the user chose there is looked up, not the folder beside one shown alike.
    disk.Folder("twin\xef\xbf\xbd.d");
    disk.Folder("twin\xe9.d");
    disk.File("twin\xef\xbf\xbd.d/inside.png");
    Seen seen;
    Driver driver(seen, {QStringLiteral("inside.png")}, [&](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("inside.png"));
        QTest::mouseClick(AcceptButton(dialog), Qt::LeftButton);
    });
    GoTo(disk.Path("twin\xef\xbf\xbd.d"));
    EXPECT_EQ(StdBytesOfPath(RunOpenDialog(nullptr, false)),
              disk.Bytes("twin\xef\xbf\xbd.d/inside.png"));
    EXPECT_TRUE(seen.questions.isEmpty()) << seen.questions.join('|').toStdString();
}

}  // namespace
}  // namespace orv::test
