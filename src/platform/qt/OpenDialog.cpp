#include "platform/qt/OpenDialog.h"

#include <QFileDialog>

#include "platform/qt/DialogByteNames.h"
#include "platform/qt/DialogRun.h"

namespace orv {

namespace {

/// Qt's file dialog, which also lists and opens files whose names Qt cannot read.
class OpenDialog : public QFileDialog {
  public:
    OpenDialog(QWidget* parent, bool handKeysOver)
        : QFileDialog(parent), names_(*this, false, handKeysOver) {
        setFileMode(QFileDialog::ExistingFile);
    }

    /// The file chosen, by its bytes.
    QString Chosen() const { return chosen_.isEmpty() ? selectedFiles().value(0) : chosen_; }

    void accept() override {
        QString real;
        switch (names_.Resolve(real)) {
            case DialogByteNames::Choice::Stay:
                return;
            case DialogByteNames::Choice::Chosen:
                chosen_ = real;
                QDialog::accept();  // Qt would look for the file under its own reading
                return;
            case DialogByteNames::Choice::Qt:
                break;
        }
        QFileDialog::accept();
    }

  private:
    DialogByteNames names_;
    QString chosen_;
};

}  // namespace

QString RunOpenDialog(QWidget* parent, bool handKeysOver) {
    OpenDialog dialog(parent, handKeysOver);
    if (RunDialog(dialog, handKeysOver) != QDialog::Accepted) return {};
    return dialog.Chosen();
}

}  // namespace orv
