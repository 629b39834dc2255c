#pragma once
// The open dialog: an existing file, whatever bytes its name holds.
#include <QString>

class QWidget;

namespace orv {

/// Asks for a file to open, over `parent`; empty when the user cancels. With `handKeysOver`
/// the dialog runs as RunDialog runs it there.
QString RunOpenDialog(QWidget* parent, bool handKeysOver);

}  // namespace orv
