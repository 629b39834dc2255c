#pragma once
// Runs a dialog until it is answered. Where the compositor keeps the keyboard on the window
// below (sway gives no focus to a window mapped over a full-screen one), the dialog runs
// without Qt's modality: the keys typed into the window below are handed to the dialog, and
// clicks and wheel turns on every other window of ours are swallowed, so that the dialog is
// as modal as ever and answers the keyboard at once.
class QDialog;

namespace orv {

/// Shows `dialog` and waits for its answer (what QDialog::exec returns). With
/// `handKeysOver`, keys that reach another window of ours go to the dialog instead.
int RunDialog(QDialog& dialog, bool handKeysOver);

}  // namespace orv
