#pragma once
// Start at login: the XDG autostart entry of the program,
// $XDG_CONFIG_HOME/autostart/orvane.desktop (~/.config when unset).

#include <QString>

namespace orv::autostart {

/// Where the entry lives.
QString EntryPath();
/// Whether an entry exists that the desktop will start (not Hidden=true).
bool IsEnabled();
/// Writes the entry that starts executable; false when it cannot be written.
bool Enable(const QString& executable);
/// Removes the entry; false when it stays.
bool Disable();
/// executable quoted for an Exec= line where it needs it.
QString ExecArgument(const QString& executable);

}  // namespace orv::autostart
