#pragma once
// Qt's file dialog and names that are not UTF-8. Qt leaves such entries out of its listing
// and reads every name it is given through UTF-8, so it can neither show them, nor open a
// folder so named, nor say which file the user chose among them. This lists them in the
// dialog (after the entries Qt lists), opens such a folder through a link of a readable name
// in a private temporary folder, and turns what the user chose back into the name on disk.
#include <QFileDialog>
#include <QString>

#include <memory>

namespace orv {

class DialogByteNames {
  public:
    /// For `dialog` (a save dialog when `saving`); messages run as RunDialog runs them with
    /// `handKeysOver`.
    DialogByteNames(QFileDialog& dialog, bool saving, bool handKeysOver);
    ~DialogByteNames();
    DialogByteNames(const DialogByteNames&) = delete;
    DialogByteNames& operator=(const DialogByteNames&) = delete;

    /// Readies what a dialog needs to show `folder` (by its bytes): called before the dialog
    /// is made.
    static void Prepare(const QString& folder);

    /// Shows the folder `folder` (a path by its bytes), whatever its name.
    void SetFolder(const QString& folder);

    enum class Choice {
        Qt,      ///< a name Qt reads as it stands: Qt's own accept decides
        Chosen,  ///< `real` is the file chosen, by its bytes
        Stay,    ///< the dialog stays up (a folder was opened, or a message said why)
    };
    /// What the user chose, checked when the dialog is accepted.
    Choice Resolve(QString& real);

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

/// Qt's file dialog, which also lists and takes the files whose names Qt cannot read.
class ByteNamesFileDialog : public QFileDialog {
  public:
    /// A save dialog when `saving`; messages run as RunDialog runs them with `handKeysOver`.
    ByteNamesFileDialog(QWidget* parent, bool saving, bool handKeysOver);

    /// The file chosen, by its bytes.
    QString Chosen() const { return chosen_.isEmpty() ? selectedFiles().value(0) : chosen_; }

  protected:
    /// Whether the file `real`, found by its bytes alone, may be taken (Qt cannot see it, so
    /// Qt asks nothing about it).
    virtual bool MayTakeUnseen(const QString& real) {
        (void)real;
        return true;
    }
    /// Whether Qt's own accept may go on with a name Qt reads as it stands.
    virtual bool MayTakeSeen() { return true; }
    void accept() override;

    DialogByteNames names_;

  private:
    QString chosen_;
};

}  // namespace orv
