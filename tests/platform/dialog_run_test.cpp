// A dialog run where the keyboard stays on the window below it: what the user types there
// reaches the dialog and nothing else, clicks on the window below do nothing, and the dialog's
// answer comes back as from a modal run.
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include <gtest/gtest.h>

#include "platform/qt/DialogRun.h"
#include "platform/qt/SaveDialog.h"

namespace orv {
namespace {

/// A window that stands for the editor: it holds the keyboard and counts the clicks it gets.
class Below : public QLineEdit {
  public:
    int presses = 0;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        ++presses;
        QLineEdit::mousePressEvent(e);
    }
};

/// A dialog with a name field and OK / Cancel.
struct NameDialog {
    explicit NameDialog(QWidget* parent) : dialog(parent) {
        auto* layout = new QVBoxLayout(&dialog);
        name = new QLineEdit(&dialog);
        layout->addWidget(name);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        name->setFocus();
    }
    QDialog dialog;
    QLineEdit* name;
};

/// Keys and clicks as the window system delivers them to the window below, which the
/// compositor keeps focused.
void Type(QWidget& w, const QString& text) {
    for (const QChar c : text) QTest::keyClick(w.windowHandle(), c.toLatin1());
}
void Press(QWidget& w, Qt::Key key) {
    QTest::keyClick(w.windowHandle(), key);
}
void Click(QWidget& w) {
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
}

/// Runs `typing` once the dialog is up (and a fallback that closes a dialog left open, so a
/// failing case ends instead of hanging).
void WhenShown(QDialog& dialog, const std::function<void()>& typing) {
    QTimer::singleShot(50, &dialog, typing);
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(-7); });
}

class DialogRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        below.resize(400, 300);
        below.show();
        below.activateWindow();
        below.setFocus();
    }
    Below below;
};

TEST_F(DialogRunTest, KeysTypedIntoTheWindowBelowFillTheDialogAndReturnAnswersIt) {
    NameDialog d(&below);
    int pressesWhileUp = -1;
    WhenShown(d.dialog, [&] {
        Type(below, QStringLiteral("shot.pnh"));
        Press(below, Qt::Key_Backspace);
        Type(below, QStringLiteral("g"));
        Click(below);
        pressesWhileUp = below.presses;
        Press(below, Qt::Key_Return);
    });
    EXPECT_EQ(RunDialog(d.dialog, true), QDialog::Accepted);
    EXPECT_EQ(d.name->text(), QStringLiteral("shot.png"));
    EXPECT_EQ(below.text(), QString()) << "the window below took keys meant for the dialog";
    EXPECT_EQ(pressesWhileUp, 0) << "a click reached the window below the dialog";
    // Once answered, the window below has its keyboard and pointer back.
    Type(below, QStringLiteral("ok"));
    Click(below);
    EXPECT_EQ(below.text(), QStringLiteral("ok"));
    EXPECT_EQ(below.presses, 1);
}

TEST_F(DialogRunTest, APathTypedIntoTheWindowBelowIsTheFileTheSaveDialogGives) {
    // The file dialog selects each folder the typed path passes through and lets go of it only
    // while its name field has the focus: so the dialog must be the active window, although
    // the window below keeps the keyboard.
    const QString folder = QDir::tempPath() + QStringLiteral("/orvane-dialog-run");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFileDialog save(&below);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setDirectory(QDir::rootPath());
    const QString typed = folder + QStringLiteral("/measured.png");
    WhenShown(save, [&] {
        below.activateWindow();  // the compositor keeps the keyboard on the window below
        QCoreApplication::processEvents();
        Type(below, typed);
        Press(below, Qt::Key_Return);
    });
    EXPECT_EQ(RunDialog(save, true), QDialog::Accepted);
    EXPECT_EQ(save.selectedFiles(), QStringList{typed});
}

TEST_F(DialogRunTest, ReplacingAFileIsAskedAndAnsweredFromTheWindowBelow) {
    const QString folder = QDir::tempPath() + QStringLiteral("/orvane-dialog-run");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString existing = folder + QStringLiteral("/kept.png");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SaveDialogRequest request;
    request.Filters = {QStringLiteral("PNG File(*.PNG)"), QStringLiteral("*.png")};
    request.InitialFolder = folder;
    request.ConfirmOverwrite = true;
    // Each step is set going before the last one's key, which opens a question and waits in it.
    int questions = 0;
    const auto asked = [&] {
        questions += qobject_cast<QMessageBox*>(QApplication::activeWindow()) != nullptr;
    };
    QTimer::singleShot(50, &below, [&] {
        below.activateWindow();
        QCoreApplication::processEvents();
        Type(below, QStringLiteral("kept"));
        QTimer::singleShot(200, &below, [&] {
            asked();
            QTimer::singleShot(200, &below, [&] {
                asked();
                Press(below, Qt::Key_Y);  // Yes
            });
            Press(below, Qt::Key_Return);  // No, the question's default
            Press(below, Qt::Key_Return);  // asks again
        });
        Press(below, Qt::Key_Return);  // asks
    });
    // A case that fails closes whatever is left open instead of hanging.
    QTimer::singleShot(5000, &below, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
    });
    EXPECT_EQ(RunSaveDialog(request, &below, true), existing);
    EXPECT_EQ(questions, 2);
}

TEST_F(DialogRunTest, AQuestionAnswersByItsKeysAndEscapeFromTheWindowBelow) {
    for (const auto& [key, answer] : {std::pair{Qt::Key_Escape, QMessageBox::Cancel},
                                      std::pair{Qt::Key_Return, QMessageBox::Save},
                                      std::pair{Qt::Key_D, QMessageBox::Discard}}) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvane Tessaly"),
                        QStringLiteral("Save changes to this markup?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &below);
        box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        WhenShown(box, [&, key = key] { Press(below, key); });
        EXPECT_EQ(RunDialog(box, true), answer) << "key " << key;
    }
    EXPECT_EQ(below.text(), QString());
}

TEST_F(DialogRunTest, WithoutHandingKeysOverTheDialogIsModalAsUsual) {
    NameDialog d(&below);
    bool modal = false;
    WhenShown(d.dialog, [&] {
        modal = QApplication::activeModalWidget() == &d.dialog;
        d.dialog.reject();
    });
    EXPECT_EQ(RunDialog(d.dialog, false), QDialog::Rejected);
    EXPECT_TRUE(modal);
}

}  // namespace
}  // namespace orv
