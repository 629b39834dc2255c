#include "platform/qt/SaveDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/PathBytes.h"
#include "platform/qt/DialogByteNames.h"
#include "platform/qt/DialogRun.h"

namespace orv {

namespace {

/// Qt's file dialog, whose question before replacing a file runs as the dialog itself runs.
/// (Qt's own question is modal: where the keyboard stays on the window below, no key would
/// answer it.)
class SaveDialog : public ByteNamesFileDialog {
  public:
    SaveDialog(QWidget* parent, bool handKeysOver)
        : ByteNamesFileDialog(parent, true, handKeysOver), handKeysOver_(handKeysOver) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    }

    void SetAskBeforeReplacing(bool ask) {
        ask_ = ask;
        // Qt asks itself unless the keys are handed over; then this dialog asks.
        setOption(QFileDialog::DontConfirmOverwrite, !ask || handKeysOver_);
    }

    /// Shows `folder` (by its bytes), whatever its name.
    void SetFolder(const QString& folder) { names_.SetFolder(folder); }

  protected:
    bool MayTakeUnseen(const QString& real) override {
        // Qt cannot see this file, so it would not ask before replacing it.
        return !ask_ || !FactsOfPath(real).exists ||
               MayReplace(ShownPath(real.section(QLatin1Char('/'), -1)), handKeysOver_);
    }
    bool MayTakeSeen() override {
        if (!ask_ || !handKeysOver_ || selectedFiles().isEmpty()) return true;
        const QFileInfo chosen(selectedFiles().first());
        return !chosen.exists() || chosen.isDir() || MayReplace(chosen.fileName(), true);
    }

  private:
    /// Whether the user answers Yes to replacing the file `name`.
    bool MayReplace(const QString& name, bool handKeysOver) {
        // Qt's own words, in Qt's own translations.
        QMessageBox question(
            QMessageBox::Warning, windowTitle(),
            QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(name),
            QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        return RunDialog(question, handKeysOver) == QMessageBox::Yes;
    }

    bool handKeysOver_;
    bool ask_ = false;
};

}  // namespace

QString RunSaveDialog(const SaveDialogRequest& r, QWidget* parent, bool handKeysOver) {
    DialogByteNames::Prepare(r.InitialFolder);
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
    if (!r.InitialFolder.isEmpty()) dlg.SetFolder(r.InitialFolder);
    if (!r.SuggestedName.isEmpty()) dlg.selectFile(r.SuggestedName);
    if (RunDialog(dlg, handKeysOver) != QDialog::Accepted) return {};
    return dlg.Chosen();
}

}  // namespace orv
