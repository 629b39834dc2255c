#include "platform/qt/SaveDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/qt/DialogRun.h"

namespace orv {

namespace {

/// Qt's file dialog, whose question before replacing a file runs as the dialog itself runs.
/// (Qt's own question is modal: where the keyboard stays on the window below, no key would
/// answer it.)
class SaveDialog : public QFileDialog {
  public:
    SaveDialog(QWidget* parent, bool handKeysOver)
        : QFileDialog(parent), handKeysOver_(handKeysOver) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    }

    void SetAskBeforeReplacing(bool ask) {
        ask_ = ask;
        // Qt asks itself unless the keys are handed over; then this dialog asks.
        setOption(QFileDialog::DontConfirmOverwrite, !ask || handKeysOver_);
    }

    void accept() override {
        if (ask_ && handKeysOver_ && !selectedFiles().isEmpty()) {
            const QFileInfo chosen(selectedFiles().first());
            if (chosen.exists() && !chosen.isDir()) {
                // Qt's own words, in Qt's own translations.
                QMessageBox question(
                    QMessageBox::Warning, windowTitle(),
                    QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                        .arg(chosen.fileName()),
                    QMessageBox::Yes | QMessageBox::No, this);
                question.setDefaultButton(QMessageBox::No);
                if (RunDialog(question, true) != QMessageBox::Yes) return;
            }
        }
        QFileDialog::accept();
    }

  private:
    bool handKeysOver_;
    bool ask_ = false;
};

}  // namespace

QString RunSaveDialog(const SaveDialogRequest& r, QWidget* parent, bool handKeysOver) {
    SaveDialog dlg(parent, handKeysOver);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // Show each entry by its own description only (the pattern appended in brackets is what
    // filters the list).
    dlg.SetAskBeforeReplacing(r.ConfirmOverwrite);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters, patterns;
    for (int i = 0; i + 1 < r.Filters.size(); i += 2) {
        filters << r.Filters[i] + QStringLiteral(" (") + r.Filters[i + 1] + QLatin1Char(')');
        patterns << r.Filters[i + 1];
    }
    dlg.setNameFilters(filters);
    // A name typed without extension takes the chosen entry's extension ("*.jpg" gives
    // ".jpg"); an entry of every file type takes the requested default extension.
    const auto suffixFor = [&](int entry) {
        const QString pattern = entry >= 0 && entry < patterns.size() ? patterns[entry] : QString();
        const bool specific =
            pattern.startsWith(QStringLiteral("*.")) && pattern.indexOf(QLatin1Char('*'), 1) < 0 &&
            !pattern.contains(QLatin1Char(';')) && !pattern.contains(QLatin1Char('?'));
        return specific ? pattern.mid(2) : r.DefaultExtension;
    };
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& chosen) {
        // The full entry text, or its description alone where the dialog reports only that.
        qsizetype entry = filters.indexOf(chosen);
        for (qsizetype i = 0; entry < 0 && i < filters.size(); ++i)
            if (r.Filters.value(2 * i) == chosen.trimmed()) entry = i;
        dlg.setDefaultSuffix(suffixFor(static_cast<int>(entry)));
    });
    const int first = r.FilterIndex >= 1 && r.FilterIndex <= filters.size() ? r.FilterIndex - 1 : 0;
    if (!filters.isEmpty()) dlg.selectNameFilter(filters[first]);
    dlg.setDefaultSuffix(filters.isEmpty() ? r.DefaultExtension : suffixFor(first));
    if (!r.InitialFolder.isEmpty()) dlg.setDirectory(r.InitialFolder);
    if (!r.SuggestedName.isEmpty()) dlg.selectFile(r.SuggestedName);
    if (RunDialog(dlg, handKeysOver) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

}  // namespace orv
