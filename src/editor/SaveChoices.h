#pragma once
// What the save dialog starts with and what it remembers: the folder of the picture being
// marked up until a save chose another (kept between runs), the picture's own name, and the
// file type chosen last (kept between runs too).

#include <QString>

namespace orv {

class Desktop;

struct SaveDialogStart {
    QString Folder;       ///< the folder the dialog shows first
    QString Name;         ///< the file name it suggests, without extension; may be empty
    int FilterIndex = 1;  ///< 1-based entry of the file-type list selected first
};

/// Where a save of the picture opened from shownFile (empty for the clipboard or the screen)
/// starts; fallbackFolder when neither a save nor the picture names a folder that exists.
SaveDialogStart SaveStartFor(Desktop& desktop, const QString& shownFile,
                             const QString& fallbackFolder);

/// Keeps the folder and the file type of a file just saved for the next save dialog.
void RememberSave(Desktop& desktop, const QString& savedPath);

/// The 1-based entry of the save dialog's file-type list that writes files with this
/// extension (any case); 0 when no entry of its own does.
int SaveFilterIndexFor(const QString& extension);

}  // namespace orv
