#pragma once
// The save dialog: the requested file types in order, each name typed without an extension
// given the chosen type's, and (where asked) a question before an existing file is replaced.
#include <QString>

#include "platform/Desktop.h"

class QWidget;

namespace orv {

/// Asks for the file to save to, over `parent`; empty when the user cancels. With
/// `handKeysOver` the dialog and its question run as RunDialog runs them there.
QString RunSaveDialog(const SaveDialogRequest& request, QWidget* parent, bool handKeysOver);

}  // namespace orv
