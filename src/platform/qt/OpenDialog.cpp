#include "platform/qt/OpenDialog.h"

#include <QFileDialog>

#include "platform/qt/DialogByteNames.h"
#include "platform/qt/DialogRun.h"

namespace orv {

namespace {

/// Qt's file dialog for opening a file, whatever its name.
class OpenDialog : public ByteNamesFileDialog {
  public:
    OpenDialog(QWidget* parent, bool handKeysOver)
        : ByteNamesFileDialog(parent, false, handKeysOver) {
        setFileMode(QFileDialog::ExistingFile);
    }
};

}  // namespace

QString RunOpenDialog(QWidget* parent, bool handKeysOver) {
    OpenDialog dialog(parent, handKeysOver);
    if (RunDialog(dialog, handKeysOver) != QDialog::Accepted) return {};
    return dialog.Chosen();
}

}  // namespace orv
