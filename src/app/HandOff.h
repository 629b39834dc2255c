#pragma once
// The message a second start sends the running program: its command line as UTF-8 (a name's
// bytes that are not UTF-8 go as those bytes, see PathBytes.h), with the characters that would
// end or cut the message escaped (a backslash as \\, a line break as \n, a carriage return as
// \r, a NUL as \0), ended by one line break. Any path, line breaks, NULs and bytes of any
// encoding included, arrives as it was sent. QtCore only, so that it can be fuzzed alone.

#include <QByteArray>
#include <QString>

#include <optional>

namespace orv {

/// The longest message the running program takes, line break included.
inline constexpr qsizetype kMaxHandOffBytes = 64 * 1024;

/// The message that carries commandLine, line break included.
QByteArray EncodeHandOff(const QString& commandLine);

/// The command line a message carries (`line` without its line break); nullopt when it is
/// too long. Bytes that are not UTF-8 are kept as escapes (PathFromBytes). An unknown escape
/// keeps its backslash, as an older sender meant it.
std::optional<QString> DecodeHandOff(const QByteArray& line);

}  // namespace orv
