#pragma once
// Start at login: the XDG autostart entry of the program,
// $XDG_CONFIG_HOME/autostart/orvane.desktop (~/.config when unset).

#include <QString>

namespace orv::autostart {

/// Where the entry lives.
QString EntryPath();
/// Whether an entry exists that the desktop will start (not Hidden=true).
bool IsEnabled();
/// Writes the entry that starts executable; false when it cannot be written or the path
/// cannot stand in an entry (see ExecRefusal).
bool Enable(const QString& executable);
/// Removes the entry; false when it stays.
bool Disable();
/// executable as the value of an Exec= line: quoted where it holds a reserved character, with
/// ", `, $ and \ escaped inside the quotes, then every backslash doubled for the entry's
/// string escapes, and % written %% so that no field code appears.
QString ExecArgument(const QString& executable);
/// Why executable cannot be written into an entry (a line break or another control character
/// in its path, which no Exec= line may hold); empty when it can.
QString ExecRefusal(const QString& executable);
/// The whole entry that starts executable (ExecRefusal must be empty).
QString EntryText(const QString& executable);

}  // namespace orv::autostart
